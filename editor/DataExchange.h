#pragma once
// Numbers between the model and the dialogs' edit boxes.

#include <QString>

class QLineEdit;

namespace zrb::gui {

// The prompt for a box that holds no plain number.
inline const QString kEnterNumberPrompt = QStringLiteral("Please enter a number.");

// Shows `value` in the boxes' format (15 significant digits).
void PushNumber(QLineEdit* box, double value);

// Reads a box that must hold a plain number (blanks around it allowed). When it does
// not, tells the user, puts the focus into the box with its whole text selected, leaves
// `value` alone and returns false.
bool PullNumber(QLineEdit* box, double& value);

}  // namespace zrb::gui
