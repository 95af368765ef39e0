// One value of an INI file through the platform's profile functions, read into a buffer of
// `bufferSize` bytes: a longer value comes back cut to bufferSize - 1 bytes.
#pragma once

#include <cstddef>
#include <string>

namespace settings {

std::string ReadProfileString(const std::string& path, const char* section, const char* key,
                              const char* fallback, size_t bufferSize);

}  // namespace settings
