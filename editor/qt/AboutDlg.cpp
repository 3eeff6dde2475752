#include "editor/qt/AboutDlg.h"

#include <QPushButton>

#include "editor/ControlIds.h"
#include "editor/qt/DialogBuilder.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const zrb::gui::BuiltControls built =
        zrb::gui::BuildDialog(IDD_ABOUTBOX, this, zrb::gui::AppIcon());
    auto* ok = zrb::gui::Control<QPushButton>(built, IDOK);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus(Qt::OtherFocusReason);
}
