// Is the installed product the version and variant this update is made for? Both read the
// product's settings files through the platform's profile functions.
#pragma once

#include <array>
#include <string>

namespace settings {

// True when the installed version (section "SYSTEM", key "VERSION" of the version file in
// `folder`) equals `requiredVersion` read as a number.
bool CheckInstalledVersion(const std::string& requiredVersion, const std::string& folder);

// The installed variant: 0 or 99 for vestima1.ini products (told apart by their maker),
// 1 to 15 by the first of `systemNames` found in the product's title, -1 when not identified.
int GetSystemNumber(const std::array<std::string, 15>& systemNames, const std::string& folder,
                    const std::string& settingsFile);

}  // namespace settings
