#include "lzh/encode_header.h"

#include "lzh/crc16.h"
#include "lzh/header.h"
#include "text/cp932.h"

namespace lzh {
namespace {

constexpr uint8_t kFolderAttribute = 0x10;
constexpr uint8_t kExtCrc = 0x00;
constexpr uint8_t kExtName = 0x01;
constexpr uint8_t kExtFolder = 0x02;
constexpr uint8_t kExtAttribute = 0x40;
constexpr size_t kMaxLevel0Name = 233;  // the header size byte counts 22 bytes besides it

void PutLe(std::vector<uint8_t>& h, uint64_t v, int width) {
    for (int i = 0; i < width; ++i) {
        h.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}

void SetLe(std::vector<uint8_t>& h, size_t at, uint32_t v, int width) {
    for (int i = 0; i < width; ++i) {
        h[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

// Folder part (with its trailing '\') and file part of a path, split on character boundaries.
void SplitEntryPath(const std::string& path, bool folder, std::string& dir, std::string& file) {
    if (folder) {
        dir = BareName(path).empty() ? path : path + "\\";
        file.clear();
        return;
    }
    file = BareName(path);
    dir = path.substr(0, path.size() - file.size());
}

// Folders of an extended header are separated by 0xFF.
std::string FfSeparated(const std::string& dir) {
    std::string out = dir;
    for (size_t p = text::FindChar(out, '\\'); p != std::string::npos;
         p = text::FindChar(out, '\\', p + 1)) {
        out[p] = static_cast<char>(0xFF);
    }
    return out;
}

void PutExt(std::vector<uint8_t>& h, uint8_t type, const std::string& data) {
    PutLe(h, 3 + data.size(), 2);  // the size of this header, in the field before it
    h.push_back(type);
    h.insert(h.end(), data.begin(), data.end());
}

// Fields common to every level, from the method up to the attribute byte.
void PutCommon(std::vector<uint8_t>& h, const HeaderValues& v, uint32_t time, uint8_t attribute) {
    h.insert(h.end(), v.method.begin(), v.method.end());
    PutLe(h, v.packedSize, 4);
    PutLe(h, v.originalSize, 4);
    PutLe(h, time, 4);
    h.push_back(attribute);
}

std::vector<uint8_t> Level0(const std::string& name, uint8_t attribute, const MemberEntry& e,
                            const HeaderValues& v) {
    if (name.size() > kMaxLevel0Name) {
        return {};
    }
    std::vector<uint8_t> h(2, 0);
    PutCommon(h, v, e.dosTime, attribute);
    h.push_back(0);
    h.push_back(static_cast<uint8_t>(name.size()));
    h.insert(h.end(), name.begin(), name.end());
    PutLe(h, v.crc, 2);
    h[0] = static_cast<uint8_t>(h.size() - 2);
    uint8_t sum = 0;
    for (size_t i = 2; i < h.size(); ++i) {
        sum = static_cast<uint8_t>(sum + h[i]);
    }
    h[1] = sum;
    return h;
}

std::vector<uint8_t> Level1(const std::string& dir, const std::string& file, uint8_t attribute,
                            const MemberEntry& e, HeaderValues v) {
    std::vector<uint8_t> ext;
    if (!dir.empty()) {
        ext.push_back(kExtFolder);
        std::string d = FfSeparated(dir);
        ext.insert(ext.end(), d.begin(), d.end());
    }
    v.packedSize += ext.empty() ? 0 : ext.size() + 2;
    if (file.size() > kMaxLevel0Name - 3) {
        return {};
    }
    std::vector<uint8_t> h(2, 0);
    PutCommon(h, v, e.dosTime, attribute);
    h.push_back(1);
    h.push_back(static_cast<uint8_t>(file.size()));
    h.insert(h.end(), file.begin(), file.end());
    PutLe(h, v.crc, 2);
    h.push_back(e.osType);
    h[0] = static_cast<uint8_t>(h.size() - 2 + 2);  // the base header ends with the next size
    uint8_t sum = 0;
    PutLe(h, ext.empty() ? 0 : ext.size() + 2, 2);
    for (size_t i = 2; i < h.size(); ++i) {
        sum = static_cast<uint8_t>(sum + h[i]);
    }
    h[1] = sum;
    if (!ext.empty()) {
        h.insert(h.end(), ext.begin(), ext.end());
        PutLe(h, 0, 2);
    }
    return h;
}

std::vector<uint8_t> Level2(const std::string& dir, const std::string& file, uint8_t attribute,
                            const MemberEntry& e, const HeaderValues& v) {
    std::vector<uint8_t> h(2, 0);
    PutCommon(h, v, static_cast<uint32_t>(e.unixTime), 0x20);
    h.push_back(2);
    PutLe(h, v.crc, 2);
    h.push_back(e.osType);
    // Each extended header's size sits in the two bytes before it: PutExt writes them.
    PutExt(h, kExtCrc, std::string(2, '\0'));
    const size_t crcAt = h.size() - 2;
    if (!file.empty()) {
        PutExt(h, kExtName, file);
    }
    if (!dir.empty()) {
        PutExt(h, kExtFolder, FfSeparated(dir));
    }
    PutExt(h, kExtAttribute, std::string{static_cast<char>(attribute), '\0'});
    PutLe(h, 0, 2);
    // A size whose low byte is 0 would read as the archive's end mark.
    if ((h.size() & 0xFF) == 0) {
        h.push_back(0);
    }
    if (h.size() > 0xFFFF) {
        return {};
    }
    SetLe(h, 0, static_cast<uint32_t>(h.size()), 2);
    SetLe(h, crcAt, Crc16(0, h.data(), h.size()), 2);
    return h;
}

}  // namespace

std::vector<uint8_t> BuildHeader(const MemberEntry& entry, bool folder, int level,
                                 const HeaderValues& values) {
    if (values.packedSize > UINT32_MAX || values.originalSize > UINT32_MAX || entry.path.empty()) {
        return {};
    }
    const uint8_t attribute = static_cast<uint8_t>(entry.attributes | (folder ? kFolderAttribute : 0));
    std::string dir;
    std::string file;
    SplitEntryPath(entry.path, folder, dir, file);
    if (!folder && file.empty()) {
        return {};
    }
    switch (level) {
        case 0:
            return Level0(dir + file, attribute, entry, values);
        case 1:
            return Level1(dir, file, attribute, entry, values);
        case 2:
            return Level2(dir, file, attribute, entry, values);
        default:
            return {};
    }
}

}  // namespace lzh
