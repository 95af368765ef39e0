#include "app/main_frame.h"

#include "app/texts.h"
#include "engine/manifest.h"
#include "engine/program_folder.h"
#include "framework/files.h"
#include "framework/wide.h"
#include "ids/resource.h"

namespace {

// The window title is the first field of the document string (a text of our own, which cp932
// carries). A zero length asks for the resource's own read-only text, however long.
std::string DocumentTitle(HINSTANCE instance) {
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(instance, IDR_MAINFRAME, reinterpret_cast<LPWSTR>(&text), 0);
    const std::wstring doc = text && length > 0 ? std::wstring(text, size_t(length)) : L"";
    return framework::NarrowShown(doc.substr(0, doc.find(L'\n')));
}

}  // namespace

bool CMainFrame::LoadFrame(HINSTANCE instance, CommandTarget target) {
    instance_ = instance;
    target_ = std::move(target);
    HICON icon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME));
    if (!RegisterClass(instance, app::kFrameClass, icon,
                       reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1)) ||
        !CRenovoView::Register(instance)) {
        return false;
    }
    menu_.Reset(::LoadMenuW(instance, MAKEINTRESOURCEW(IDR_MAINFRAME)));
    return Create(instance, app::kFrameClass, DocumentTitle(instance), WS_OVERLAPPEDWINDOW, nullptr,
                  menu_.Get());
}

bool CMainFrame::PreCreateWindow(CREATESTRUCTW& cs) {
    // No system menu, no buttons, no sizing border: the wizard alone ends the program.
    cs.style = WS_VISIBLE;
    return FrameWindow::PreCreateWindow(cs);
}

bool CMainFrame::OnCreate(CREATESTRUCTW&) {
    if (!view_.CreateIn(instance_, *this)) {
        return false;
    }
    ::SetMenu(Handle(), nullptr);
    Maximise();
    PostCommand(ID_LOAD_TITLE);
    return true;
}

void CMainFrame::Maximise() const {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    ::GetWindowPlacement(Handle(), &placement);
    placement.showCmd = SW_SHOWMAXIMIZED;
    placement.ptMaxPosition = POINT{0, 0};
    ::SetWindowPlacement(Handle(), &placement);
}

bool CMainFrame::OnCommand(int id, int code, HWND control) {
    if (id == ID_LOAD_TITLE) {
        OnLoadTitle();
        return true;
    }
    if (target_ && target_(id)) {
        return true;
    }
    return FrameWindow::OnCommand(id, code, control);
}

std::string CMainFrame::ReadTitle() {
    framework::TextFile file;
    std::string line;
    if (!file.Open(engine::ProgramFolder() + engine::kManifestFile) || !file.ReadString(line)) {
        return {};
    }
    return line;
}

void CMainFrame::OnLoadTitle() const {
    SetText(ReadTitle());
}
