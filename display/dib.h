// Draws Windows bitmap files. Every call reads the file afresh into one movable global block
// (info header, colour table, pixel data), draws it stretched with its own palette and frees
// everything again; a picture that cannot be read is silently not drawn.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "framework/handles.h"

namespace display {

// Room for the 40-byte info header and 256 colours; grown once the header is known.
constexpr SIZE_T kInitialBlockSize = 1064;
constexpr uint32_t kChunkSize = 32768;

// Stretches the picture in `path` over (rect->left, rect->top) with width rect->right and
// height rect->bottom. 1 when drawn, 0 when the picture could not be loaded.
int DrawDibFile(HDC dc, const RECT* rect, const std::string& path, DWORD rop);

// A page's picture: the frame control repaints itself first, then the picture covers its
// whole client area, frame included. The page calls this inside its own paint.
void DrawDibIntoControl(HWND control, const std::string& path);

// Reads the picture into `block` (which may be replaced when it is resized) and gives the
// pixel data's offset inside it. 1 on success, 0 on failure.
int LoadDibFile(const std::string& path, framework::GlobalBlock& block, uint32_t& bitsOffset);

// The palette to select for a locked picture block: a new one built from its colour table,
// the stock default palette when it has no table, or none when no memory was left.
struct DibPalette {
    framework::GdiObject<HPALETTE> created;
    HPALETTE handle = nullptr;
};
DibPalette CreateDibPalette(const unsigned char* block);

// Reads `length` bytes in pieces of at most kChunkSize; `length` when all arrived, else 0.
uint32_t ReadInChunks(HANDLE file, unsigned char* dest, uint32_t length);

}  // namespace display
