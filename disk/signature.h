// Authenticode signatures of the program on disk 1: made and verified with osslsigncode, so
// that SmartScreen and the rules of managed fleets (AppLocker, WDAC) admit it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "disk/disk.h"

namespace disk {

enum class CertificateTable {
    kNotProgram,  // no PE header
    kNone,        // a program without a signature
    kCutOff,      // the header names a signature the file does not hold in full
    kPresent,
};

// What the PE header of `file` (the whole file) says of its certificate table.
CertificateTable FindCertificateTable(std::span<const uint8_t> file);

// Signs `in` (SHA-256) into `out`. Empty when done, else why not.
std::string SignProgram(const SigningKey& key, const std::string& in, const std::string& out);

// Reports a broken signature of disk 1's program as an error, none as a warning.
void CheckSignature(const std::string& program, Diagnostics& out);

}  // namespace disk
