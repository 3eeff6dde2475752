#include "editor/Placement.h"

#include <algorithm>

namespace zrb {

namespace {

// One axis: centred over [overStart, overStart + overLength), then inside the area.
int Centred(int overStart, int overLength, int length, int areaStart, int areaLength) {
    const int spare = overLength - length;
    // Floored, also when the window is larger than what it is centred over.
    const int centred = overStart + (spare >= 0 ? spare / 2 : -((1 - spare) / 2));
    const int lastFitting = areaStart + areaLength - length;
    return std::max(areaStart, std::min(centred, lastFitting));
}

}  // namespace

Box CentredOver(const Box& over, int width, int height, const Box& workArea) {
    return {Centred(over.x, over.width, width, workArea.x, workArea.width),
            Centred(over.y, over.height, height, workArea.y, workArea.height), width, height};
}

}  // namespace zrb
