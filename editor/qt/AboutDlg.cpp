#include "editor/qt/AboutDlg.h"

#include <QPushButton>

#include "editor/qt/DialogBuilder.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
    const zrb::gui::BuiltControls built = zrb::gui::BuildDialog(100, this, zrb::gui::AppIcon());
    auto* ok = static_cast<QPushButton*>(built.byId.value(1));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    ok->setFocus(Qt::OtherFocusReason);
}
