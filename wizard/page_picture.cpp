#include "wizard/page_picture.h"

#include "app/res/resource.h"
#include "display/dib.h"
#include "engine/program_folder.h"
#include "framework/handles.h"

namespace wizard {

bool PaintPagePicture(const framework::Dialog& page, const std::string& bitmap) {
    framework::PaintDc paint(page.Handle());
    HWND frame = page.Item(IDC_PICTURE);
    if (!frame) {
        return true;
    }
    framework::WindowDc dc(frame);
    // The frame draws its own border first; the picture goes over it.
    ::InvalidateRect(frame, nullptr, TRUE);
    ::UpdateWindow(frame);
    RECT client{};
    ::GetClientRect(frame, &client);
    display::DrawDibFile(dc.Get(), &client, engine::ProgramFolder() + bitmap, SRCCOPY);
    return true;
}

}  // namespace wizard
