#include "tests/lzh/sha256.h"

#include "receipt/identity.h"

namespace lzh_test {

std::string Sha256Hex(std::string_view data) {
    static const char kDigits[] = "0123456789abcdef";
    std::string hex;
    for (const unsigned char byte : receipt::Sha256(data)) {
        hex += kDigits[byte >> 4];
        hex += kDigits[byte & 15];
    }
    return hex;
}

}  // namespace lzh_test
