#include "wizard/view.h"

#include "display/dib.h"
#include "engine/install_log.h"
#include "engine/manifest.h"
#include "engine/program_folder.h"
#include "engine/texts.h"
#include "engine/update_run.h"
#include "framework/application.h"
#include "framework/handles.h"
#include "framework/wide.h"
#include "ids/resource.h"
#include "text/format.h"
#include "wizard/answering_run.h"
#include "wizard/confirm_page.h"
#include "wizard/destination_page.h"
#include "wizard/installed_folder.h"
#include "wizard/start_page.h"
#include "wizard/texts.h"

bool CRenovoView::Register(HINSTANCE instance) {
    return RegisterClass(instance, kClassName, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

bool CRenovoView::OnCreate(CREATESTRUCTW&) {
    engine::ReadManifestLogged(manifest_);
    chosenFolder_ = manifest_.destFolder;
    PostCommand(ID_START_PAGE);
    return true;
}

bool CRenovoView::OnCommand(int id, int code, HWND control) {
    if (running_ && (id == ID_START_PAGE || id == ID_DESTINATION_PAGE || id == ID_CONFIRM_PAGE)) {
        return true;  // nothing re-enters the run, whoever sends the command
    }
    switch (id) {
        case ID_START_PAGE:
            OnStartPage();
            return true;
        case ID_DESTINATION_PAGE:
            OnDestinationPage();
            return true;
        case ID_CONFIRM_PAGE:
            OnConfirmPage();
            return true;
    }
    return View::OnCommand(id, code, control);
}

void CRenovoView::OnStartPage() {
    CStartPage page;
    page.masterAdjust = manifest_.masterAdjust;
    page.notes = manifest_.startNotes;
    page.bitmap = manifest_.startBitmap;
    if (page.DoModal() == IDOK) {
        PostCommand(ID_DESTINATION_PAGE);
    } else {
        CloseFrame();
    }
}

void CRenovoView::OnDestinationPage() {
    CDestinationPage page;
    page.notes = manifest_.destNotes;
    // The Uninstall entry's folder, else the manifest's default or the one chosen last; an entry
    // that names its folder in characters cp932 cannot carry is shown, and the user chooses.
    const wizard::FolderLookup proposed =
        wizard::ProposedFolder(manifest_.uninstallKeys, chosenFolder_);
    if (!proposed.unusable.empty()) {
        ShowMessage(text::Format(wizard::kUnusableInstalledFolder, proposed.unusable),
                    engine::kCaptionError, engine::Buttons::kOk);
    }
    page.destFolder = proposed.folder.value_or(chosenFolder_);
    page.bitmap = manifest_.destBitmap;
    switch (page.DoModal()) {
        case IDOK:
            chosenFolder_ = page.destFolder;
            PostCommand(ID_CONFIRM_PAGE);
            break;
        case IDC_BACK:
            PostCommand(ID_START_PAGE);
            break;
        default:  // Escape, or a page that could not open: nothing leads back into the wizard
            CloseFrame();
    }
}

void CRenovoView::OnConfirmPage() {
    // Made while the page is read, the window costs the run only its showing.
    if (!progress_) {
        progress_ = std::make_unique<wizard::CProgressWindow>(Handle());
        progress_->Prepare();
    }
    CConfirmPage page;
    page.destFolder = chosenFolder_;
    page.bitmap = manifest_.confirmBitmap;
    switch (page.DoModal()) {
        case IDOK:
            if (RunUpdate()) {
                CloseFrame();
            } else {
                PostCommand(ID_DESTINATION_PAGE);
            }
            break;
        case IDCANCEL:
            progress_.reset();
            PostCommand(ID_DESTINATION_PAGE);
            break;
        default:  // the page could not open: a bare window with no way out is no state to leave
            progress_.reset();
            CloseFrame();
    }
}

// The run on a thread of its own, every call it makes on this seam made on this thread, the
// progress posted: the frame goes on answering Windows while a long step runs (see
// wizard/answering_run.h).
bool CRenovoView::RunUpdate() {
    struct Running {
        bool& flag;
        explicit Running(bool& f) : flag(f) { flag = true; }
        ~Running() { flag = false; }
    } running(running_);
    wizard::CAnsweringRun run;
    wizard::CWindowThreadSeam seam(run, *this);
    bool result = false;
    run.Run([&] { result = engine::RunUpdate(manifest_, chosenFolder_, seam); });
    return result;
}

void CRenovoView::CloseFrame() const {
    if (HWND frame = ParentFrame()) {  // gone already when the frame closed under a page
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
    }
}

bool CRenovoView::OnPaint() {
    framework::PaintDc paint(Handle());
    RECT client{};
    ::GetClientRect(Handle(), &client);
    PaintContent(paint.Get(), client);
    return true;
}

void CRenovoView::PaintContent(HDC dc, const RECT& client) const {
    display::DrawDibFile(dc, &client, engine::ProgramFolder() + manifest_.viewBitmap, SRCCOPY);
}

int CRenovoView::ShowMessage(const std::string& text, const std::string& caption,
                             engine::Buttons buttons) {
    HWND owner = progress_ ? progress_->MessageOwner() : Handle();
    return ::MessageBoxW(owner, framework::Wide(text).c_str(), framework::Wide(caption).c_str(),
                         static_cast<UINT>(buttons) /* MB_OK, MB_OKCANCEL, MB_RETRYCANCEL */);
}

void CRenovoView::BeginWaitCursor() {
    if (framework::Application* app = framework::Application::Current()) {
        app->BeginWaitCursor();
    }
}

void CRenovoView::EndWaitCursor() {
    if (framework::Application* app = framework::Application::Current()) {
        app->EndWaitCursor();
    }
}

void CRenovoView::ShowEntry(int number, int count, int disk, const std::string& name) {
    if (!progress_) {
        progress_ = std::make_unique<wizard::CProgressWindow>(Handle());
    }
    progress_->ShowEntry(number, count, disk, name);
}

void CRenovoView::ShowFile(const std::string& name, uint64_t done, uint64_t total) {
    if (progress_) {
        progress_->ShowFile(name, done, total);
    }
}

void CRenovoView::ShowConversion(const std::string& file) {
    if (progress_) {
        progress_->ShowConversion(file);
    }
}

void CRenovoView::EndProgress() {
    progress_.reset();
}
