// Every system text of the engine and the settings checks, as the bytes the user and the
// product's files see: written here as their cp932 encoding (from iconv, not from this
// compiler), so that a typo in a constant, or a wrong execution charset, cannot pass.
#include <gtest/gtest.h>

#include <string_view>

#include "engine/texts.h"
#include "settings/texts.h"

namespace {

struct SystemText {
    const char* name;
    std::string_view constant;
    std::string_view bytes;
};

const SystemText kTexts[] = {
    // エラー
    {"kCaptionError", engine::kCaptionError, "\x83\x47\x83\x89\x81\x5b"},
    // 確認
    {"kCaptionConfirm", engine::kCaptionConfirm, "\x8a\x6d\x94\x46"},
    // ｲﾝｽﾄｰﾙ先ﾌｫﾙﾀﾞが正しくないと思われます。
    {"kWrongFolder", engine::kWrongFolder,
     "\xb2\xdd\xbd\xc4\xb0\xd9\x90\xe6\xcc\xab\xd9\xc0\xde\x82\xaa\x90\xb3\x82\xb5\x82\xad\x82\xc8"
     "\x82\xa2\x82\xc6\x8e\x76\x82\xed\x82\xea\x82\xdc\x82\xb7\x81\x42"},
    // このバージョンへの更新はできません。
    {"kCannotUpdate", engine::kCannotUpdate,
     "\x82\xb1\x82\xcc\x83\x6f\x81\x5b\x83\x57\x83\x87\x83\x93\x82\xd6\x82\xcc\x8d\x58\x90\x56\x82"
     "\xcd\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42"},
    // %d 枚目のｱｯﾌﾟﾃﾞｲﾄFDをｾｯﾄしてください。
    {"kInsertDisk", engine::kInsertDisk,
     "\x25\x64\x20\x96\x87\x96\xda\x82\xcc\xb1\xaf\xcc\xdf\xc3\xde\xb2\xc4\x46\x44\x82\xf0\xbe\xaf"
     "\xc4\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81\x42"},
    // ｱｯﾌﾟﾃﾞｲﾄを取消しました。
    {"kCancelled", engine::kCancelled,
     "\xb1\xaf\xcc\xdf\xc3\xde\xb2\xc4\x82\xf0\x8e\xe6\x8f\xc1\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81"
     "\x42"},
    // %sの更新に失敗しました。
    {"kUpdateFailed", engine::kUpdateFailed,
     "\x25\x73\x82\xcc\x8d\x58\x90\x56\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81"
     "\x42"},
    // %sの属性更新に失敗しました。
    {"kAttributeFailed", engine::kAttributeFailed,
     "\x25\x73\x82\xcc\x91\xae\x90\xab\x8d\x58\x90\x56\x82\xc9\x8e\xb8\x94\x73\x82\xb5\x82\xdc\x82"
     "\xb5\x82\xbd\x81\x42"},
    // 材料ｻｲｽﾞ変換が正常に更新されませんでした。
    {"kSizeConversionFailed", engine::kSizeConversionFailed,
     "\x8d\xde\x97\xbf\xbb\xb2\xbd\xde\x95\xcf\x8a\xb7\x82\xaa\x90\xb3\x8f\xed\x82\xc9\x8d\x58\x90"
     "\x56\x82\xb3\x82\xea\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42"},
    // 材料ﾀｲﾌﾟ変換が正常に更新されませんでした。
    {"kTypeConversionFailed", engine::kTypeConversionFailed,
     "\x8d\xde\x97\xbf\xc0\xb2\xcc\xdf\x95\xcf\x8a\xb7\x82\xaa\x90\xb3\x8f\xed\x82\xc9\x8d\x58\x90"
     "\x56\x82\xb3\x82\xea\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42"},
    // システムは正常に更新されました。
    {"kUpdated", engine::kUpdated,
     "\x83\x56\x83\x58\x83\x65\x83\x80\x82\xcd\x90\xb3\x8f\xed\x82\xc9\x8d\x58\x90\x56\x82\xb3\x82"
     "\xea\x82\xdc\x82\xb5\x82\xbd\x81\x42"},
    {"kArchiveExtension", engine::kArchiveExtension, ".lzh"},
    {"kStartArchive", engine::kStartArchive, "START"},
    {"kMaster21Prefix", engine::kMaster21Prefix, "MASTER21"},
    {"kSectionSystem", engine::kSectionSystem, "SYSTEM"},
    // ﾃﾞｼﾞﾀｲｻﾞ
    {"kKeyDigitizer", engine::kKeyDigitizer, "\xc3\xde\xbc\xde\xc0\xb2\xbb\xde"},
    // ﾃﾞｼﾞﾀｲｻﾞMST
    {"kKeyDigitizerMaster", engine::kKeyDigitizerMaster,
     "\xc3\xde\xbc\xde\xc0\xb2\xbb\xde\x4d\x53\x54"},
    {"kKeyTitle", engine::kKeyTitle, "TITLE"},
    // ﾎﾟﾙﾀﾝ
    {"kTitleMark", engine::kTitleMark, "\xce\xdf\xd9\xc0\xdd"},
    //  with ﾎﾟﾙﾀﾝ
    {"kTitleSuffix", engine::kTitleSuffix, "\x20\x77\x69\x74\x68\x20\xce\xdf\xd9\xc0\xdd"},
    {"kOn", engine::kOn, "1"},
    // 音声\wave
    {"kVoiceArchive", engine::kVoiceArchive, "\x89\xb9\x90\xba\x5c\x77\x61\x76\x65"},
    {"kVoiceKey", settings::kVoiceKey, "WAV"},
    // ｱｯﾌﾟﾃﾞｲﾄFDにﾌｧｲﾙ %s がないため、更新できません。
    {"kSourceMissing", engine::kSourceMissing,
     "\xb1\xaf\xcc\xdf\xc3\xde\xb2\xc4\x46\x44\x82\xc9\xcc\xa7\xb2\xd9\x20\x25\x73\x20\x82\xaa"
     "\x82\xc8\x82\xa2\x82\xbd\x82\xdf\x81\x41\x8d\x58\x90\x56\x82\xc5\x82\xab\x82\xdc\x82\xb9"
     "\x82\xf1\x81\x42"},
    // 次のﾌｧｲﾙは他のﾌﾟﾛｸﾞﾗﾑが使用中のため、更新できません。
    {"kFilesInUse", engine::kFilesInUse,
     "\x8e\x9f\x82\xcc\xcc\xa7\xb2\xd9\x82\xcd\x91\xbc\x82\xcc\xcc\xdf\xdb\xb8\xde\xd7\xd1\x82\xaa"
     "\x8e\x67\x97\x70\x92\x86\x82\xcc\x82\xbd\x82\xdf\x81\x41\x8d\x58\x90\x56\x82\xc5\x82\xab\x82"
     "\xdc\x82\xb9\x82\xf1\x81\x42"},
    {"kHeldBy", engine::kHeldBy, "%s (%s)"},
    // 、
    {"kListSeparator", engine::kListSeparator, "\x81\x41"},
    // ほか %d 個のﾌｧｲﾙ
    {"kMoreFilesInUse", engine::kMoreFilesInUse,
     "\x82\xd9\x82\xa9\x20\x25\x64\x20\x8c\xc2\x82\xcc\xcc\xa7\xb2\xd9"},
    // ﾌﾟﾛｸﾞﾗﾑを終了してから[再試行]を押してください。
    {"kCloseAndRetry", engine::kCloseAndRetry,
     "\xcc\xdf\xdb\xb8\xde\xd7\xd1\x82\xf0\x8f\x49\x97\xb9\x82\xb5\x82\xc4\x82\xa9\x82\xe7\x5b\x8d"
     "\xc4\x8e\x8e\x8d\x73\x5d\x82\xf0\x89\x9f\x82\xb5\x82\xc4\x82\xad\x82\xbe\x82\xb3\x82\xa2\x81"
     "\x42"},
    // ﾌｫﾙﾀﾞ %s にﾌｧｲﾙを書き込めません。\n管理者の権限が必要な場合があります。
    {"kCannotWriteFolder", engine::kCannotWriteFolder,
     "\xcc\xab\xd9\xc0\xde\x20\x25\x73\x20\x82\xc9\xcc\xa7\xb2\xd9\x82\xf0\x8f\x91\x82\xab\x8d\x9e"
     "\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x81\x42\x0a\x8a\xc7\x97\x9d\x8e\xd2\x82\xcc\x8c\xa0\x8c\xc0"
     "\x82\xaa\x95\x4b\x97\x76\x82\xc8\x8f\xea\x8d\x87\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb7\x81"
     "\x42"},
    // 次のﾊﾟｽが長すぎるため、更新できません。\n%s
    {"kPathTooLong", engine::kPathTooLong,
     "\x8e\x9f\x82\xcc\xca\xdf\xbd\x82\xaa\x92\xb7\x82\xb7\x82\xac\x82\xe9\x82\xbd\x82\xdf\x81\x41"
     "\x8d\x58\x90\x56\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x81\x42\x0a\x25\x73"},
    {"kTovakaIni", settings::kTovakaIni, "tovaka1.ini"},
    {"kVestimaIni", settings::kVestimaIni, "vestima1.ini"},
    {"kTovakaIniUpper", settings::kTovakaIniUpper, "TOVAKA1.INI"},
    {"kPallumIniUpper", settings::kPallumIniUpper, "PALLUM1.INI"},
    {"kMenuIni2", settings::kMenuIni2, "tv2menu.ini"},
    {"kMenuIni1", settings::kMenuIni1, "tv1menu.ini"},
    {"kAnyName", settings::kAnyName, "NULL"},
    {"kPallumIni", settings::kPallumIni, "PALLUM1.ini"},
    {"kVestimaIniUpper", settings::kVestimaIniUpper, "VESTIMA1.INI"},
    {"kSystemSection", settings::kSystemSection, "SYSTEM"},
    {"kVersionKey", settings::kVersionKey, "VERSION"},
    {"kMakerKey", settings::kMakerKey, "MAKER"},
    {"kTitleKey", settings::kTitleKey, "TITLE"},
    {"kDefaultVersion", settings::kDefaultVersion, "9999"},
    {"kDefaultMaker", settings::kDefaultMaker, "1"},
    {"kDirSection", settings::kDirSection, "DIR"},
    {"kMasterKey", settings::kMasterKey, "MASTER"},
    {"kFirstMasterFolder", settings::kFirstMasterFolder, "1\\"},
    {"kSecondMasterFolder", settings::kSecondMasterFolder, "21\\"},
    {"kMasterPattern", settings::kMasterPattern,
     "zai"
     "\x3f\x3f\x3f"
     "-3.mst"},
    {"kWorkFile", settings::kWorkFile, "temp.mst"},
};

class SystemTexts : public ::testing::TestWithParam<SystemText> {};

TEST_P(SystemTexts, AreTheirBytesExactly) {
    EXPECT_EQ(GetParam().constant, GetParam().bytes);
}

INSTANTIATE_TEST_SUITE_P(All, SystemTexts, ::testing::ValuesIn(kTexts),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
