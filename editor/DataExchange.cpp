#include "editor/DataExchange.h"

#include <QLineEdit>

#include "editor/Cp1252.h"
#include "editor/ModalDialogs.h"
#include "model/Numbers.h"

namespace zrb::gui {

void PushNumber(QLineEdit* box, double value) {
    box->setText(QString::fromStdString(FormatBoxNumber(value)));
}

bool PullNumber(QLineEdit* box, double& value) {
    if (ParsePlainNumber(ToCp1252(box->text()), value)) {
        return true;
    }
    MessageBoxes::Show(box->window(), QMessageBox::Warning, kEnterNumberPrompt);
    box->setFocus(Qt::OtherFocusReason);
    box->selectAll();
    return false;
}

}  // namespace zrb::gui
