#pragma once
// The moment-of-inertia calculator: the user types the object's width, the dialog shows
// 0.7 * mass * (width / 2)^2 after every change, and OK hands the shown whole number
// back.

#include "editor/DialogView.h"

namespace zrb {

// Computed in this order (half width, times mass, times half width, times k) so that the
// result is the same double on every build.
inline double InertiaEstimate(double mass, double width) {
    const double h = width * 0.5;
    double p = mass * h;
    p = p * h;
    return p * 0.7;
}

class InertiaController {
  public:
    InertiaController(DialogView& view, double mass) : view_(view), mass_(mass) {}

    double inertia = 0.0;  // kg*m^2, box 1008
    double width = 0.0;    // m, box 1018

    // The dialog is shown: both boxes get their values.
    void OnShow();
    // The user changed the width: recalculates and shows the rounded result.
    void OnWidthEdited();
    // OK, Enter: pulls the boxes and ends the dialog when both hold numbers.
    void OnOk();
    // Escape, the close box: ends the dialog without a result.
    void OnCancel();

  private:
    bool Pull();

    DialogView& view_;
    double mass_;
};

}  // namespace zrb
