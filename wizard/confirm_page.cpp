#include "wizard/confirm_page.h"

#include "ids/resource.h"
#include "wizard/page_picture.h"

CConfirmPage::CConfirmPage() : Dialog(IDD_CONFIRM_PAGE) {}

bool CConfirmPage::OnInitDialog() {
    SetItemText(IDC_NOTES, destFolder);
    return true;
}

bool CConfirmPage::OnPaint() {
    return wizard::PaintPagePicture(*this, bitmap);
}
