// What names an update on a PC: the product it belongs to and the disk set it came from.
// Pure, shared by Renovo and the disk tool, so that the rule the tool prints for a set is the
// key the run writes for it.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace receipt {

// Receipts of every update live under this key of HKLM, in the registry's 32-bit view.
inline constexpr char kUpdatesKey[] = "SOFTWARE\\Renovo\\Updates";
// The value that a fleet tool's detection rule looks for (REG_DWORD, the run's exit code).
inline constexpr char kResultValue[] = "Result";

// SHA-256 of `bytes`.
std::array<unsigned char, 32> Sha256(std::string_view bytes);

// The update id: the first 128 bits of the SHA-256 of disk 1's "info.txt" as it is on the disk,
// 32 upper-case hex digits. Every copy of one set (floppies, images, one folder) has the same
// manifest bytes and so the same id; two sets differ in at least their manifests' file lists,
// versions or notes. A set re-made with other archive contents but a byte-identical manifest
// keeps its id: change the manifest (a note) when such a set must install again.
std::string UpdateIdOf(std::string_view manifestBytes);

// The product key: the manifest's first Uninstall key name (line 1), the name that already
// identifies the product on the PC and that every update of it carries first. A '\' (which
// would nest keys) becomes '_'; trailing blanks are dropped; cut to 255 bytes on a character
// boundary. Empty when the manifest names no Uninstall key: no receipt can be written then.
std::string ProductKeyOf(const std::array<std::string, 15>& uninstallKeys);

// The receipt's key below HKLM (cp932): SOFTWARE\Renovo\Updates\<product key>\<update id>.
std::string ReceiptKeyPath(const std::string& productKey, const std::string& updateId);

// The detection rule a fleet tool is given, several lines (cp932, LF line ends).
std::string DetectionRule(const std::string& productKey, const std::string& updateId);

}  // namespace receipt
