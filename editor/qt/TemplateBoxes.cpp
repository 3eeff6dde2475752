#include "editor/qt/TemplateBoxes.h"

#include <QLineEdit>

#include "editor/qt/Cp1252.h"
#include "editor/qt/DialogBuilder.h"

namespace zrb::gui {

void TemplateBoxes::Take(const BuiltControls& built, int id) {
    boxes_.insert(id, Control<QLineEdit>(built, id));
    labels_.insert(id, built.labels.value(id));
}

std::string TemplateBoxes::Text(int id) const {
    const QLineEdit* box = boxes_.value(id);
    return box != nullptr ? ToCp1252(box->text()) : std::string();
}

void TemplateBoxes::SetText(int id, std::string_view text) {
    if (QLineEdit* box = boxes_.value(id)) {
        box->setText(FromCp1252(text));
        box->setCursorPosition(0);
    }
}

std::string TemplateBoxes::Label(int id) const {
    return labels_.value(id).toStdString();
}

void TemplateBoxes::Focus(int id) {
    if (QLineEdit* box = boxes_.value(id)) {
        box->setFocus(Qt::OtherFocusReason);
        box->selectAll();
    }
}

}  // namespace zrb::gui
