#pragma once
// The moment-of-inertia estimate: k = 0.7 times mass times (width / 2) squared.

namespace zrb::gui {

// Computed in this order (half width, times mass, times half width, times k) so that the
// result is the same double on every build.
inline double InertiaEstimate(double mass, double width) {
    const double h = width * 0.5;
    double p = mass * h;
    p = p * h;
    return p * 0.7;
}

}  // namespace zrb::gui
