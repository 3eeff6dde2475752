#include "editor/win32/InertiaDlg.h"

#include "editor/ControlIds.h"
#include "platform/win32/Wide.h"

namespace ids = zrb::ids;

namespace zrb::win32 {

void CInertiaDlg::SetBoxText(int id, std::string_view text) {
    settingText_ = true;
    SetItemText(id, zrb::win32::FromCp1252(text));
    settingText_ = false;
}

void CInertiaDlg::MessageBox(const std::string& text, zrb::MessageIcon icon) {
    zrb::win32::ShowMessage(hwnd(), text, icon);
}

bool CInertiaDlg::OnInitDialog() {
    controller_.OnShow();
    // The width's 0 selected, so that the first digit typed replaces it.
    FocusItem(ids::kWidth);
    return false;
}

bool CInertiaDlg::OnCommand(int id, int code, HWND /*control*/) {
    switch (id) {
        case IDOK:  // Enter
        case ids::kInertiaOk:
            if (code == BN_CLICKED) {
                controller_.OnOk();
            }
            return true;
        case IDCANCEL:  // Escape and the close box
            controller_.OnCancel();
            return true;
        case ids::kWidth:
            // The user's changes only: the calculator's own writes go to the result box.
            if (code == EN_CHANGE && !settingText_) {
                controller_.OnWidthEdited();
            }
            return true;
        default:
            return false;
    }
}

}  // namespace zrb::win32
