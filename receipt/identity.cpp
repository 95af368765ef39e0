#include "receipt/identity.h"

#include <cstdint>

#include "text/cp932.h"

namespace receipt {
namespace {

constexpr uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};

constexpr uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

void Compress(uint32_t (&h)[8], const unsigned char* block) {
    uint32_t w[64];
    for (int i = 0; i < 16; ++i) {
        w[i] = uint32_t{block[4 * i]} << 24 | uint32_t{block[4 * i + 1]} << 16 |
               uint32_t{block[4 * i + 2]} << 8 | block[4 * i + 3];
    }
    for (int i = 16; i < 64; ++i) {
        uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    uint32_t v[8];
    for (int i = 0; i < 8; ++i) {
        v[i] = h[i];
    }
    for (int i = 0; i < 64; ++i) {
        uint32_t t1 = v[7] + (Rotr(v[4], 6) ^ Rotr(v[4], 11) ^ Rotr(v[4], 25)) +
                      ((v[4] & v[5]) ^ (~v[4] & v[6])) + kRound[i] + w[i];
        uint32_t t2 = (Rotr(v[0], 2) ^ Rotr(v[0], 13) ^ Rotr(v[0], 22)) +
                      ((v[0] & v[1]) ^ (v[0] & v[2]) ^ (v[1] & v[2]));
        for (int k = 7; k > 0; --k) {
            v[k] = v[k - 1];
        }
        v[4] += t1;
        v[0] = t1 + t2;
    }
    for (int i = 0; i < 8; ++i) {
        h[i] += v[i];
    }
}

}  // namespace

std::array<unsigned char, 32> Sha256(std::string_view bytes) {
    uint32_t h[8] = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                     0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    size_t whole = bytes.size() / 64 * 64;
    for (size_t at = 0; at < whole; at += 64) {
        Compress(h, reinterpret_cast<const unsigned char*>(bytes.data()) + at);
    }
    // The tail, the 0x80 mark and the length in bits fill one or two last blocks.
    unsigned char tail[128] = {};
    size_t rest = bytes.size() - whole;
    for (size_t i = 0; i < rest; ++i) {
        tail[i] = static_cast<unsigned char>(bytes[whole + i]);
    }
    tail[rest] = 0x80;
    size_t blocks = rest < 56 ? 1 : 2;
    uint64_t bits = uint64_t{bytes.size()} * 8;
    for (int i = 0; i < 8; ++i) {
        tail[blocks * 64 - 1 - i] = static_cast<unsigned char>(bits >> (8 * i));
    }
    for (size_t b = 0; b < blocks; ++b) {
        Compress(h, tail + 64 * b);
    }
    std::array<unsigned char, 32> digest{};
    for (int i = 0; i < 32; ++i) {
        digest[i] = static_cast<unsigned char>(h[i / 4] >> (24 - 8 * (i % 4)));
    }
    return digest;
}

std::string UpdateIdOf(std::string_view manifestBytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    auto digest = Sha256(manifestBytes);
    std::string id;
    for (size_t i = 0; i < 16; ++i) {
        id += kHex[digest[i] >> 4];
        id += kHex[digest[i] & 15];
    }
    return id;
}

std::string ProductKeyOf(const std::array<std::string, 15>& uninstallKeys) {
    std::string key = uninstallKeys[0];
    for (size_t i = 0; i < key.size(); i += text::CharLength(key, i)) {
        if (key[i] == '\\') {
            key[i] = '_';
        }
    }
    key = text::TruncateBytes(key, 255);
    while (!key.empty() && key.back() == ' ') {
        key.pop_back();
    }
    return key;
}

std::string ReceiptKeyPath(const std::string& productKey, const std::string& updateId) {
    return std::string(kUpdatesKey) + "\\" + productKey + "\\" + updateId;
}

std::string DetectionRule(const std::string& productKey, const std::string& updateId) {
    return "Detection rule (registry, 32-bit view on 64-bit Windows):\n"
           "  Key:   HKEY_LOCAL_MACHINE\\" + ReceiptKeyPath(productKey, updateId) + "\n"
           "  Value: " + kResultValue + " (REG_DWORD) exists\n"
           "  (64-bit view: HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Renovo\\Updates\\" +
           productKey + "\\" + updateId + ")\n";
}

}  // namespace receipt
