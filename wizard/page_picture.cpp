#include "wizard/page_picture.h"

#include "display/dib.h"
#include "engine/program_folder.h"
#include "framework/handles.h"
#include "ids/resource.h"

namespace wizard {

bool PaintPagePicture(const framework::Dialog& page, const std::string& bitmap) {
    framework::PaintDc paint(page.Handle());
    display::DrawDibIntoControl(page.Item(IDC_PICTURE), engine::ProgramFolder() + bitmap);
    return true;
}

}  // namespace wizard
