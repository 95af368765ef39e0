// Signed programs on disk 1: where the PE header puts the signature, and the round trip
// through osslsigncode: sign on the spot, check clean, flip a byte or cut it off, check fails.
#include <gtest/gtest.h>

#include <cstdio>

#include "disk/disk.h"
#include "disk/platform.h"
#include "disk/signature.h"
#include "tests/support/test_support.h"

namespace {

using disk::CertificateTable;

void Put(std::string& b, size_t at, uint32_t v, int width) {
    for (int i = 0; i < width; ++i) {
        b[at + i] = static_cast<char>(v >> (8 * i));
    }
}

// The smallest program Windows and osslsigncode take: headers, one section with a `ret`.
std::string TinyProgram(bool pe32plus = false) {
    std::string b(0x400, '\0');
    b[0] = 'M';
    b[1] = 'Z';
    Put(b, 0x3C, 0x40, 4);
    b.replace(0x40, 4, std::string("PE\0\0", 4));
    const uint32_t optionalSize = pe32plus ? 240 : 224;
    Put(b, 0x44, pe32plus ? 0x8664 : 0x14C, 2);
    Put(b, 0x46, 1, 2);  // sections
    Put(b, 0x54, optionalSize, 2);
    Put(b, 0x56, 0x102, 2);
    const size_t o = 0x58;
    Put(b, o, pe32plus ? 0x20B : 0x10B, 2);
    Put(b, o + 16, 0x1000, 4);    // entry point
    Put(b, o + 24, 0x400000, 4);  // image base (low half for PE32+)
    Put(b, o + 32, 0x1000, 4);
    Put(b, o + 36, 0x200, 4);
    Put(b, o + 40, 4, 2);
    Put(b, o + 48, 4, 2);
    Put(b, o + 56, 0x2000, 4);
    Put(b, o + 60, 0x200, 4);
    Put(b, o + 68, 2, 2);                      // GUI
    Put(b, o + (pe32plus ? 108 : 92), 16, 4);  // data directories
    const size_t section = o + optionalSize;
    b.replace(section, 5, ".text");
    Put(b, section + 8, 0x10, 4);
    Put(b, section + 12, 0x1000, 4);
    Put(b, section + 16, 0x200, 4);
    Put(b, section + 20, 0x200, 4);
    Put(b, section + 36, 0x60000020, 4);
    b[0x200] = '\xC3';
    return b;
}

// Sets the certificate table's entry, as a signing tool would, and appends `tail` bytes.
std::string WithTable(std::string b, uint32_t at, uint32_t size, size_t tail,
                      bool pe32plus = false) {
    Put(b, 0x58 + (pe32plus ? 112 : 96) + 8 * 4, at, 4);
    Put(b, 0x58 + (pe32plus ? 112 : 96) + 8 * 4 + 4, size, 4);
    return b + std::string(tail, '\x01');
}

CertificateTable Table(const std::string& b) {
    return disk::FindCertificateTable(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(b.data()), b.size()));
}

TEST(Signature, TheHeaderSaysWhereTheSignatureIs) {
    std::string fewDirectories = TinyProgram();
    Put(fewDirectories, 0x58 + 92, 4, 4);
    std::string notPe = TinyProgram();
    notPe[0x41] = 'X';
    struct Case {
        const char* what;
        std::string file;
        CertificateTable want;
    };
    for (const Case& c : {
             Case{"unsigned", TinyProgram(), CertificateTable::kNone},
             Case{"unsigned PE32+", TinyProgram(true), CertificateTable::kNone},
             Case{"signed", WithTable(TinyProgram(), 0x400, 0x200, 0x200),
                  CertificateTable::kPresent},
             Case{"signed PE32+", WithTable(TinyProgram(true), 0x400, 0x200, 0x200, true),
                  CertificateTable::kPresent},
             Case{"signature cut short", WithTable(TinyProgram(), 0x400, 0x200, 0x1FF),
                  CertificateTable::kCutOff},
             Case{"signature stripped, entry left", WithTable(TinyProgram(), 0x400, 0x200, 0),
                  CertificateTable::kCutOff},
             Case{"an entry past 4 GB", WithTable(TinyProgram(), 0xFFFFFF00, 0x200, 0),
                  CertificateTable::kCutOff},
             Case{"too few directories", fewDirectories, CertificateTable::kNone},
             Case{"no PE signature", notPe, CertificateTable::kNotProgram},
             Case{"header past the end", TinyProgram().substr(0, 0x80),
                  CertificateTable::kNotProgram},
             Case{"a text file", "MZ program", CertificateTable::kNotProgram},
         }) {
        EXPECT_EQ(Table(c.file), c.want) << c.what;
    }
}

using testing_support::ReadFile;
using testing_support::WriteFile;

