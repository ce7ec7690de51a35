// HP-GL/2 fills as a plotter draws them: hatching at its spacing and angle, wedges,
// and the rotated coordinate system.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_support.h"

namespace morvel {
namespace {

using test::ink_in;

const std::string kSetup = "\033E\033&l26A\033&l0O\033&l0E";
constexpr double kLeft = 71.0 / 3;    // the A4 logical page's left edge at 100 dpi
constexpr double kPx = 100.0 / 1016;  // pixels per plotter unit
// The default frame's foot in pixels: the foot of the text length, half an inch above the
// A4 sheet's foot.
constexpr double kHeight = 297 / 25.4 * 100 - 50;

int px(double x) {
    return static_cast<int>(x * kPx + kLeft);
}
int py(double y) {
    return static_cast<int>(kHeight - y * kPx);
}

// Ink in the box of plotter units (x0, y0) to (x1, y1), 2 pixels inside its edges.
int ink_box(const render::ImageDevice& d, double x0, double y0, double x1, double y1) {
    return ink_in(d, px(x0) + 2, py(y1) + 2, px(x1) - 2, py(y0) - 2);
}

// Inked runs along a pixel row from x0 to x1.
int runs(const render::ImageDevice& d, int y, int x0, int x1) {
    int n = 0;
    bool in = false;
    for (int x = x0; x < x1; ++x) {
        bool ink = d.ink(x, y);
        if (ink && !in) ++n;
        in = ink;
    }
    return n;
}

test::Rendered render_gl(const std::string& gl) {
    test::Rendered r(100);
    test::render_bytes(r, kSetup + "\033%0BIN;SP1;" + gl + "\033%0A");
    return r;
}

TEST(HpglFills, HatchingIsLinesAtItsSpacingAndAngle) {
    struct Case {
        const char* name;
        std::string gl;
        int runs_across;  // inked runs along the middle row of the 3000-unit square
    };
    // 3000 units (about 295 pixels) across: 300-unit spacing gives about ten lines.
    const std::vector<Case> cases = {
        {"vertical lines", "FT3,300,90;", 10},
        {"horizontal lines cross no row between them", "FT3,300,0;", 0},
        {"cross-hatch: the vertical family", "FT4,300,0;", 10},
        {"45 degrees, wider apart along a row", "FT3,300,45;", 7},
    };
    for (const Case& c : cases) {
        test::Rendered r = render_gl(c.gl + "PA1000,1000;RA4000,4000;");
        const int row = py(2550);
        EXPECT_NEAR(runs(r.device, row, px(1000) + 2, px(4000) - 2), c.runs_across, 1) << c.name;
        EXPECT_EQ(ink_in(r.device, px(4000) + 3, py(4000), px(5000), py(1000)), 0) << c.name;
        EXPECT_EQ(r.problems.count(), 0u) << c.name << ": " << r.problems.text();
    }
    // With scaling on, the spacing is in user units: here 100 plotter units each.
    test::Rendered scaled = render_gl("IP0,0,3000,3000;SC0,30,0,30;FT3,3,90;PA10,10;RA40,40;");
    EXPECT_NEAR(runs(scaled.device, py(2550), px(1000) + 2, px(4000) - 2), 10, 1);
    // A spacing too fine to draw is widened and said.
    test::Rendered fine = render_gl("FT3,0.0001,45;PA1000,1000;RA4000,4000;");
    EXPECT_NE(fine.problems.text().find("hatch lines closer"), std::string::npos);
}

TEST(HpglFills, FillTypesOutOfRangeAreIgnoredAndParametersRemembered) {
    // A 2000-unit square after each fill set-up; solid fills it, 30 % shading about a
    // third of it (the 8x8 cell's dots), 50 % about half.
    struct Case {
        const char* name;
        std::string fill;
        int low, high;  // ink in per cent of the square's inside
    };
    const std::vector<Case> cases = {
        {"solid by default", "FT10;", 99, 100},
        {"a negative level", "FT10,30;FT10,-20;", 20, 40},
        {"a level past 100", "FT10,30;FT10,150;", 20, 40},
        {"an unknown type", "FT10,30;FT7;", 20, 40},
        {"negative hatch spacing", "FT10,30;FT3,-50;", 20, 40},
        {"the last level of the type", "FT10,50;FT3,100,45;FT10;", 40, 60},
        {"forgotten by DF", "FT10,50;DF;SP1;FT10;", 99, 100},
    };
    for (const Case& c : cases) {
        test::Rendered r = render_gl(c.fill + "PU1000,1000;RA3000,3000;");
        const int inside = (px(3000) - px(1000) - 4) * (py(1000) - py(3000) - 4);
        const int share = 100 * ink_box(r.device, 1000, 1000, 3000, 3000) / inside;
        EXPECT_GE(share, c.low) << c.name;
        EXPECT_LE(share, c.high) << c.name;
    }
}

TEST(HpglFills, WedgesFillOrEdgeASliceRoundThePen) {
    struct Case {
        const char* name;
        std::string gl;
        bool first_quadrant, second_quadrant, on_arc;
    };
    const std::vector<Case> cases = {
        {"filled quarter", "WG2000,0,90;", true, false, true},
        {"negative sweep goes clockwise", "WG2000,90,-90;", true, false, true},
        {"edged half", "EW2000,0,180;", false, false, true},
        {"filled circle", "WG2000,0,360;", true, true, true},
    };
    for (const Case& c : cases) {
        test::Rendered r = render_gl("PA5000,5000;" + c.gl);
        // Boxes inside the quadrants, clear of the edges.
        EXPECT_EQ(ink_box(r.device, 5400, 5400, 6000, 6000) > 300, c.first_quadrant) << c.name;
        EXPECT_EQ(ink_box(r.device, 4000, 5400, 4600, 6000) > 300, c.second_quadrant) << c.name;
        EXPECT_EQ(ink_in(r.device, px(5000) - 2, py(7000) - 3, px(5000) + 2, py(7000) + 3) > 0,
                  c.on_arc)
            << c.name;
    }
}

TEST(HpglFills, RotatedCoordinateSystem) {
    struct Case {
        const char* name;
        std::string gl;
        double x, y;  // where the square lands, unrotated plotter units of its lower left
    };
    const double w = 210 / 25.4 * 1016 - 2 * 71.0 / 300 * 1016;  // the frame's width
    const double h = (kHeight - 50) / kPx;  // the frame hangs from the top margin
    const std::vector<Case> cases = {
        {"not rotated", "", 1000, 1000},
        {"90: the origin at the lower right, x up", "RO90;", w - 3000, 1000},
        {"180", "RO180;", w - 3000, h - 3000},
        {"270: the origin at the upper left, x down", "RO270;", 1000, h - 3000},
    };
    for (const Case& c : cases) {
        test::Rendered r = render_gl(c.gl + "PA1000,1000;RA3000,3000;");
        EXPECT_GT(ink_box(r.device, c.x, c.y, c.x + 2000, c.y + 2000), 180 * 180) << c.name;
        EXPECT_EQ(r.problems.count(), 0u) << c.name << ": " << r.problems.text();
    }
    test::Rendered odd = render_gl("RO45;PA1000,1000;RA3000,3000;");
    EXPECT_NE(odd.problems.text().find("RO 45 is not a right angle"), std::string::npos);
    EXPECT_GT(ink_box(odd.device, 1000, 1000, 3000, 3000), 180 * 180);
}

}  // namespace
}  // namespace morvel
