#pragma once
// What the window logic needs of a dialog's boxes, by control id. Texts are the 8-bit
// bytes of the model file, read as Windows-1252.

#include <string>
#include <string_view>

#include "model/WindowOps.h"

namespace zrb {

class DialogView {
  public:
    virtual ~DialogView() = default;

    virtual std::string BoxText(int id) const = 0;
    // Sets a box's text as the program does, not as the user's edit: no handler runs.
    virtual void SetBoxText(int id, std::string_view text) = 0;
    // The label the template puts before the box ("Object's Mass:").
    virtual std::string BoxLabel(int id) const = 0;
    // Puts the focus into the box with its whole text selected.
    virtual void FocusBox(int id) = 0;
    // A message box captioned with the application's name, one OK button.
    virtual void MessageBox(const std::string& text, MessageIcon icon) = 0;
    // Ends the dialog, with OK or with Cancel.
    virtual void EndDialog(bool ok) = 0;
};

// The prompt for a box that holds no plain number, naming the box by its label
// ("Object's Mass:" gives "Object's Mass: please enter a number.").
std::string EnterNumberPrompt(std::string_view label);

// Reads box `id`, which must hold a plain number (blanks around it allowed, the first 31
// characters counting). When it does not, tells the user which box, puts the focus into
// it with its text selected, leaves `value` alone and returns false.
bool PullNumber(DialogView& view, int id, double& value);

// Shows `value` in box `id` in the boxes' format (15 significant digits).
void PushNumber(DialogView& view, int id, double value);

}  // namespace zrb