class SigningRoundTrip : public ::testing::Test {
protected:
    void SetUp() override {
        std::string output;
        if (!disk::RunTool({"osslsigncode", "--version"}, output)) {
            GTEST_SKIP() << "osslsigncode is not here";
        }
        dir_ = disk::MakeTempFolder().value();
        key_.pfx = dir_ + "/maker.pfx";
        key_.passwordFile = dir_ + "/password.txt";
        WriteFile(key_.passwordFile, "on the spot\n");
        ASSERT_EQ(disk::RunTool({"openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                                 "-days", "2", "-subj", "/CN=Renovo test maker", "-keyout",
                                 dir_ + "/key.pem", "-out", dir_ + "/cert.pem"},
                                output),
                  0)
            << output;
        ASSERT_EQ(disk::RunTool({"openssl", "pkcs12", "-export", "-inkey", dir_ + "/key.pem", "-in",
                                 dir_ + "/cert.pem", "-out", key_.pfx, "-passout",
                                 "file:" + key_.passwordFile},
                                output),
                  0)
            << output;
        WriteFile(dir_ + "/program.exe", TinyProgram());
    }
    void TearDown() override {
        for (const std::string& n : disk::ListFolder(dir_).value_or(std::vector<std::string>{})) {
            std::remove((dir_ + "/" + n).c_str());
        }
        disk::RemoveFolder(dir_);
    }
    disk::Diagnostics Check(const std::string& program) {
        disk::Diagnostics d;
        disk::CheckSignature(program, d);
        return d;
    }

    std::string dir_;
    disk::SigningKey key_;
};

TEST_F(SigningRoundTrip, SignedChecksCleanAndAByteChangedOrCutOffFails) {
    const std::string signedProgram = dir_ + "/signed.exe";
    ASSERT_EQ(disk::SignProgram(key_, dir_ + "/program.exe", signedProgram), "");
    ASSERT_EQ(Table(ReadFile(signedProgram)), CertificateTable::kPresent);
    disk::Diagnostics clean = Check(signedProgram);
    EXPECT_FALSE(clean.HasErrors()) << clean.Format();
    // A certificate made on the spot is trusted by nobody: said, but no error.
    EXPECT_NE(clean.Format().find("does not trust"), std::string::npos) << clean.Format();

    std::string flipped = ReadFile(signedProgram);
    flipped[0x200] ^= 0x01;
    WriteFile(dir_ + "/flipped.exe", flipped);
    disk::Diagnostics changed = Check(dir_ + "/flipped.exe");
    EXPECT_TRUE(changed.HasErrors());
    EXPECT_NE(changed.Format().find("changed after signing"), std::string::npos)
        << changed.Format();

    std::string blob = ReadFile(signedProgram);
    blob[blob.size() - 300] ^= 0x55;  // inside the signature itself
    WriteFile(dir_ + "/blob.exe", blob);
    EXPECT_TRUE(Check(dir_ + "/blob.exe").HasErrors());

    WriteFile(dir_ + "/cut.exe", ReadFile(signedProgram).substr(0, 0x500));
    disk::Diagnostics cut = Check(dir_ + "/cut.exe");
    EXPECT_NE(cut.Format().find("cut off"), std::string::npos) << cut.Format();

    disk::Diagnostics unsignedProgram = Check(dir_ + "/program.exe");
    EXPECT_FALSE(unsignedProgram.HasErrors());
    EXPECT_NE(unsignedProgram.Format().find("not signed"), std::string::npos);
}

TEST_F(SigningRoundTrip, MakeSignsTheProgramItPutsOnDiskOne) {
    WriteFile(dir_ + "/p.ini",
          "[product]\nuninstall = TOVAKA Test\nversion = 3\n[disk]\nprogram = program.exe\n"
          "[files]\nfile = p.ini, SYSTEM\\, p.ini\n");
    disk::Project project;
    disk::Diagnostics d;
    ASSERT_TRUE(disk::ParseProject(dir_ + "/p.ini", project, d)) << d.Format();
    project.signing = key_;
    std::vector<std::string> disks;
    EXPECT_TRUE(disk::MakeDisks(project, dir_ + "/out", d, disks)) << d.Format();
    ASSERT_EQ(disks.size(), 1u);
    EXPECT_EQ(Table(ReadFile(disks[0] + "/RENOVO.EXE")), CertificateTable::kPresent);
    EXPECT_EQ(d.Format().find("not signed"), std::string::npos) << d.Format();
    for (const char* n : {"RENOVO.EXE", "info.txt", "p.ini"}) {
        std::remove((disks[0] + "/" + n).c_str());
    }
    disk::RemoveFolder(disks[0]);
    disk::RemoveFolder(dir_ + "/out");
}

TEST_F(SigningRoundTrip, AWrongPasswordIsRefusedWithTheToolsWords) {
    WriteFile(key_.passwordFile, "not it\n");
    std::string why = disk::SignProgram(key_, dir_ + "/program.exe", dir_ + "/signed.exe");
    EXPECT_NE(why.find("osslsigncode: "), std::string::npos) << why;
    EXPECT_FALSE(disk::FileSize(dir_ + "/signed.exe").has_value());
}

}  // namespace
