#include "editor/win32/AboutDlg.h"

namespace zrb::win32 {

bool CAboutDlg::OnCommand(int id, int /*code*/, HWND /*control*/) {
    if (id == IDOK || id == IDCANCEL) {
        ::EndDialog(hwnd(), id);
        return true;
    }
    return false;
}

}  // namespace zrb::win32
