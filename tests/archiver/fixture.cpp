#include "tests/archiver/fixture.h"

#include <windows.h>

#include <algorithm>

#include "archiver/run_command.h"
#include "framework/files.h"

namespace archiver_test {

std::string WinePath(const std::string& hostPath) {
    std::string path = "Z:" + hostPath;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string DataFile(const std::string& name) {
    return WinePath(RENOVO_ARCHIVER_DATA) + "\\" + name;
}

std::string NumbersText() {
    std::string text;
    for (int i = 1; i <= 3000; ++i) {
        text += std::to_string(i) + "\n";
    }
    return text;
}

std::string BinaryData() {
    std::string data;
    uint32_t x = 1;
    for (int i = 0; i < 3000; ++i) {
        x = (x * 1103515245u + 12345u) & 0x7FFFFFFFu;
        data += static_cast<char>((x >> 16) & 0xFF);
    }
    return data;
}

std::vector<std::string> ListFolder(const std::string& folder) {
    std::vector<std::string> names;
    framework::FileFind find;  // through the cp932 edge: alike at every code page
    if (!find.FindFile(folder + "*")) {
        return names;
    }
    do {
        if (!find.IsDots()) {
            names.push_back(find.FileName());
        }
    } while (find.Next());
    std::sort(names.begin(), names.end());
    return names;
}

RunResult RunCommand(const std::string& command) {
    const archiver::Outcome outcome = archiver::RunCommand(command);
    return {static_cast<int>(outcome.result), outcome.text};
}

uint16_t Crc16(const std::string& data) {
    uint16_t crc = 0;
    for (unsigned char c : data) {
        crc ^= c;
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
        }
    }
    return crc;
}

namespace {
void Put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}
}  // namespace

StoredArchive& StoredArchive::Add(const std::string& name, const std::string& data,
                                  const char* method) {
    std::string header = method;
    Put(header, static_cast<uint32_t>(data.size()), 4);                    // packed
    Put(header, static_cast<uint32_t>(data.size()), 4);                    // original
    Put(header, (30u << 25) | (6u << 21) | (15u << 16) | (12u << 11), 4);  // 2010-06-15 12:00
    header += '\x20';                                                      // attribute: archive
    header += '\0';                                                        // level 0
    header += static_cast<char>(name.size());
    header += name;
    Put(header, Crc16(data), 2);
    unsigned sum = 0;
    for (unsigned char c : header) {
        sum += c;
    }
    bytes_ += static_cast<char>(header.size());
    bytes_ += static_cast<char>(sum & 0xFF);
    bytes_ += header + data;
    return *this;
}

}  // namespace archiver_test
