#pragma once
// Numbers between the model and the dialogs' edit boxes.

#include <QString>

class QLineEdit;

namespace zrb::gui {

// The prompt for a box that holds no plain number, naming the box by its label
// ("Object's Mass:" gives "Object's Mass: please enter a number.").
QString EnterNumberPrompt(const QString& label);

// Shows `value` in the boxes' format (15 significant digits).
void PushNumber(QLineEdit* box, double value);

// Reads a box that must hold a plain number (blanks around it allowed). When it does
// not, tells the user which box (by its `label`), puts the focus into the box with its
// whole text selected, leaves `value` alone and returns false.
bool PullNumber(QLineEdit* box, const QString& label, double& value);

}  // namespace zrb::gui
