// libFuzzer target for the bitmap header rules: the first 14 + 40 bytes are the headers,
// the next 4 the file size. Build and run with tools/fuzz_dib_header.sh.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "display/dib_header.h"
#include "tests/display/dib_invariants.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 58) {
        return 0;
    }
    uint32_t fileSize = 0;
    std::memcpy(&fileSize, data + 54, 4);
    auto l = display::ValidateDibHeader(std::span<const uint8_t, 14>(data, 14),
                                        std::span<const uint8_t, 40>(data + 14, 40), fileSize);
    if (l && dib_check::BrokenPromise(*l, fileSize)) {
        std::abort();
    }
    return 0;
}
