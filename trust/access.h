// The acceptance rule for a folder that a product's settings name (a voice or master folder),
// on this PC's folders and access lists.
#pragma once

#include <windows.h>

#include <string>

#include "trust/access_rule.h"
#include "trust/system_folders.h"

namespace trust {

// The plain model of `descriptor` (owner and access list, generic rights mapped to a file's).
// false: it cannot be read.
bool ReadDescriptor(PSECURITY_DESCRIPTOR descriptor, Descriptor& out);
// The same for a file or folder by its name; false, GetLastError says why.
bool ReadDescriptorOf(const std::string& path, Descriptor& out);

// Under Wine every file reads back as owned by the one user its programs run as, an
// administrator: that user counts as one. Administrators and SYSTEM everywhere.
bool IsAdministratorSid(const std::string& sid);

// Empty when whoever may change the settings (`settings`) may also add files to the folder
// (`folder`); else why not, for the log.
std::string WhyNotTheirs(const Descriptor& settings, const Descriptor& folder);

// The Windows folder, both Program Files folders and the profile folders of this PC.
SystemFolders SystemFoldersOfThisPc();

// Empty when a run may write into `folder` (a full path) that `settingsFile` names: never a
// system folder (ForbiddenFolder); and for an elevated run whose settings others than
// administrators may change, only a folder those users may add files to themselves (the
// nearest folder that exists, for one the run would make). Else why not, for the log.
std::string WhySettingsFolderRefused(const std::string& settingsFile, const std::string& folder,
                                     bool elevated);

// The refusal as the user reads it: the setting ("[DIR] WAV") and the folder.
std::string FolderRefusedMessage(const std::string& setting, const std::string& folder);

}  // namespace trust
