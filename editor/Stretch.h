#pragma once
// How the controls of a resizable dialog follow its size: its table takes the room the
// dialog gains beyond its template's size, and the controls around the table keep their
// distance to its edges.

namespace zrb {

struct Box {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;

    bool operator==(const Box&) const = default;
};

// Where `control` (as the template places it) goes once the dialog has grown by `dx`
// and `dy` (not negative: the template's size is the least). The table grows by both. A
// control below the table moves down, and also right when it starts right of the table's
// middle; a control above it that ends where the table ends widens with it.
Box Stretched(const Box& control, const Box& table, int dx, int dy);

}  // namespace zrb
