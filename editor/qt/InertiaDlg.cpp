#include "editor/qt/InertiaDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "editor/ControlIds.h"
#include "editor/qt/DialogBuilder.h"
#include "editor/qt/ModalDialogs.h"
#include "editor/qt/TemplateBoxes.h"

using namespace zrb::gui;
namespace ids = zrb::ids;

CInertiaDlg::CInertiaDlg(double mass, QWidget* parent) : QDialog(parent), controller_(*this, mass) {
    const BuiltControls built = BuildDialog(IDD_INERTIA, this, AppIcon());
    for (const int id : {ids::kInertiaResult, ids::kWidth}) {
        boxes_.Take(built, id);
    }
    controller_.OnShow();
    // The user's changes only: the calculator's own writes go to the result box.
    connect(boxes_[ids::kWidth], &QLineEdit::textEdited, this,
            [this] { controller_.OnWidthEdited(); });
    connect(Control<QPushButton>(built, ids::kInertiaOk), &QPushButton::clicked, this,
            &CInertiaDlg::accept);
    // The width's 0 selected, so that the first digit typed replaces it.
    boxes_[ids::kWidth]->setFocus(Qt::OtherFocusReason);
    boxes_[ids::kWidth]->selectAll();
}

void CInertiaDlg::accept() {
    controller_.OnOk();
}

void CInertiaDlg::reject() {
    controller_.OnCancel();
}

std::string CInertiaDlg::BoxText(int id) const {
    return boxes_.Text(id);
}

void CInertiaDlg::SetBoxText(int id, std::string_view text) {
    boxes_.SetText(id, text);
}

std::string CInertiaDlg::BoxLabel(int id) const {
    return boxes_.Label(id);
}

void CInertiaDlg::FocusBox(int id) {
    boxes_.Focus(id);
}

void CInertiaDlg::MessageBox(const std::string& text, zrb::MessageIcon icon) {
    MessageBoxes::Show(
        this, icon == zrb::MessageIcon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon,
        QString::fromStdString(text));
}

void CInertiaDlg::EndDialog(bool ok) {
    if (ok) {
        QDialog::accept();
    } else {
        QDialog::reject();
    }
}

void CInertiaDlg::keyPressEvent(QKeyEvent* event) {
    if (RouteEnter(this, event)) {
        return;
    }
    QDialog::keyPressEvent(event);
}
