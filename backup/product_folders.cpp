#include "backup/product_folders.h"

#include "framework/directory.h"
#include "settings/masters.h"
#include "settings/texts.h"
#include "text/path.h"

namespace backup {

namespace {

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
    const std::string base = text::WithSeparator(product);
    if (!settingsFile.empty()) {
        AddFolder(folders, settings::VoiceFolderSetting(base + settingsFile));
    } else {
        for (const char* name : {settings::kTovakaIni, settings::kVestimaIni}) {
            AddFolder(folders, settings::VoiceFolderSetting(base + name));
        }
    }
    for (const std::string& folder : settings::MasterFolders(base + settings::kTovakaIni)) {
        AddFolder(folders, folder);
    }
    return folders;
}

}  // namespace backup
