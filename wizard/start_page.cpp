#include "wizard/start_page.h"

#include "ids/resource.h"
#include "text/cp932.h"
#include "wizard/page_picture.h"
#include "wizard/texts.h"

CStartPage::CStartPage() : Dialog(IDD_START_PAGE) {}

bool CStartPage::OnInitDialog() {
    if (text::AtoiRule(masterAdjust) == 0) {
        SetCaption(wizard::kUpdateCaption);
    }
    SetItemText(IDC_NOTES, notes);
    return true;
}

bool CStartPage::OnPaint() {
    return wizard::PaintPagePicture(*this, bitmap);
}
