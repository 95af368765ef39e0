#include "wizard/destination_page.h"

#include <direct.h>

#include "engine/program_folder.h"
#include "engine/texts.h"
#include "framework/application.h"
#include "framework/directory.h"
#include "framework/wide.h"
#include "text/format.h"
#include "ids/resource.h"
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

// The drive of a program folder such as "A:" (a program at A:\), whose paths name files
// relative to where that drive is; none for a folder that starts at a root.
std::optional<char> DriveRelativeLetter(const std::string& folder) {
    const bool drive = folder.size() >= 2 && folder[1] == ':';
    if (!drive || (folder.size() > 2 && (folder[2] == '\\' || folder[2] == '/'))) {
        return std::nullopt;
    }
    return folder[0];
}

}  // namespace

CDestinationPage::CDestinationPage() : Dialog(IDD_DESTINATION_PAGE) {}

bool CDestinationPage::OnInitDialog() {
    folderList.Attach(Item(IDC_FOLDER_LIST));
    driveList.Attach(Item(IDC_DRIVE_LIST));
    savedDrive = ::_getdrive();
    if (auto letter = DriveRelativeLetter(engine::ProgramFolder())) {
        programDrive_.emplace(*letter);
    }
    framework::ChangeDirectory("\\");
    std::wstring pattern = framework::Wide(wizard::kAllFiles);  // DlgDirList writes into it
    ::DlgDirListW(Handle(), pattern.data(), IDC_DRIVE_LIST, 0, DDL_DRIVES | DDL_EXCLUSIVE);
    SetItemText(IDC_PATH, destFolder);
    SetItemText(IDC_NOTES, notes);
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
    framework::ChangeDirectory(root);
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
    framework::ChangeDirectory(target);
    std::optional<std::string> now = wizard::CurrentDirectory();
    // A folder whose path the edit cannot hold counts as one that cannot be entered.
    if (!now && before) {
        framework::ChangeDirectory(*before);
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
    if (savedDrive >= 1 && savedDrive <= 26) {  // 0: the program runs from a network path
        framework::ChangeDirectory(std::string{static_cast<char>('A' + savedDrive - 1), ':'});
    }
    if (programDrive_) {
        programDrive_->Restore();
    }
}

// A folder typed in characters cp932 cannot carry is refused by name, and the page stays: no
// run could name it.
void CDestinationPage::OnOK() {
    const std::optional<std::string> typed = GetItemText(IDC_PATH);
    if (!typed) {
        const std::string text = text::Format(wizard::kUnusableFolder, GetItemTextShown(IDC_PATH));
        ::MessageBoxW(Handle(), framework::Wide(text).c_str(),
                      framework::Wide(engine::kCaptionError).c_str(), MB_OK);
        return;
    }
    destFolder = *typed;
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
