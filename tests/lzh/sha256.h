// SHA-256 of a byte string, as lower-case hex: the corpus lists its members by this digest.
#pragma once

#include <string>
#include <string_view>

namespace lzh_test {

std::string Sha256Hex(std::string_view data);

}  // namespace lzh_test
