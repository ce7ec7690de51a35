// Raster as forms print it: whole device pixels at the edges of an image, and nothing
// of an image that starts at the right edge of the logical page.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_support.h"

namespace morvel {
namespace {

// A raster of `rows` rows of 32 inked dots at 300 dpi from (x, y) in units of kSetup.
std::string raster_at(int x, int y, int rows) {
    std::string job = test::kSetup + "\033*p" + std::to_string(x) + "x" + std::to_string(y) +
                      "Y\033*t300R\033*r32S\033*r1A";
    for (int r = 0; r < rows; ++r) job += "\033*b4W\xff\xff\xff\xff";
    return job + "\033*rC";
}

TEST(RasterForms, EdgeRowsInkPixelsWhoseCentreTheyHold) {
    struct Case {
        const char* name;
        int y, rows;
        int ink;  // pixels of the device row px(y) inked, of the 10 or 11 the dots cover
    };
    // At 100 dpi a dot is a third of a pixel: pixel 67 spans units 201 to 204.
    const std::vector<Case> cases = {
        {"one row over the centre", 202, 1, 10},
        {"one row above the centre", 201, 1, 0},
        {"two rows over the centre", 201, 2, 10},
        {"two rows below the centre", 203, 2, 0},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, raster_at(300, c.y, c.rows));
        const int row = 67;
        EXPECT_NEAR(test::ink_in(r.device, 0, row, r.device.width(), row + 1), c.ink, 1) << c.name;
        EXPECT_EQ(test::ink_in(r.device, 0, 0, r.device.width(), row), 0) << c.name;
        EXPECT_EQ(test::ink_in(r.device, 0, row + 1, r.device.width(), r.device.height()), 0)
            << c.name;
    }
}

TEST(RasterForms, NothingOfARasterStartingAtTheRightEdge) {
    struct Case {
        int x;
        bool inked;
    };
    // The logical page of kSetup is 2338 units wide.
    const std::vector<Case> cases = {{2300, true}, {2330, true}, {2338, false}, {2400, false}};
    for (const Case& c : cases) {
        test::Rendered r(100);
        // A second raster at the left margin shows where the first left the cursor.
        test::render_bytes(r, raster_at(c.x, 300, 30) +
                                  "\033*p300X\033*r1A\033*b1W\xff\033*b1W\xff\033*b1W\xff\033*rC");
        EXPECT_EQ(test::ink_in(r.device, 0, 0, r.device.width(), 105) > 0, c.inked) << c.x;
        EXPECT_GT(test::ink_in(r.device, 0, 109, test::px(320), 111), 0) << c.x;
    }
}

}  // namespace
}  // namespace morvel
