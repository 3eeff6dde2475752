#pragma once
// The About box, template 100.

#include "editor/win32/Dialog.h"

class CAboutDlg final : public zrb::win32::Dialog {
  public:
    static constexpr int kTemplate = 100;

  protected:
    bool OnCommand(int id, int code, HWND control) override;
};
