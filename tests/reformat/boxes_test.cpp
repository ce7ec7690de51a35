// BOX, LINE, RBOX, WATERMARK and MACRO: the exact printer bytes of each form.
#include "reformat/boxes.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/printer_out.h"
#include "reformat/job_setup.h"
#include "reformat/reformat_fixture.h"

namespace morvel {
namespace {

using test::lit;
using test::ReformatFixture;

// x1, y1, x2, y2, thickness, shading.
using Corners = std::array<long, 6>;

std::unique_ptr<Statement> box(Tok kind, Corners v, int border = 0, int fill = 0,
                               std::array<int, 4> radii = {35, 35, 35, 35}) {
    BoxStatement b;
    Value* fields[] = {&b.x1, &b.y1, &b.x2, &b.y2, &b.thickness, &b.shading};
    for (std::size_t i = 0; i < v.size(); ++i) *fields[i] = lit(std::to_string(v[i]));
    b.border_colour = border;
    b.fill_colour = fill;
    b.radii = radii;
    return std::make_unique<Statement>(Statement{kind, 0, 1, std::move(b)});
}

// Runs one statement of p against the fixture's file and returns what it wrote.
struct Drawer {
    ReformatFixture b;
    std::unique_ptr<ReformatProgram> p = test::printer_program();
    PclOut out{b.file};
    double advance = 0;

