#include "editor/Stretch.h"

namespace zrb {

Box Stretched(const Box& control, const Box& table, int dx, int dy) {
    if (control == table) {
        return {control.x, control.y, control.width + dx, control.height + dy};
    }
    const int middle = table.x + table.width / 2;
    Box moved = control;
    if (control.y >= table.y + table.height) {
        moved.y += dy;
        if (control.x > middle) {
            moved.x += dx;
        }
    } else if (control.y + control.height <= table.y &&
               control.x + control.width == table.x + table.width) {
        moved.width += dx;
    }
    return moved;
}

}  // namespace zrb
