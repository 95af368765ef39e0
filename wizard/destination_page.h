// The second page: shows the folder proposed (wizard/installed_folder.h) or chosen before
// and lets the user pick another one by drive and folder lists or type it.
#pragma once

#include <optional>
#include <string>

#include "framework/dialog.h"
#include "framework/directory.h"
#include "framework/list_box.h"

class CDestinationPage : public framework::Dialog {
public:
    CDestinationPage();

    framework::ListBox folderList;
    framework::ListBox driveList;
    int savedDrive = 0;      // 1 = A:, 2 = B:, ...
    std::string destFolder;  // in: the proposal; out (result 1): the path edit's text
    std::string notes;       // CR LF line breaks
    std::string bitmap;      // relative to the program folder

protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;
    void OnCancel() override;
    bool OnPaint() override;

private:
    void OnSelchangeDriveList();
    void OpenSelectedFolder();
    void OnBack();
    // Lists the subfolders of the drive of `driveEntry` (such as "[-c-]") that `folderPattern`
    // names relative to that drive.
    void FillFolderList(const std::string& driveEntry, const char* folderPattern);
    // Back to the drive of before and, for a program folder such as "A:", to where that drive
    // was: browsing it must not move the update disk's files away from their names.
    void RestoreDrive() const;

    std::optional<framework::DriveDirectory> programDrive_;
};
