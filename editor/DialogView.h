#pragma once
// What the window logic needs of a dialog's boxes, by control id.
//
// Text encoding, one rule for every view (this one, EditorView, FleetView, PackOps):
// every string that crosses between a controller and a view is UTF-8 (messages,
// questions, labels, titles, tooltips, table cells, file names and paths), with one
// exception: BoxText and SetBoxText carry the box's text as the model file's 8-bit bytes,
// which a front-end shows and reads as Windows-1252 (for the number boxes these are
// ASCII). Text from a model file that goes into a message is decoded from 1252 by the
// logic before it is put there. A front-end converts only at its own edges: 1252 at the
// boxes, and file names where it hands them to the system or takes them from it.

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
    // The label the template puts before the box ("Object's Mass:"), UTF-8.
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
