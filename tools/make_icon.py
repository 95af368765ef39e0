#!/usr/bin/env python3
"""Draws the application icon (a floppy disk with a green arrow) as a 16-colour .ico with
32x32 and 16x16 images. Usage: make_icon.py OUT.ico"""
import struct
import sys

# The standard 16-colour palette (red, green, blue).
PALETTE = [(0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
           (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
           (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
CLEAR, BLACK, NAVY, GREY, SILVER, WHITE, GREEN, DARKGREEN = None, 0, 4, 8, 7, 15, 10, 2


def draw(n):
    """Pixels of an n x n icon, top row first; None is transparent."""
    s = n / 32.0
    px = [[CLEAR] * n for _ in range(n)]

    def rect(x0, y0, x1, y1, c):
        for y in range(int(y0 * s), int(y1 * s)):
            for x in range(int(x0 * s), int(x1 * s)):
                px[y][x] = c

    rect(2, 2, 28, 30, BLACK)          # outline
    rect(3, 3, 27, 29, NAVY)           # disk body
    rect(8, 3, 22, 11, SILVER)         # shutter
    rect(17, 4, 20, 10, GREY)          # shutter window
    rect(6, 16, 24, 29, WHITE)         # label
    for i in range(4):                 # label lines
        rect(8, 18 + 3 * i, 22, 19 + 3 * i, GREY)
    # Green arrow pointing down into the disk, lower right.
    rect(23, 12, 28, 22, DARKGREEN)
    rect(24, 12, 27, 22, GREEN)
    for row in range(5):
        rect(20 + row, 22 + row, 31 - row, 23 + row, GREEN if row else DARKGREEN)
    return px


def image(n):
    px = draw(n)
    stride = ((n * 4 + 31) // 32) * 4
    mask_stride = ((n + 31) // 32) * 4
    xor = bytearray()
    and_mask = bytearray()
    for row in reversed(px):
        line = bytearray(stride)
        bits = bytearray(mask_stride)
        for x, c in enumerate(row):
            value = 0 if c is None else c
            line[x // 2] |= value << (4 if x % 2 == 0 else 0)
            if c is None:
                bits[x // 8] |= 0x80 >> (x % 8)
        xor += line
        and_mask += bits
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, len(xor) + len(and_mask),
                         0, 0, 16, 0)
    table = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    return header + table + bytes(xor) + bytes(and_mask)


def main():
    images = [image(32), image(16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    out += b''.join(images)
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
