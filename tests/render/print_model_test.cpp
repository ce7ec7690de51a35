// The print model: logical operations over a black rule, for rules, text and raster.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render/interpreter.h"
#include "render_support.h"

namespace morvel {
namespace {

using test::ink_in;

using namespace std::string_literals;
using render::RopAction;

TEST(PrintModel, LogicalOperationsComeDownToFourActions) {
    struct Case {
        int rop;
        RopAction ink, paper;  // source dot of ink and of paper, black texture
    };
    const std::vector<Case> cases = {
        {252, RopAction::Ink, RopAction::White},    // the default: source or texture
        {204, RopAction::Ink, RopAction::White},    // source copied
        {240, RopAction::Ink, RopAction::Ink},      // texture copied
        {170, RopAction::Keep, RopAction::Keep},    // the page as it is
        {136, RopAction::Ink, RopAction::Keep},     // source and page
        {238, RopAction::Keep, RopAction::White},   // source or page
        {102, RopAction::Keep, RopAction::Invert},  // source exclusive-or page
        {0, RopAction::Ink, RopAction::Ink},       {255, RopAction::White, RopAction::White},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(render::rop_action(c.rop, true, true), c.ink) << c.rop;
        EXPECT_EQ(render::rop_action(c.rop, false, true), c.paper) << c.rop;
    }
    // A white texture: the texture copy marks white.
    EXPECT_EQ(render::rop_action(240, true, false), RopAction::White);
}

TEST(PrintModel, MarksOverABlackRule) {
    // A black rule 300 dots square at (300, 300); then a mark over its left half.
    const std::string setup =
        "\033E\033&l26A\033&l0O\033&l0E\033&u300D\033*p300x300Y"
        "\033*c300a300b0P";
    // 100 dpi raster: a row of 8 pixels, ink in the first 4, paper in the rest.
    const std::string raster = "\033*t100R\033*r1A"s + [] {
        std::string rows;
        for (int i = 0; i < 50; ++i) rows += "\033*b1W\xf0"s;
        return rows;
    }() + "\033*rB";
    struct Case {
        const char* name;
        std::string marks;
        bool ink_left, ink_right;  // in the first 4 and the next 4 pixels of the raster
    };
    const std::vector<Case> cases = {
        {"default: ink over, paper transparent", raster, true, true},
        {"opaque source: paper marks white", "\033*v1N" + raster, true, false},
        {"source or page: ink leaves the page, paper whitens", "\033*v1N\033*l238O" + raster, true,
         false},
        {"the page as it is", "\033*v1N\033*l170O" + raster, true, true},
        {"whiteness: ink whitens, transparent paper does not", "\033*l255O" + raster, false, true},
        {"a rule in whiteness erases", "\033*l255O\033*c300a300b0P", false, false},
        {"a rule that keeps the page", "\033*l170O\033*c300a300b0P", true, true},
    };
    const int x = static_cast<int>(100 + 71.0 / 3);
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, setup + c.marks + "\033*p0x0Y.");
        EXPECT_EQ(ink_in(r.device, x + 1, 105, x + 3, 140) > 60, c.ink_left) << c.name;
        EXPECT_EQ(ink_in(r.device, x + 5, 105, x + 7, 140) > 60, c.ink_right) << c.name;
    }
}

}  // namespace
}  // namespace morvel
