// Raster as it is presented: scaled to a destination size, and laid along the
// sheet's width on a turned page.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "render_support.h"

namespace morvel {
namespace {

using namespace std::string_literals;

struct Box {
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1, ink = 0;
};

Box ink_box(const render::ImageDevice& d) {
    Box b;
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x)
            if (d.ink(x, y)) {
                b.x0 = std::min(b.x0, x);
                b.y0 = std::min(b.y0, y);
                b.x1 = std::max(b.x1, x);
                b.y1 = std::max(b.y1, y);
                ++b.ink;
            }
    return b;
}

TEST(RasterPresentation, ScaledToTheDestinationSize) {
    struct Case {
        const char* name;
        std::string size;   // source and destination size commands
        int width, height;  // pixels of the drawn square at 100 dpi
    };
    // A 2 x 2 source of ink, at 100 dpi unless scaled.
    const std::vector<Case> cases = {
        {"both sides", "\033*r2s2T\033*t360h720V\033*r3A", 50, 100},
        {"width alone keeps the proportions", "\033*r2s2T\033*t360H\033*r3A", 50, 50},
        {"height alone", "\033*r2s2T\033*t720V\033*r3A", 100, 100},
        {"no source size: not scaled", "\033*t360h720V\033*r3A", 2, 2},
        {"mode 1 does not scale", "\033*r2s2T\033*t360h720V\033*r1A", 2, 2},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, "\033E\033&l26A\033&l0E\033*p300x300Y\033*t100R" + c.size +
                                  "\033*b1W\xc0\033*b1W\xc0\033*rB"s);
        Box b = ink_box(r.device);
        EXPECT_NEAR(b.x1 - b.x0 + 1, c.width, 1) << c.name;
        EXPECT_NEAR(b.y1 - b.y0 + 1, c.height, 1) << c.name;
    }
}

TEST(RasterPresentation, ResolutionsPrintersLackTakeTheNextAbove) {
    struct Case {
        const char* value;
        int width;  // pixels at 100 dpi of rows of 60 source pixels
        bool reported;
    };
    const std::vector<Case> cases = {
        {"75", 80, false}, {"50", 80, true},   {"90", 60, true},  {"120", 40, true},
        {"270", 20, true}, {"300", 20, false}, {"301", 10, true}, {"2400", 10, true},
    };
    for (const Case& c : cases) {
        std::string rows;
        for (int i = 0; i < 12; ++i) rows += "\033*b8W\xff\xff\xff\xff\xff\xff\xff\xf0"s;
        test::Rendered r(100);
        test::render_bytes(r, "\033E\033&l26A\033&l0E\033*p300x300Y\033*t"s + c.value +
                                  "R\033*r1A" + rows + "\033*rB");
        Box b = ink_box(r.device);
        EXPECT_NEAR(b.x1 - b.x0 + 1, c.width, 1) << c.value;
        EXPECT_EQ(r.problems.count() == 1, c.reported) << c.value << ": " << r.problems.text();
    }
}

TEST(RasterPresentation, AlongTheSheetsWidthOnATurnedPage) {
    struct Case {
        const char* name;
        std::string commands;
        bool rows_across;  // rows run across the sheet (left to right)
    };
    // Two rows of 40 pixels at 100 dpi.
    const std::string image =
        "\033*t100R\033*r1A\033*b5W\xff\xff\xff\xff\xff\033*b5W\xff\xff\xff\xff\xff\033*rB"s;
    const std::vector<Case> cases = {
        {"portrait, mode 3", "\033&l0O\033*r3F", true},
        {"landscape, mode 0 follows the logical page", "\033&l1O\033*r0F", false},
        {"landscape, mode 3 along the sheet", "\033&l1O\033*r3F", true},
        {"reverse landscape, mode 3", "\033&l3O\033*r3F", true},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, "\033E\033&l26A\033&l0E" + c.commands + "\033*p300x300Y" + image);
        Box b = ink_box(r.device);
        EXPECT_EQ(b.ink, 80) << c.name;
        if (c.rows_across) {
            EXPECT_EQ(b.x1 - b.x0 + 1, 40) << c.name;
            EXPECT_EQ(b.y1 - b.y0 + 1, 2) << c.name;
        } else {
            EXPECT_EQ(b.x1 - b.x0 + 1, 2) << c.name;
            EXPECT_EQ(b.y1 - b.y0 + 1, 40) << c.name;
        }
    }
}

// Colours within a few steps of each channel (a row's edge may blend a little paper).
bool near_colour(unsigned a, unsigned b) {
    for (int shift : {0, 8, 16}) {
        const int ca = static_cast<int>(a >> shift & 0xFF),
                  cb = static_cast<int>(b >> shift & 0xFF);
        if (std::abs(ca - cb) > 8) return false;
    }
    return true;
}

TEST(RasterPresentation, ColourPlanesMakeTheIndex) {
    struct Case {
        const char* name;
        std::string rows;
        unsigned left, right;  // RGB of the first and the fifth pixel of the first row
    };
    const std::string cmy = "\033*r-3U", rgb = "\033*r3U";
    const std::vector<Case> cases = {
        {"CMY: all three planes are black", cmy + "\033*b1V\xf0\033*b1V\xf0\033*b1W\xf0"s, 0x000000,
         0xFFFFFF},
        {"CMY: cyan alone", cmy + "\033*b1V\xff\033*b1V\x00\033*b1W\x00"s, 0x00FFFF, 0x00FFFF},
        {"CMY: magenta and yellow are red", cmy + "\033*b1V\x00\033*b1V\xff\033*b1W\xff"s, 0xFF0000,
         0xFF0000},
        {"RGB: no plane is black", rgb + "\033*b1V\x00\033*b1V\x00\033*b1W\x0f"s, 0x000000,
         0x0000FF},
        {"one plane alone is a plain row", "\033*b1W\xf0"s, 0x000000, 0xFFFFFF},
    };
    const int x = static_cast<int>(100 + 71.0 / 3) + 2;  // inside the second pixel
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(
            r, "\033E\033&l26A\033&l0E\033*p300x300Y\033*t100R\033*r1A" + c.rows + "\033*rB");
        EXPECT_TRUE(near_colour(r.device.pixel(x, 100), c.left))
            << c.name << std::hex << ": " << r.device.pixel(x, 100);
        EXPECT_TRUE(near_colour(r.device.pixel(x + 4, 100), c.right))
            << c.name << std::hex << ": " << r.device.pixel(x + 4, 100);
        EXPECT_EQ(r.problems.count(), 0u) << c.name << ": " << r.problems.text();
    }
}

TEST(RasterPresentation, EachPlaneKeepsItsSeedRow) {
    // Delta rows (a command byte, then the byte it replaces): the second row repeats each
    // plane's seed; cyan and yellow make green.
    test::Rendered r(100);
    test::render_bytes(r,
                       "\033E\033&l26A\033&l0E\033*p300x300Y\033*t100R\033*r-3U\033*r1A\033*b3M"
                       "\033*b2V\x00\xff\033*b0V\033*b2W\x00\xff"
                       "\033*b0V\033*b0V\033*b0W\033*rB"s);
    const int x = static_cast<int>(100 + 71.0 / 3) + 2;
    EXPECT_TRUE(near_colour(r.device.pixel(x, 100), 0x00FF00u))
        << std::hex << r.device.pixel(x, 100);
    EXPECT_TRUE(near_colour(r.device.pixel(x, 101), 0x00FF00u))
        << std::hex << r.device.pixel(x, 101);
}

}  // namespace
}  // namespace morvel
