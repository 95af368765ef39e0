// The decoders' output: a ring buffer that is also the sliding dictionary. It is handed to the
// sink (and to the CRC) one whole ring at a time, and it stops at the member's original size.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "lzh/lzh.h"

namespace lzh {

class Window {
public:
    // `dictBits`: the method's dictionary size as a power of two. The ring is at least twice
    // that, and big enough that writes to the sink are large.
    Window(int dictBits, uint64_t total, ByteSink& sink, uint8_t fill = ' ');

    // Sets the bytes that a back-reference sees before the first output byte: the last
    // `n` bytes before position 0.
    void Preload(const uint8_t* history, size_t n);

    bool Done() const { return done_; }
    bool Failed() const { return failed_; }
    uint64_t Produced() const { return produced_ + pos_; }
    uint16_t Crc() const { return crc_; }

    void Put(uint8_t byte) {
        buf_[pos_++] = byte;
        if (pos_ == limit_) {
            Lap();
        }
    }

    // Copies `len` bytes from `distance` (1 = the byte just written) back.
    void Copy(size_t distance, size_t len) {
        Cursor c = Open();
        if (!c.Copy(distance, len)) {
            CopySlow((pos_ - distance) & mask_, len);
            return;
        }
        Close(c);
    }

    // The writing position, for hot loops that keep it in registers (see BitReader::State).
    // Its operations do only what needs no flush; they return false otherwise, and the caller
    // closes the cursor and uses Put or Copy.
    struct Cursor {
        uint8_t* buf;
        size_t pos;
        size_t limit;
        size_t mask;

        bool Put(uint8_t byte) {
            if (pos + 1 >= limit) {
                return false;
            }
            buf[pos++] = byte;
            return true;
        }
        bool Copy(size_t distance, size_t len) {
            size_t src = (pos - distance) & mask;
            if (pos + len >= limit || src + len > mask + 1) {
                return false;
            }
            uint8_t* d = buf + pos;
            const uint8_t* s = buf + src;
            if (distance >= 8 && distance <= (mask >> 1)) {
                // Whole 8-byte steps may run up to 7 bytes past the match: into ring bytes
                // older than any distance (the ring is twice the dictionary) or into the
                // slack behind the ring.
                CopyOverlapping8(d, s, len);
            } else if (distance >= len) {
                std::memmove(d, s, len);
            } else if (distance == 1) {
                std::memset(d, *s, len);
            } else {
                for (size_t i = 0; i < len; ++i) {
                    d[i] = s[i];
                }
            }
            pos += len;
            return true;
        }
    };
    Cursor Open() { return Cursor{buf_.data(), pos_, limit_, mask_}; }
    void Close(const Cursor& c) { pos_ = c.pos; }

    // Writes out what is still pending; call once after the decoder finished.
    void Finish();

private:
    static void CopyOverlapping8(uint8_t* d, const uint8_t* s, size_t len) {
        // Each 8-byte step reads only bytes already written: the distance is at least 8.
        for (size_t i = 0; i < len; i += 8) {
            std::memcpy(d + i, s + i, 8);
        }
    }
    void CopySlow(size_t src, size_t len);
    void Lap();
    void Flush();

    std::vector<uint8_t> buf_;
    size_t size_;
    size_t mask_;
    size_t pos_ = 0;
    size_t flushed_ = 0;     // start of the part of the ring not yet written to the sink
    size_t limit_;           // where this lap of the ring ends (the ring's end or the member's)
    uint64_t produced_ = 0;  // bytes before this lap
    uint64_t total_;
    ByteSink& sink_;
    uint16_t crc_ = 0;
    bool done_ = false;
    bool failed_ = false;
};

}  // namespace lzh
