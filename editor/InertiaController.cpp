#include "editor/InertiaController.h"

#include "editor/ControlIds.h"
#include "model/Numbers.h"

namespace zrb {

void InertiaController::OnShow() {
    PushNumber(view_, ids::kInertiaResult, inertia);
    PushNumber(view_, ids::kWidth, width);
}

bool InertiaController::Pull() {
    return PullNumber(view_, ids::kInertiaResult, inertia) && PullNumber(view_, ids::kWidth, width);
}

void InertiaController::OnWidthEdited() {
    // A width that is no number has been reported by the pull; the last good width
    // counts.
    [[maybe_unused]] const bool pulled = Pull();
    inertia = InertiaEstimate(mass_, width);
    view_.SetBoxText(ids::kInertiaResult, FormatWholeNumber(inertia));
}

void InertiaController::OnOk() {
    // The shown whole number is the result, not the unrounded product.
    if (Pull()) {
        view_.EndDialog(true);
    }
}

void InertiaController::OnCancel() {
    view_.EndDialog(false);
}

}  // namespace zrb
