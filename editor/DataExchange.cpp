#include "editor/DataExchange.h"

#include <QLineEdit>

#include "editor/Cp1252.h"
#include "editor/ModalDialogs.h"
#include "model/Numbers.h"

namespace zrb::gui {

void PushNumber(QLineEdit* box, double value) {
    box->setText(QString::fromStdString(FormatBoxNumber(value)));
}

QString EnterNumberPrompt(const QString& label) {
    QString name = label.trimmed();
    while (name.endsWith(u':') || name.endsWith(u'?')) {
        name.chop(1);
    }
    return name.isEmpty() ? QStringLiteral("Please enter a number.")
                          : name + QStringLiteral(": please enter a number.");
}

bool PullNumber(QLineEdit* box, const QString& label, double& value) {
    if (ParsePlainNumber(ToCp1252(box->text()), value)) {
        return true;
    }
    MessageBoxes::Show(box->window(), QMessageBox::Warning, EnterNumberPrompt(label));
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    return false;
}

}  // namespace zrb::gui
