#include "display/dib.h"

#include <array>
#include <cstring>
#include <cstdlib>

#include "display/dib_header.h"
#include "framework/files.h"

namespace display {

namespace {

bool ReadExactly(HANDLE file, void* dest, uint32_t length) {
    DWORD got = 0;
    return ::ReadFile(file, dest, length, &got, nullptr) && got == length;
}

bool Resize(framework::GlobalBlock& block, uint32_t size) {
    HGLOBAL grown = ::GlobalReAlloc(block.Get(), size, GMEM_MOVEABLE);
    if (!grown) {
        return false;
    }
    block.Release();
    block.Reset(grown);
    return true;
}

std::optional<DibLayout> ReadHeaders(HANDLE file, framework::GlobalBlock& block) {
    std::array<uint8_t, kFileHeaderSize> fileHeader{};
    std::array<uint8_t, kInfoHeaderSize> info{};
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file, &size) || !ReadExactly(file, fileHeader.data(), kFileHeaderSize) ||
        !ReadExactly(file, info.data(), kInfoHeaderSize)) {
        return std::nullopt;
    }
    auto layout = ValidateDibHeader(fileHeader, info, static_cast<uint64_t>(size.QuadPart));
    if (!layout || !Resize(block, layout->blockSize)) {
        return std::nullopt;
    }
    CompleteInfoHeader(info, *layout);
    framework::GlobalLockGuard lock(block.Get());
    if (!lock.Data()) {
        return std::nullopt;
    }
    std::memcpy(lock.Data(), info.data(), kInfoHeaderSize);
    return layout;
}

// The rest of a longer header, the masks and colour table, then the pixel data.
bool ReadBody(HANDLE file, unsigned char* block, const DibLayout& l) {
    if (!ReadExactly(file, block + kInfoHeaderSize, l.headerSize - kInfoHeaderSize) ||
        !ReadExactly(file, block + l.headerSize, l.TableBytes())) {
        return false;
    }
    if (l.fileBitsOffset != 0) {
        LARGE_INTEGER to{};
        to.QuadPart = l.fileBitsOffset;
        if (!::SetFilePointerEx(file, to, nullptr, FILE_BEGIN)) {
            return false;
        }
    }
    return ReadInChunks(file, block + l.bitsOffset, l.imageSize) == l.imageSize;
}

}  // namespace

uint32_t ReadInChunks(HANDLE file, unsigned char* dest, uint32_t length) {
    uint32_t remaining = length;
    while (remaining > kChunkSize) {
        if (!ReadExactly(file, dest, kChunkSize)) {
            return 0;
        }
        dest += kChunkSize;
        remaining -= kChunkSize;
    }
    return ReadExactly(file, dest, remaining) ? length : 0;
}

int LoadDibFile(const std::string& path, framework::GlobalBlock& block, uint32_t& bitsOffset) {
    framework::File file(framework::OpenPath(path, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL));
    if (!file) {
        return 0;
    }
    auto layout = ReadHeaders(file.Get(), block);
    if (!layout) {
        return 0;
    }
    framework::GlobalLockGuard lock(block.Get());
    if (!lock.Data() || !ReadBody(file.Get(), lock.Data(), *layout)) {
        return 0;
    }
    bitsOffset = layout->bitsOffset;
    return 1;
}

DibPalette CreateDibPalette(const unsigned char* block) {
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(block);
    DibPalette palette;
    const uint32_t count = header->biClrUsed;
    if (count == 0) {
        palette.handle = static_cast<HPALETTE>(::GetStockObject(DEFAULT_PALETTE));
        return palette;
    }
    framework::LocalBlock record(::LocalAlloc(LMEM_FIXED, count * 4 + 8));
    if (!record) {
        return palette;
    }
    auto* log = static_cast<LOGPALETTE*>(::LocalLock(record.Get()));
    log->palVersion = 0x300;
    log->palNumEntries = static_cast<WORD>(count);
    const bool masks = header->biCompression == BI_BITFIELDS && header->biSize == kInfoHeaderSize;
    const unsigned char* table = block + header->biSize + (masks ? 12 : 0);
    for (uint32_t i = 0; i < count; ++i) {
        const unsigned char* quad = table + 4 * i;  // blue, green, red, reserved
        log->palPalEntry[i] = PALETTEENTRY{quad[2], quad[1], quad[0], 0};
    }
    palette.created.Reset(::CreatePalette(log));
    palette.handle = palette.created.Get();
    return palette;
}

int DrawDibFile(HDC dc, const RECT* rect, const std::string& path, DWORD rop) {
    framework::GlobalBlock block(::GlobalAlloc(GMEM_MOVEABLE, kInitialBlockSize));
    uint32_t bitsOffset = 0;
    if (!block || !LoadDibFile(path, block, bitsOffset)) {
        return 0;
    }
    framework::GlobalLockGuard lock(block.Get());
    if (!lock.Data()) {
        return 0;
    }
    const auto* info = reinterpret_cast<const BITMAPINFO*>(lock.Data());
    DibPalette palette = CreateDibPalette(lock.Data());
    framework::PaletteSelection selection(dc, palette.handle);
    // A top-down picture keeps its negative height in the header; the drawing call turns it
    // upright as long as the source rectangle is given in rows.
    const int width = info->bmiHeader.biWidth;
    const int height = std::abs(info->bmiHeader.biHeight);
    ::StretchDIBits(dc, rect->left, rect->top, rect->right, rect->bottom, 0, 0, width, height,
                    lock.Data() + bitsOffset, info, DIB_RGB_COLORS, rop);
    return 1;
}

void DrawDibIntoControl(HWND control, const std::string& path) {
    if (!control) {
        return;
    }
    framework::WindowDc dc(control);
    ::InvalidateRect(control, nullptr, TRUE);
    ::UpdateWindow(control);
    RECT client{};
    ::GetClientRect(control, &client);
    DrawDibFile(dc.Get(), &client, path, SRCCOPY);
}

}  // namespace display
