#include "backup/product_folders.h"

#include <windows.h>

#include "backup/texts.h"
#include "framework/directory.h"
#include "settings/texts.h"

namespace backup {

namespace {

// The whole value, however long: a folder is never taken cut short.
std::string ReadValue(const std::string& file, const char* section, const char* key) {
    for (DWORD size = 256;; size *= 2) {
        std::string value(size, '\0');
        const DWORD got =
            GetPrivateProfileStringA(section, key, "", value.data(), size, file.c_str());
        if (got + 1 < size) {
            value.resize(got);
            return value;
        }
    }
}

bool OnADrive(const std::string& value) {
    return value.size() >= 3 && value[1] == ':' && (value[2] == '\\' || value[2] == '/');
}

void AddFolder(Confinement& folders, const std::string& value) {
    if (OnADrive(value)) {
        folders.AddRoot(FullFormOf(value));
    }
}

}  // namespace

std::string FullFormOf(const std::string& path) {
    return framework::FullPath(path);
}

Confinement ProductFolders(const std::string& productFolder, const std::string& settingsFile) {
    Confinement folders;
    const std::string product = FullFormOf(productFolder);
    folders.AddRoot(product);
    const std::string base = WithoutTrailingSeparator(product) + "\\";
    if (!settingsFile.empty()) {
        AddFolder(folders, ReadValue(base + settingsFile, settings::kDirSection, kVoiceKey));
    } else {
        for (const char* name : {settings::kTovakaIni, settings::kVestimaIni}) {
            AddFolder(folders, ReadValue(base + name, settings::kDirSection, kVoiceKey));
        }
    }
    const std::string masters =
        ReadValue(base + settings::kTovakaIni, settings::kDirSection, settings::kMasterKey);
    for (const char* folder : {settings::kFirstMasterFolder, settings::kSecondMasterFolder}) {
        AddFolder(folders, masters + folder);
    }
    return folders;
}

}  // namespace backup
