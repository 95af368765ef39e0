#include "disk/signature.h"

#include <cstdio>
#include <vector>

#include "disk/platform.h"
#include "lzh/encode_file.h"

namespace disk {
namespace {

constexpr const char* kTool = "osslsigncode";
constexpr size_t kSecurityDirectory = 4;

uint32_t Le(std::span<const uint8_t> b, size_t at, int width) {
    uint32_t v = 0;
    for (int i = width - 1; i >= 0; --i) {
        v = v << 8 | b[at + i];
    }
    return v;
}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::vector<uint8_t> bytes;
    lzh::FileMemberSource in(path);
    uint8_t buf[65536];
    size_t n;
    while (in.Ok() && (n = in.Read(buf, sizeof buf)) > 0) {
        bytes.insert(bytes.end(), buf, buf + n);
    }
    return bytes;
}

// The tool's last line that says something: what a maker needs to see when it fails.
std::string LastLine(const std::string& output) {
    size_t end = output.find_last_not_of("\r\n");
    if (end == std::string::npos) {
        return "no output";
    }
    size_t start = output.find_last_of('\n', end);
    return output.substr(start == std::string::npos ? 0 : start + 1, end - start);
}

std::string Field(const std::string& output, const std::string& name) {
    size_t at = output.find(name);
    if (at == std::string::npos) {
        return "";
    }
    size_t from = output.find_first_not_of(" :", at + name.size());
    size_t to = output.find_first_of(" \r\n", from);
    return output.substr(from, to == std::string::npos ? to : to - from);
}

// The digest the signature holds against the one of the program as it is.
bool DigestsAgree(const std::string& verifyOutput) {
    std::string held = Field(verifyOutput, "Current message digest");
    return !held.empty() && held == Field(verifyOutput, "Calculated message digest");
}

// Verifies the signature against its own certificates: intact, whoever may trust them.
bool VerifiesAgainstItsOwnCertificates(const std::string& program) {
    auto dir = MakeTempFolder();
    if (!dir) {
        return false;
    }
    std::string sig = *dir + "/signature.pem";
    std::string certs = *dir + "/certificates.pem";
    std::string output;
    bool ok =
        RunTool({kTool, "extract-signature", "-pem", "-in", program, "-out", sig}, output) == 0 &&
        RunTool({"openssl", "pkcs7", "-in", sig, "-print_certs", "-out", certs}, output) == 0 &&
        RunTool({kTool, "verify", "-CAfile", certs, "-in", program}, output) == 0;
    std::remove(sig.c_str());
    std::remove(certs.c_str());
    RemoveFolder(*dir);
    return ok;
}

}  // namespace

CertificateTable FindCertificateTable(std::span<const uint8_t> file) {
    if (file.size() < 0x40 || file[0] != 'M' || file[1] != 'Z') {
        return CertificateTable::kNotProgram;
    }
    uint64_t pe = Le(file, 0x3C, 4);
    if (pe + 24 + 2 > file.size() || Le(file, pe, 4) != 0x4550) {
        return CertificateTable::kNotProgram;
    }
    uint64_t optional = pe + 24;
    uint32_t magic = Le(file, optional, 2);
    uint64_t directories = optional + (magic == 0x20B ? 112 : 96);
    if ((magic != 0x10B && magic != 0x20B) ||
        directories + 8 * (kSecurityDirectory + 1) > file.size()) {
        return CertificateTable::kNotProgram;
    }
    if (Le(file, directories - 4, 4) <= kSecurityDirectory) {
        return CertificateTable::kNone;
    }
    uint64_t at = Le(file, directories + 8 * kSecurityDirectory, 4);
    uint64_t size = Le(file, directories + 8 * kSecurityDirectory + 4, 4);
    if (at == 0 && size == 0) {
        return CertificateTable::kNone;
    }
    // A WIN_CERTIFICATE is 8 bytes of header before its signature.
    return size > 8 && at + size <= file.size() ? CertificateTable::kPresent
                                                : CertificateTable::kCutOff;
}

std::string SignProgram(const SigningKey& key, const std::string& in, const std::string& out) {
    std::vector<std::string> argv{kTool, "sign", "-pkcs12", key.pfx, "-h", "sha256"};
    if (!key.passwordFile.empty()) {
        argv.insert(argv.end(), {"-readpass", key.passwordFile});
    }
    if (!key.timestampUrl.empty()) {
        argv.insert(argv.end(), {"-ts", key.timestampUrl});
    }
    argv.insert(argv.end(), {"-in", in, "-out", out});
    std::remove(out.c_str());  // the tool will not write over a file
    std::string output;
    auto rc = RunTool(argv, output);
    if (!rc) {
        return "osslsigncode cannot be run here (Linux, Debian's osslsigncode)";
    }
    return *rc == 0 ? "" : "osslsigncode: " + LastLine(output);
}

void CheckSignature(const std::string& program, Diagnostics& out) {
    switch (FindCertificateTable(ReadAll(program))) {
        case CertificateTable::kNotProgram:
            out.Warn(program, 0, "not a Windows program that can carry a signature");
            return;
        case CertificateTable::kNone:
            out.Warn(program, 0,
                     "not signed: SmartScreen warns of it, and fleets that "
                     "admit only signed programs refuse it (make --sign)");
            return;
        case CertificateTable::kCutOff:
            out.Error(program, 0,
                      "the signature is cut off (the header names more than the file holds)");
            return;
        case CertificateTable::kPresent:
            break;
    }
    std::string output;
    auto rc = RunTool({kTool, "verify", "-in", program}, output);
    if (!rc) {
        out.Warn(program, 0, "signed, but osslsigncode is not here to verify it");
    } else if (*rc == 0) {
        return;
    } else if (!DigestsAgree(output)) {
        out.Error(program, 0,
                  "the signature does not match the program: it was changed after signing");
    } else if (!VerifiesAgainstItsOwnCertificates(program)) {
        out.Error(program, 0,
                  "the signature is broken: it does not verify even against its own certificates");
    } else {
        out.Warn(program, 0,
                 "signed by a certificate this machine does not trust; "
                 "the PCs that run it must trust it");
    }
}

}  // namespace disk
