// One value of an INI file through the platform's profile functions.
#pragma once

#include <cstddef>
#include <string>

namespace settings {

// Read into a buffer of `bufferSize` bytes: a longer value comes back cut to bufferSize - 1
// bytes, as the product's own buffers cut it.
std::string ReadProfileString(const std::string& path, const char* section, const char* key,
                              const char* fallback, size_t bufferSize);

// The whole value, however long: a path read from the settings file is never cut short.
std::string ReadWholeProfileString(const std::string& path, const char* section, const char* key);

}  // namespace settings
