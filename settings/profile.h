// The product's INI files, read and written as cp932 bytes by our own code: the platform's
// profile functions would decode them with the system's code page, which need not be 932.
#pragma once

#include <cstddef>
#include <string>

namespace settings {

// Read into a buffer of `bufferSize` bytes: a longer value comes back cut to bufferSize - 1
// bytes (never half a double-byte character), as the product's own buffers cut it. A missing
// file, section or key gives `fallback`.
std::string ReadProfileString(const std::string& path, const char* section, const char* key,
                              const char* fallback, size_t bufferSize);

// The whole value, however long: a path read from the settings file is never cut short.
std::string ReadWholeProfileString(const std::string& path, const char* section, const char* key);

// Sets one value, creating the file or section where missing; every other byte of the file
// stays as it was. A read-only file is refused, as Windows refuses it; room for the new
// content is taken before any byte changes, so a full disk leaves the file as it was.
bool WriteProfileValue(const std::string& path, const char* section, const char* key,
                        const std::string& value);

}  // namespace settings
