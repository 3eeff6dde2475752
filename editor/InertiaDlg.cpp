#include "editor/InertiaDlg.h"

#include <QLineEdit>
#include <QPushButton>

#include "editor/DataExchange.h"
#include "editor/DialogBuilder.h"
#include "editor/InertiaEstimate.h"
#include "model/Numbers.h"

using namespace zrb::gui;

CInertiaDlg::CInertiaDlg(QWidget* parent) : QDialog(parent) {
    const BuiltControls built = BuildDialog(130, this, AppIcon());
    inertiaBox_ = static_cast<QLineEdit*>(built.byId.value(1008));
    widthBox_ = static_cast<QLineEdit*>(built.byId.value(1018));
    inertiaLabel_ = built.labels.value(1008);
    widthLabel_ = built.labels.value(1018);
    PushNumber(inertiaBox_, inertia);
    PushNumber(widthBox_, width);
    // The user's changes only: the calculator's own writes go to box 1008.
    connect(widthBox_, &QLineEdit::textEdited, this, &CInertiaDlg::Recalculate);
    connect(static_cast<QPushButton*>(built.byId.value(1020)), &QPushButton::clicked, this,
            &CInertiaDlg::accept);
    widthBox_->setFocus(Qt::OtherFocusReason);
}

bool CInertiaDlg::Pull() {
    return PullNumber(inertiaBox_, inertiaLabel_, inertia) &&
           PullNumber(widthBox_, widthLabel_, width);
}

void CInertiaDlg::Recalculate() {
    // A width that is no number has been reported by the pull; the last good width
    // counts.
    Pull();
    inertia = InertiaEstimate(mass, width);
    inertiaBox_->setText(QString::fromStdString(zrb::FormatWholeNumber(inertia)));
}

void CInertiaDlg::accept() {
    // The shown whole number is the result, not the unrounded product.
    if (Pull()) {
        QDialog::accept();
    }
}

void CInertiaDlg::keyPressEvent(QKeyEvent* event) {
    if (RouteEnter(this, event)) {
        return;
    }
    QDialog::keyPressEvent(event);
}
