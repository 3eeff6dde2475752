#pragma once
// The moment-of-inertia calculator on Windows: template IDD_INERTIA, wired to the
// InertiaController.

#include "editor/InertiaController.h"
#include "editor/win32/Dialog.h"
#include "platform/win32/Wide.h"
#include "res/resource.h"

namespace zrb::win32 {

class CInertiaDlg final : public zrb::win32::Dialog, public zrb::DialogView {
  public:
    static constexpr int kTemplate = IDD_INERTIA;

    explicit CInertiaDlg(double mass) : controller_(*this, mass) {}

    // The result once the dialog ended with OK: the shown whole number, kg*m^2.
    double inertia() const { return controller_.inertia; }

    // DialogView.
    std::string BoxText(int id) const override { return zrb::win32::ToCp1252(ItemText(id)); }
    void SetBoxText(int id, std::string_view text) override;
    std::string BoxLabel(int id) const override { return zrb::win32::Utf8(LabelOf(id)); }
    void FocusBox(int id) override { FocusItem(id); }
    void MessageBox(const std::string& text, zrb::MessageIcon icon) override;
    void EndDialog(bool ok) override { ::EndDialog(hwnd(), ok ? IDOK : IDCANCEL); }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;

  private:
    zrb::InertiaController controller_;
    bool settingText_ = false;
};

}  // namespace zrb::win32
