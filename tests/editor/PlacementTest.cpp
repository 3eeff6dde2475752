// Where a window opens: centred over its owner or the work area, kept inside the work area.

#include <gtest/gtest.h>

#include "editor/Placement.h"

namespace zrb {
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

}  // namespace
}  // namespace zrb
