#include "editor/DialogView.h"

#include "model/Numbers.h"
#include "platform/Text.h"

namespace zrb {

std::string EnterNumberPrompt(std::string_view label) {
    while (!label.empty() && IsAsciiSpace(label.back())) {
        label.remove_suffix(1);
    }
    while (!label.empty() && (label.back() == ':' || label.back() == '?')) {
        label.remove_suffix(1);
    }
    while (!label.empty() && IsAsciiSpace(label.front())) {
        label.remove_prefix(1);
    }
    return label.empty() ? "Please enter a number."
                         : std::string(label) + ": please enter a number.";
}

bool PullNumber(DialogView& view, int id, double& value) {
    if (ParsePlainNumber(view.BoxText(id), value)) {
        return true;
    }
    view.MessageBox(EnterNumberPrompt(view.BoxLabel(id)), MessageIcon::Warning);
    view.FocusBox(id);
    return false;
}

void PushNumber(DialogView& view, int id, double value) {
    view.SetBoxText(id, FormatBoxNumber(value));
}

}  // namespace zrb
