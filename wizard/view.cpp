#include "wizard/view.h"

#include "app/res/resource.h"
#include "display/dib.h"
#include "engine/manifest.h"
#include "engine/program_folder.h"
#include "framework/application.h"
#include "framework/handles.h"

bool CRenovoView::Register(HINSTANCE instance) {
    return RegisterClass(instance, kClassName, nullptr, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
}

bool CRenovoView::OnCreate(CREATESTRUCTA&) {
    engine::ReadManifest(context_);
    PostCommand(ID_START_PAGE);
    return true;
}

bool CRenovoView::OnPaint() {
    framework::PaintDc paint(Handle());
    RECT client{};
    ::GetClientRect(Handle(), &client);
    PaintContent(paint.Get(), client);
    return true;
}

void CRenovoView::PaintContent(HDC dc, const RECT& client) const {
    display::DrawDibFile(dc, &client, engine::ProgramFolder() + context_.viewBitmap, SRCCOPY);
}

int CRenovoView::ShowMessage(const std::string& text, const std::string& caption,
                             engine::Buttons buttons) {
    return ::MessageBoxA(Handle(), text.c_str(), caption.c_str(),
                         static_cast<UINT>(buttons) /* MB_OK or MB_OKCANCEL */);
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
