#pragma once
// The About box, template IDD_ABOUTBOX.

#include "editor/win32/Dialog.h"
#include "res/resource.h"

namespace zrb::win32 {

class CAboutDlg final : public zrb::win32::Dialog {
  public:
    static constexpr int kTemplate = IDD_ABOUTBOX;

  protected:
    bool OnCommand(int id, int code, HWND control) override;
};

}  // namespace zrb::win32
