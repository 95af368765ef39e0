#include <windows.h>

#include <gtest/gtest.h>

#include "archiver/texts.h"
#include "engine/texts.h"
#include "engine/voice_data.h"
#include "tests/archiver/fixture.h"
#include "tests/support/test_support.h"

namespace {

using testing_support::FileExists;
using testing_support::MakeDir;
using testing_support::ReadFile;
using testing_support::WriteFile;

struct Shown {
    std::string text;
    std::string caption;
    engine::Buttons buttons;
};

class RecordingSeam : public engine::MessageSeam {
public:
    int ShowMessage(const std::string& text, const std::string& caption,
                    engine::Buttons buttons) override {
        shown.push_back({text, caption, buttons});
        return engine::kAnswerOk;
    }
    void BeginWaitCursor() override {}
    void EndWaitCursor() override {}
    std::vector<Shown> shown;
};

// The product lives in a short folder at the root, a deep voice folder below it.
class VoiceData : public ::testing::Test {
protected:
    void SetUp() override {
        product_ = "C:\\rv" + std::to_string(GetCurrentProcessId() % 100000) + "\\";
        testing_support::RemoveTree(product_);
        MakeDir(product_);
        MakeDir(product_ + "\x89\xb9\x90\xba");  // 音声
    }
    void TearDown() override { testing_support::RemoveTree(product_); }

    void PutArchive(const std::string& bytes) {
        WriteFile(product_ + "\x89\xb9\x90\xba\\wave.lzh", bytes);
    }
    void PutSettings(const std::string& wav) {
        WriteFile(product_ + "tovaka1.ini",
                  "[SYSTEM]\r\nVERSION=1\r\n[DIR]\r\nWAV=" + wav + "\r\n");
    }
    bool Install() { return engine::InstallVoiceData(seam_, product_, engine::VoiceFolder(product_, "tovaka1.ini"), nullptr); }

    std::string product_;
    RecordingSeam seam_;
};

TEST_F(VoiceData, UnpacksIntoTheFolderNamedWithoutSeparator) {
    PutArchive(ReadFile(archiver_test::DataFile("level2o7.lzh")));
    MakeDir(product_ + "WAV");
    PutSettings(product_ + "WAV");
    EXPECT_TRUE(Install());
    EXPECT_TRUE(seam_.shown.empty());
    EXPECT_EQ(ReadFile(product_ + "WAV\\numbers.txt"), archiver_test::NumbersText());
    EXPECT_EQ(ReadFile(product_ + "WAV\\binary.dat"), archiver_test::BinaryData());
}

TEST_F(VoiceData, NoFolderOrNoKeyMeansSilentlyNothing) {
    PutArchive("not even an archive");
    for (const std::string& wav : {product_ + "WAV", std::string()}) {
        PutSettings(wav);
        EXPECT_TRUE(Install());
    }
    WriteFile(product_ + "tovaka1.ini", "[SYSTEM]\r\nVERSION=1\r\n");
    EXPECT_TRUE(Install());
    EXPECT_TRUE(seam_.shown.empty());
    EXPECT_FALSE(FileExists(product_ + "WAV"));
}

TEST_F(VoiceData, ArchiverFailureShownUnderConfirm) {
    MakeDir(product_ + "WAV");
    PutSettings(product_ + "WAV");
    for (bool present : {false, true}) {
        if (present) {
            PutArchive(archiver_test::StoredArchive().Add("w.wav", "RIFF").Bytes().substr(0, 30));
        }
        seam_.shown.clear();
        EXPECT_FALSE(Install());
        ASSERT_EQ(seam_.shown.size(), 1u) << present;
        EXPECT_EQ(seam_.shown[0].caption, engine::kCaptionConfirm);
        EXPECT_EQ(seam_.shown[0].buttons, engine::Buttons::kOk);
        // The archiver's whole text: the archive's path, and the state its last line tells.
        const std::string& text = seam_.shown[0].text;
        EXPECT_NE(text.find(product_ + "\x89\xb9\x90\xba\\wave.lzh"), std::string::npos) << text;
        EXPECT_EQ(text.ends_with(archiver::kNothingWritten), present) << text;
    }
    EXPECT_FALSE(FileExists(product_ + "WAV\\w.wav"));
}

// The original's command held 99 bytes; a folder as deep as Windows takes now unpacks.
TEST_F(VoiceData, DeepFolderBeyondTheOriginalsCommandUnpacks) {
    PutArchive(ReadFile(archiver_test::DataFile("level2o7.lzh")));
    const std::string deepFolder = product_ + std::string(200, 'v');
    MakeDir(deepFolder);
    PutSettings(deepFolder);
    EXPECT_TRUE(Install());
    EXPECT_TRUE(seam_.shown.empty());
    EXPECT_EQ(ReadFile(deepFolder + "\\numbers.txt"), archiver_test::NumbersText());
}

}  // namespace
