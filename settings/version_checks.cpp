#include "settings/version_checks.h"

#include "settings/profile.h"
#include "settings/texts.h"
#include "text/cp932.h"

namespace settings {

namespace {
constexpr size_t kVersionBuffer = 32;
constexpr size_t kIdentityBuffer = 100;
constexpr int kNoVersionNumber = 9999;  // what a missing VERSION reads as: version 2
constexpr int kFirstPallumVersion = 4;
}  // namespace

bool CheckInstalledVersion(const std::string& requiredVersion, const std::string& folder) {
    const int required = text::AtoiRule(requiredVersion);
    const char* file = required < kFirstPallumVersion ? kTovakaIni : kPallumIni;
    const int read = text::AtoiRule(ReadProfileString(folder + file, kSystemSection, kVersionKey,
                                                      kDefaultVersion, kVersionBuffer));
    const int installed = read == kNoVersionNumber ? 2 : read;
    return required == installed;
}

int GetSystemNumber(const std::array<std::string, 15>& systemNames, const std::string& folder,
                    const std::string& settingsFile) {
    const std::string path = folder + settingsFile;
    if (text::ToUpperAscii(settingsFile) == kVestimaIniUpper) {
        const std::string maker =
            ReadProfileString(path, kSystemSection, kMakerKey, kDefaultMaker, kIdentityBuffer);
        return text::AtoiRule(maker) == 1 ? 0 : 99;
    }
    const std::string title =
        ReadProfileString(path, kSystemSection, kTitleKey, "", kIdentityBuffer);
    for (size_t i = 0; i < systemNames.size(); ++i) {
        if (text::FindOnBoundary(title, systemNames[i]) != std::string::npos) {
            return static_cast<int>(i) + 1;
        }
    }
    return -1;
}

}  // namespace settings
