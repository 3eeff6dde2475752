#pragma once
// The moment-of-inertia calculator in Qt: the widgets of template IDD_INERTIA, wired to the
// InertiaController.

#include <QDialog>
#include <QString>

#include "editor/InertiaController.h"
#include "editor/qt/TemplateBoxes.h"

class QLineEdit;

class CInertiaDlg : public QDialog, public zrb::DialogView {
    Q_OBJECT

  public:
    // `mass` in kg, never shown.
    explicit CInertiaDlg(double mass = 0.0, QWidget* parent = nullptr);

    // The result once accepted: the shown whole number, kg*m^2.
    double inertia() const { return controller_.inertia; }
    double width() const { return controller_.width; }

    // OK, Enter, Escape and the close box go to the controller.
    void accept() override;
    void reject() override;

    // DialogView.
    std::string BoxText(int id) const override;
    void SetBoxText(int id, std::string_view text) override;
    std::string BoxLabel(int id) const override;
    void FocusBox(int id) override;
    void MessageBox(const std::string& text, zrb::MessageIcon icon) override;
    void EndDialog(bool ok) override;

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    zrb::InertiaController controller_;
    zrb::gui::TemplateBoxes boxes_;
};