    Drawer() { b.run.reformat.program = p.get(); }
    std::string draw(const Statement& st, int base_y = 0) {
        long before = static_cast<long>(b.contents().size());
        execute_drawing(b.run, st, out, base_y, advance);
        return b.contents().substr(static_cast<std::size_t>(before));
    }
};

// "~" stands for the escape byte.
std::string esc(std::string s) {
    for (char& c : s)
        if (c == '~') c = '\033';
    return s;
}

enum Mode { kPlain, kNoHpgl, kColour };

TEST(Box, EachFormWritesItsCommands) {
    // The border of 0,0,200,100 with thickness 2.
    const std::string edges =
        "~*p0x0Y~*c202a2b0P~*p200x0Y~*c2a102b0P~*p0x0Y~*c2a102b0P~*p0x100Y~*c202a2b0P";
    struct Case {
        Corners v;
        int border, fill;
        Mode mode;
        std::string expected;
    } const cases[] = {
        // clang-format off
        {{100, 100, 100, 400, 5, 100}, 0, 0, kPlain, "~*p100x100Y~*c5a300b0P~*c100G"},
        {{100, 100, 100, 400, 5, 0}, 0, 0, kPlain, "~*p100x100Y~*c100G"},
        {{100, 500, 900, 500, 3, 100}, 0, 7, kPlain, "~*p100x500Y~*c800a3b1P~*c100G"},
        {{10, 10, 110, 60, -3, 100}, 0, 0, kPlain, "~*p10x10Y~*c100a50b0P~*c100G"},
        {{0, 0, 200, 100, 2, 0}, 0, 0, kPlain, "~*p2x2Y" + edges + "~*c100G"},
        {{200, 100, 0, 0, 2, 10}, 0, 0, kPlain, "~*p2x2Y~*c200a100b10g2P" + edges + "~*c100G"},
        {{0, 0, 50, 20, 0, 101}, 0, 0, kPlain, "~*p0x0Y~*c50a20b0P~*c100G"},
        {{0, 0, 50, 20, 0, -100}, 0, 0, kPlain, "~*p0x0Y~*c50a20b0P~*c100G"},
        {{100, 100, 300, 200, 0, -50}, 0, 0, kNoHpgl, "~*p100x100Y~*c200a100b50g2P~*c100G"},
        {{0, 0, 50, 20, 0, -120}, 0, 0, kNoHpgl, "~*p0x0Y~*c50a20b0P~*c100G"},
        {{100, 100, 300, 200, 0, -30}, 0, 2, kColour,
         "~*p100x100Y~*v2S~*c200a100b30g2P~*c100G~*v0S"},
        {{0, 0, 50, 20, 0, 100}, 0, 3, kColour, "~*p0x0Y~*v3S~*c50a20b100g2P~*c100G~*v0S"},
        {{0, 0, 50, 20, 1, 0}, 7, 7, kColour, "~*p1x1Y~*v7S~*v7S~*p0x0Y~*c51a1b1P~*p50x0Y"
         "~*c1a21b1P~*p0x0Y~*c1a21b1P~*p0x20Y~*c51a1b1P~*c100G~*v0S"},
        // clang-format on
    };
    for (const Case& c : cases) {
        Drawer d;
        d.p->hpgl_forbidden = c.mode == kNoHpgl;
        if (c.mode == kColour) d.p->colour = lit("1");
        EXPECT_EQ(d.draw(*box(Tok::BOX, c.v, c.border, c.fill)), esc(c.expected)) << c.expected;
        EXPECT_EQ(d.b.c.log(), "") << c.expected;
    }
}

TEST(Box, ShadingBandsChooseThePattern) {
    // Shading, pattern: the edges of every band.
    const long bands[] = {-1,  2, -2,  2, -3,  3, -10, 3, -11, 4, -20, 4, -21, 5,
                          -35, 5, -36, 6, -49, 6, -50, 7, -69, 7, -70, 8, -99, 8};
    for (std::size_t i = 0; i < std::size(bands); i += 2)
        EXPECT_EQ(fill_pattern(bands[i]), bands[i + 1]) << bands[i];
}

TEST(Box, PatternsAreDownloadedOncePerPageSetup) {
    const std::string patterns =
        esc("~%1BSP1;RF2,7,7,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,0,"
            "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0;~%0A"
            "~%1BSP1;RF3,5,5,0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,0,0,0,0,0;~%0A"
            "~%1BSP1;RF4,3,3,0,0,0,0,1,0,0,0,0;~%0A~%1BSP1;RF5,2,2,1,0,0,0;~%0A"
            "~%1BSP1;RF6,5,5,0,0,1,0,1,1,0,0,0,0,0,1,0,1,0,1,0,0,0,0,0,0,0,1,0;~%0A"
            "~%1BSP1;RF7,4,4,0,1,0,0,1,1,0,1,1,0,0,1,0,0,1,0,1,0,1,0,1,0,1,0,1;~%0A"
            "~%1BSP1;RF8,2,2,0,1,1,1;~%0A");
    const std::string at = esc("~*p100x100Y"), fill = esc("~%1BSP1;FT11,7;RR200,100;~%0A~*c100G");
    Drawer d;
    auto st = box(Tok::BOX, {100, 100, 300, 200, 0, -50});
    EXPECT_EQ(d.draw(*st), at + patterns + fill);
    EXPECT_EQ(d.draw(*st), at + fill);
    page_setup(d.b.run, *d.p, d.out);
    EXPECT_EQ(d.draw(*st), at + patterns + fill);
    // A rounded box uses the same set; square corners and no thickness: a path, no edge.
    EXPECT_EQ(d.draw(*box(Tok::RBOX, {0, 0, 10, 10, 0, -99}, 0, 0, {0, 0, 0, 0})),
              esc("~%1BPW0.000000;PU0,0PM0;PDAA0,0,90PD10,0;AA10,0,90PD10,10;AA10,10,90PD0,10;"
                  "AA0,10,90PD0,0;PM2;FT11,8;FP;FT10,100;~%1A"));
}

TEST(Box, RoundedBoxes) {
    Drawer d;
    EXPECT_EQ(d.draw(*box(Tok::RBOX, {100, 100, 500, 300, 4, 20})),
              esc("~%1BPW0.280000;PU102,137PM0;PDAA137,137,90PD467,102;AA467,137,90PD502,267;"
                  "AA467,267,90PD137,302;AA137,267,90PD102,137;PM2;FT10,20;FP;EP;FT10,100;~%1A"));
    d.p->colour = lit("1");
    EXPECT_EQ(d.draw(*box(Tok::RBOX, {100, 100, 500, 300, 2, 100}, 1, 4, {10, 20, 30, 40})),
              esc("~%1BPW0.140000;PU101,111PM0;PDAA111,111,90PD481,101;AA481,121,90PD501,261;"
                  "AA461,261,90PD131,301;AA131,271,90PD101,111;PM2;SP4;TR0;FT1;FP;TR1;TR0;SP1;EP;"
                  "TR1;FT10,100;~%1A~*v0S"));
}

TEST(Box, AdvanceShiftsAndNegativeCoordinates) {
    Drawer d;
    d.draw(*box(Tok::RBOX, {0, 10, 20, 50, 0, 0}));
    d.draw(*box(Tok::BOX, {0, 10, 20, 10, 3, 100}));  // a line adds its thickness
    EXPECT_EQ(d.advance, 43);
    d.p->x_shift = 5;
    d.p->y_shift = 7;
    EXPECT_EQ(d.draw(*box(Tok::BOX, {0, 0, 10, 10, 0, 100}), 100),
              esc("~*p5x107Y~*c10a10b0P~*c100G"));
    d.p->y_shift = -8;
    EXPECT_EQ(d.draw(*box(Tok::BOX, {0, 0, 10, 10, 0, 100})), "");
    EXPECT_EQ(d.draw(*box(Tok::RBOX, {0, 0, 10, 10, 0, 100})), "");
    EXPECT_EQ(d.advance, 53);
    EXPECT_NE(d.b.c.log().find("Negative coordinate passed to box command"), std::string::npos);
    EXPECT_NE(d.b.c.log().find("Negative coordinate passed to rbox command"), std::string::npos);
}

Statement watermark(const std::string& text, const char* angle) {
    WatermarkStatement w{lit("100"),           lit("200"), nullptr,    nullptr,
                         test::lit_expr(text), lit("20"),  lit(angle), std::nullopt};
    return Statement{Tok::WATERMARK, 0, 1, std::move(w)};
}

TEST(Watermark, LabelAtAnAngleWithoutTheShifts) {
    Drawer d;
    d.p->x_shift = 50;
    EXPECT_EQ(d.draw(watermark("DRAFT!", "45"), 10),
              esc("~*p100x210Y~%1BSP1;SD1,277,2,0,3,10.000000,5,0,6,0,7,4099;LO1;"
                  "DI1.000000,1.000000;FT10,20,0;CF2,0;DT\",1;SS;LBDRAFT!\";~%0A"));
    d.p->colour = lit("1");
    d.p->symbol_set = lit("19U");
    EXPECT_EQ(d.draw(watermark("A", "90")),
              esc("~*p100x200Y~%1BSP1;SD1,629,2,0,3,10.000000,5,0,6,0,7,4099;LO1;SP0;"
                  "DI0.000000,1.000000;FT10,20,0;CF2,0;DT!,1;SS;LBA!;~%0A~*v0S"));
    std::string every;  // every code a terminator could take
    for (char c = 33; c < 127; ++c) every.push_back(c == ';' ? ' ' : c);
    EXPECT_EQ(d.draw(watermark(every, "0")), "");
    EXPECT_NE(d.b.c.log().find("Unable to get a terminator for watermark"), std::string::npos);
}

TEST(Macro, CallsTheMacroOnlyInPrinterPrograms) {
    Statement st{Tok::MACRO, 0, 1, ValueStatement{lit("12")}};
    Drawer d;
    EXPECT_EQ(d.draw(st), esc("~&f12y2X"));
    d.p->kind = ReformatKind::TextPage;
    EXPECT_EQ(d.draw(st), "");
    EXPECT_NE(d.b.c.log().find("Trying to use a MACRO in a non hp REFORMAT"), std::string::npos);
}

}  // namespace
}  // namespace morvel
