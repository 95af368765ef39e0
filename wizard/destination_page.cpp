#include "wizard/destination_page.h"

#include <direct.h>

#include "app/res/resource.h"
#include "framework/application.h"
#include "wizard/installed_folder.h"
#include "wizard/page_picture.h"
#include "wizard/subfolders.h"
#include "wizard/texts.h"

namespace {

// A drive list entry reads "[-c-]": its letter is the third character.
char DriveLetter(const std::string& entry) {
    return entry.size() > 2 ? entry[2] : '\0';
}

// A folder list entry reads "[name]".
std::string FolderName(const std::string& entry) {
    if (entry.size() >= 2 && entry.front() == '[') {
        return entry.substr(1, entry.size() - 2);
    }
    return entry;
}

}  // namespace

CDestinationPage::CDestinationPage() : Dialog(IDD_DESTINATION_PAGE) {}

bool CDestinationPage::OnInitDialog() {
    folderList.Attach(Item(IDC_FOLDER_LIST));
    driveList.Attach(Item(IDC_DRIVE_LIST));
    savedDrive = ::_getdrive();
    ::_chdir("\\");
    std::string pattern = wizard::kAllFiles;  // DlgDirList writes into its pattern
    ::DlgDirListA(Handle(), pattern.data(), IDC_DRIVE_LIST, 0, DDL_DRIVES | DDL_EXCLUSIVE);
    SetItemText(IDC_PATH, destFolder);
    SetItemText(IDC_NOTES, notes);
    if (auto folder = wizard::FindInstalledFolder(uninstallKeys)) {
        SetItemText(IDC_PATH, *folder);
    }
    return true;
}

bool CDestinationPage::OnCommand(int id, int code, HWND control) {
    if (id == IDC_DRIVE_LIST && code == LBN_SELCHANGE) {
        OnSelchangeDriveList();
        return true;
    }
    if (id == IDC_FOLDER_LIST && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
        OpenSelectedFolder();
        return true;
    }
    if (id == IDC_BACK && code == BN_CLICKED) {
        OnBack();
        return true;
    }
    return Dialog::OnCommand(id, code, control);
}

void CDestinationPage::OnSelchangeDriveList() {
    const int selected = driveList.GetCurSel();
    if (selected < 0) {
        return;
    }
    const std::string entry = driveList.GetText(selected);
    const std::string root = std::string(1, DriveLetter(entry)) + ":\\";
    ::_chdir(root.c_str());
    SetItemText(IDC_PATH, root);
    FillFolderList(entry, wizard::kRootPattern);
}

void CDestinationPage::OpenSelectedFolder() {
    const int drive = driveList.GetCurSel();
    const int folder = folderList.GetCurSel();
    if (drive < 0 || folder < 0) {
        return;
    }
    const std::string driveEntry = driveList.GetText(drive);
    const std::string target =
        std::string(1, DriveLetter(driveEntry)) + ":" + FolderName(folderList.GetText(folder));
    const std::optional<std::string> before = wizard::CurrentDirectory();
    ::_chdir(target.c_str());
    std::optional<std::string> now = wizard::CurrentDirectory();
    // A folder whose path the edit cannot hold counts as one that cannot be entered.
    if (!now && before) {
        ::_chdir(before->c_str());
        now = before;
    }
    SetItemText(IDC_PATH, now.value_or(std::string()));
    FillFolderList(driveEntry, wizard::kCurrentPattern);
}

void CDestinationPage::FillFolderList(const std::string& driveEntry, const char* folderPattern) {
    folderList.ResetContent();
    const std::string pattern = std::string(1, DriveLetter(driveEntry)) + ":" + folderPattern;
    framework::ScopedWaitCursor wait;
    for (const std::string& name : wizard::ListSubfolders(pattern)) {
        folderList.AddString("[" + name + "]");
    }
}

void CDestinationPage::RestoreDrive() const {
    ::_chdrive(savedDrive);
}

void CDestinationPage::OnOK() {
    destFolder = GetItemText(IDC_PATH);
    RestoreDrive();
    Dialog::OnOK();
}

void CDestinationPage::OnBack() {
    RestoreDrive();
    EndDialog(IDC_BACK);
}

void CDestinationPage::OnCancel() {
    RestoreDrive();
    Dialog::OnCancel();
}

bool CDestinationPage::OnPaint() {
    return wizard::PaintPagePicture(*this, bitmap);
}
