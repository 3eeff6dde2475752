#pragma once
// Where a window opens: centred over its owner, or over the monitor's work area when it
// has none, and never beyond that work area's edges as far as it fits.

#include "editor/Stretch.h"

namespace zrb {

// The place of a window `width` x `height` centred over `over` (the owner's window, or
// the work area itself), moved back inside `workArea` where it would stand out; a window
// larger than the work area keeps its top left corner in it, so its caption stays
// reachable. Halves round towards the top left.
Box CentredOver(const Box& over, int width, int height, const Box& workArea);

}  // namespace zrb
