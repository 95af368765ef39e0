// File names the installation folder checks look for, as the product names them.
#pragma once

namespace settings {

inline constexpr char kTovakaIni[] = "tovaka1.ini";
inline constexpr char kVestimaIni[] = "vestima1.ini";
inline constexpr char kTovakaIniUpper[] = "TOVAKA1.INI";
inline constexpr char kPallumIniUpper[] = "PALLUM1.INI";
inline constexpr char kMenuIni2[] = "tv2menu.ini";
inline constexpr char kMenuIni1[] = "tv1menu.ini";
inline constexpr char kAnyName[] = "NULL";

// Version and identity checks.
inline constexpr char kPallumIni[] = "PALLUM1.ini";
inline constexpr char kVestimaIniUpper[] = "VESTIMA1.INI";
inline constexpr char kSystemSection[] = "SYSTEM";
inline constexpr char kVersionKey[] = "VERSION";
inline constexpr char kMakerKey[] = "MAKER";
inline constexpr char kTitleKey[] = "TITLE";
inline constexpr char kDefaultVersion[] = "9999";
inline constexpr char kDefaultMaker[] = "1";

// Material master conversion.
inline constexpr char kDirSection[] = "DIR";
inline constexpr char kMasterKey[] = "MASTER";
inline constexpr char kVoiceKey[] = "WAV";
inline constexpr char kFirstMasterFolder[] = "1\\";
inline constexpr char kSecondMasterFolder[] = "21\\";
// Split so that no "??-" trigraph warning arises.
inline constexpr char kMasterPattern[] =
    "zai??"
    "?-3.mst";
inline constexpr char kWorkFile[] = "temp.mst";

}  // namespace settings
