// LArc's methods. Both keep a small ring whose writing position starts a little before its
// end, and a match names an absolute place in that ring rather than a distance.
#include <array>
#include <cstdint>

#include "lzh/decoders.h"

namespace lzh {
namespace {

constexpr size_t kLzsRing = 2048;
constexpr size_t kLzsStart = kLzsRing - 17;
constexpr size_t kLz5Ring = 4096;
constexpr size_t kLz5Start = kLz5Ring - 18;

// The distance back from the current output position to ring place `place`; a place equal
// to the writing position is a whole ring back.
size_t DistanceTo(size_t place, uint64_t produced, size_t start, size_t ring) {
    size_t current = static_cast<size_t>((start + produced) & (ring - 1));
    return ((current - place - 1) & (ring - 1)) + 1;
}

// -lz5-'s ring before the first byte: each byte value 13 times, the values rising, then
// falling, then zeros, then blanks up to the writing position; zeros after it.
std::array<uint8_t, kLz5Ring> Lz5InitialRing() {
    std::array<uint8_t, kLz5Ring> ring{};
    size_t p = 0;
    for (int v = 0; v < 256; ++v) {
        for (int k = 0; k < 13; ++k) {
            ring[p++] = static_cast<uint8_t>(v);
        }
    }
    for (int v = 0; v < 256; ++v) {
        ring[p++] = static_cast<uint8_t>(v);
    }
    for (int v = 255; v >= 0; --v) {
        ring[p++] = static_cast<uint8_t>(v);
    }
    for (int k = 0; k < 128; ++k) {
        ring[p++] = 0;
    }
    while (p < kLz5Start) {
        ring[p++] = ' ';
    }
    return ring;
}

}  // namespace

Status DecodeLzs(BitReader& in, Window& out) {
    while (!out.Done()) {
        if (in.FarOverrun()) {
            return Status::kBadData;
        }
        in.Refill();
        if (in.Get(1)) {
            out.Put(static_cast<uint8_t>(in.Get(8)));
            continue;
        }
        size_t place = in.Get(11);
        size_t len = in.Get(4) + 2;
        out.Copy(DistanceTo(place, out.Produced(), kLzsStart, kLzsRing), len);
    }
    return Status::kOk;
}

Status DecodeLz5(BitReader& in, Window& out) {
    // The window sees the ring as it stands at the start: ring place p lies
    // (start - p) bytes back.
    std::array<uint8_t, kLz5Ring> initial = Lz5InitialRing();
    std::array<uint8_t, kLz5Ring> history;
    for (size_t i = 0; i < kLz5Ring; ++i) {
        history[i] = initial[(kLz5Start + i) & (kLz5Ring - 1)];
    }
    out.Preload(history.data(), history.size());
    while (!out.Done()) {
        if (in.FarOverrun()) {
            return Status::kBadData;
        }
        in.Refill();
        uint32_t flags = in.Get(8);
        for (int bit = 0; bit < 8 && !out.Done(); ++bit, flags >>= 1) {
            in.Refill();
            if (flags & 1) {
                out.Put(static_cast<uint8_t>(in.Get(8)));
                continue;
            }
            uint32_t b1 = in.Get(8);
            uint32_t b2 = in.Get(8);
            size_t place = b1 | (b2 & 0xF0) << 4;
            out.Copy(DistanceTo(place, out.Produced(), kLz5Start, kLz5Ring), (b2 & 0x0F) + 3);
        }
    }
    return Status::kOk;
}

}  // namespace lzh
