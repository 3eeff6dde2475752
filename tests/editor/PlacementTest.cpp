// Where a window opens: centred over its owner or the work area, kept inside the work
// area; and how a resizable window's controls follow its size.

#include <gtest/gtest.h>

#include "editor/Placement.h"
#include "editor/Stretch.h"

namespace zrb {

void PrintTo(const Box& b, std::ostream* out) {
    *out << '{' << b.x << ", " << b.y << ", " << b.width << ", " << b.height << '}';
}

namespace {

TEST(CentredOverTest, CentredAndKeptInsideTheWorkArea) {
    const Box screen{0, 0, 1280, 800};
    const struct {
        const char* what;
        Box over;
        int width, height;
        Box workArea;
        int x, y;
    } cases[] = {
        {"over the owner", {100, 100, 400, 300}, 200, 100, screen, 200, 200},
        {"on a work area that does not start at 0,0",
         {1280, 30, 1920, 1050},
         400,
         300,
         {1280, 30, 1920, 1050},
         2040,
         405},
        {"an owner at the right edge: moved back in",
         {1100, 0, 180, 100},
         300,
         200,
         screen,
         980,
         0},
        {"an owner partly off the left edge", {-300, 100, 400, 300}, 200, 100, screen, 0, 200},
        {"larger than the work area: its top left corner in it", screen, 1500, 900, screen, 0, 0},
        {"an odd spare pixel goes right and down", {0, 0, 101, 101}, 50, 50, screen, 25, 25},
        {"larger than the owner, odd: still floored", {10, 10, 50, 50}, 51, 51, screen, 9, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(CentredOver(c.over, c.width, c.height, c.workArea),
                  (Box{c.x, c.y, c.width, c.height}));
    }
}

bool Overlap(const Box& a, const Box& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

// On the controls of the fleet overview's and the compare window's templates.
TEST(StretchedTest, TableGrowsAndTheControlsAroundItKeepTheirDistance) {
    const Box overview{7, 24, 466, 212};  // its middle: x 240
    const Box compare{7, 7, 386, 188};    // its middle: x 200
    const struct {
        const char* what;
        Box control;
        Box table;
        int dx, dy;
        Box expected;
    } cases[] = {
        {"the table takes all the room", overview, overview, 40, 30, {7, 24, 506, 242}},
        {"at the template's size nothing moves",
         {413, 241, 60, 14},
         overview,
         0,
         0,
         {413, 241, 60, 14}},
        {"the table at the template's size", overview, overview, 0, 0, overview},
        {"the filter box above stays", {30, 7, 150, 12}, overview, 40, 30, {30, 7, 150, 12}},
        {"the check box above, right of the middle, stays",
         {332, 8, 60, 10},
         overview,
         40,
         30,
         {332, 8, 60, 10}},
        {"a button below, left: down only", {7, 241, 60, 14}, overview, 40, 30, {7, 271, 60, 14}},
        {"the status below starting left of the middle: down only",
         {202, 244, 205, 8},
         overview,
         40,
         30,
         {202, 274, 205, 8}},
        {"Close below, right: down and right",
         {413, 241, 60, 14},
         overview,
         40,
         30,
         {453, 271, 60, 14}},
        {"a control starting at the middle stays left",
         {240, 241, 60, 14},
         overview,
         40,
         30,
         {240, 271, 60, 14}},
        {"a box above ending where the table ends widens",
         {300, 7, 173, 12},
         overview,
         40,
         30,
         {300, 7, 213, 12}},
        {"the compare window's note: down only",
         {7, 204, 320, 8},
         compare,
         25,
         60,
         {7, 264, 320, 8}},
        {"the compare window's Close: down and right",
         {343, 201, 50, 14},
         compare,
         25,
         60,
         {368, 261, 50, 14}},
        {"wider only: a control below keeps its height",
         {343, 201, 50, 14},
         compare,
         25,
         0,
         {368, 201, 50, 14}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Box got = Stretched(c.control, c.table, c.dx, c.dy);
        EXPECT_EQ(got, c.expected);
        if (!(c.control == c.table)) {
            EXPECT_FALSE(Overlap(got, Stretched(c.table, c.table, c.dx, c.dy)));
        }
    }
}

}  // namespace
}  // namespace zrb
