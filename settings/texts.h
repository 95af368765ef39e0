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

}  // namespace settings
