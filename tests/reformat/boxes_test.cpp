// BOX, LINE, RBOX, WATERMARK and MACRO: the exact printer bytes of each form.
#include <array>
#include <string>

#include <gtest/gtest.h>

#include "reformat/boxes.h"
#include "reformat/job_setup.h"
#include "reformat/printer_out.h"
#include "reformat/reformat_bench.h"

namespace morvel {
namespace {

using test::Bench;
using test::lit;

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
    auto st = std::make_unique<Statement>();
    st->kind = kind;
    st->payload = std::move(b);
    return st;
}

// Runs one statement of p against the bench's file and returns what it wrote.
struct Drawer {
    Bench b;
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

const std::string kEdges02x100 =  // the border of 0,0,200,100 with thickness 2
    "\033*p0x0Y\033*c202a2b0P\033*p200x0Y\033*c2a102b0P"
    "\033*p0x0Y\033*c2a102b0P\033*p0x100Y\033*c202a2b0P";

TEST(Box, EachFormWritesItsCommands) {
    struct Case {
        const char* what;
        Corners v;
        int border, fill;
        bool forbidden, colour;
        std::string expected;
    };
    const Case cases[] = {
        {"vertical rule", {100, 100, 100, 400, 5, 100}, 0, 0, false, false,
         "\033*p100x100Y\033*c5a300b0P\033*c100G"},
        {"rule without shading", {100, 100, 100, 400, 5, 0}, 0, 0, false, false,
         "\033*p100x100Y\033*c100G"},
        {"horizontal line", {100, 500, 900, 500, 3, 100}, 0, 7, false, false,
         "\033*p100x500Y\033*c800a3b1P\033*c100G"},
        {"fill only", {10, 10, 110, 60, -3, 100}, 0, 0, false, false,
         "\033*p10x10Y\033*c100a50b0P\033*c100G"},
        {"border only", {0, 0, 200, 100, 2, 0}, 0, 0, false, false,
         "\033*p2x2Y" + kEdges02x100 + "\033*c100G"},
        {"fill and border", {0, 0, 200, 100, 2, 10}, 0, 0, false, false,
         "\033*p2x2Y\033*c200a100b10g2P" + kEdges02x100 + "\033*c100G"},
        {"corners swapped", {200, 100, 0, 0, 2, 10}, 0, 0, false, false,
         "\033*p2x2Y\033*c200a100b10g2P" + kEdges02x100 + "\033*c100G"},
        {"white fill erases", {0, 0, 50, 20, 0, 100}, 0, 7, false, false,
         "\033*p0x0Y\033*c50a20b1P\033*c100G"},
        {"shading above 100", {0, 0, 50, 20, 0, 101}, 0, 0, false, false,
         "\033*p0x0Y\033*c50a20b0P\033*c100G"},
        {"shading below -99", {0, 0, 50, 20, 0, -100}, 0, 0, false, false,
         "\033*p0x0Y\033*c50a20b0P\033*c100G"},
        {"pattern as grey without HP-GL/2", {100, 100, 300, 200, 0, -50}, 0, 0, true, false,
         "\033*p100x100Y\033*c200a100b50g2P\033*c100G"},
        {"-120 without HP-GL/2", {0, 0, 50, 20, 0, -120}, 0, 0, true, false,
         "\033*p0x0Y\033*c50a20b0P\033*c100G"},
        {"colour turns a pattern grey", {100, 100, 300, 200, 0, -30}, 0, 2, false, true,
         "\033*p100x100Y\033*v2S\033*c200a100b30g2P\033*c100G\033*v0S"},
        {"colour solid", {0, 0, 50, 20, 0, 100}, 0, 3, false, true,
         "\033*p0x0Y\033*v3S\033*c50a20b100g2P\033*c100G\033*v0S"},
        {"colour white border", {0, 0, 50, 20, 1, 0}, 7, 3, false, true,
         "\033*p1x1Y\033*v3S\033*v7S\033*p0x0Y\033*c51a1b1P\033*p50x0Y\033*c1a21b1P"
         "\033*p0x0Y\033*c1a21b1P\033*p0x20Y\033*c51a1b1P\033*c100G\033*v0S"},
    };
    for (const Case& c : cases) {
        Drawer d;
        d.p->hpgl_forbidden = c.forbidden;
        if (c.colour) d.p->colour = lit("1");
        EXPECT_EQ(d.draw(*box(Tok::BOX, c.v, c.border, c.fill)), c.expected) << c.what;
        EXPECT_EQ(d.b.c.log(), "") << c.what;
    }
}

TEST(Box, ShadingBandsChooseThePattern) {
    const std::array<std::array<long, 2>, 14> bands = {{{-1, 2}, {-2, 2}, {-3, 3}, {-10, 3},
                                                        {-11, 4}, {-20, 4}, {-21, 5}, {-35, 5},
                                                        {-36, 6}, {-49, 6}, {-50, 7}, {-69, 7},
                                                        {-70, 8}, {-99, 8}}};
    for (const auto& [shading, pattern] : bands) EXPECT_EQ(fill_pattern(shading), pattern) << shading;
}

TEST(Box, PatternsAreDownloadedOncePerPageSetup) {
    const std::string patterns =
        "\033%1BSP1;RF2,7,7,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,0,"
        "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0;\033%0A"
        "\033%1BSP1;RF3,5,5,0,0,0,0,0,0,0,0,0,0,0,0,1,0,0,0,0,0,0,0,0,0,0,0,0;\033%0A"
        "\033%1BSP1;RF4,3,3,0,0,0,0,1,0,0,0,0;\033%0A"
        "\033%1BSP1;RF5,2,2,1,0,0,0;\033%0A"
        "\033%1BSP1;RF6,5,5,0,0,1,0,1,1,0,0,0,0,0,1,0,1,0,1,0,0,0,0,0,0,0,1,0;\033%0A"
        "\033%1BSP1;RF7,4,4,0,1,0,0,1,1,0,1,1,0,0,1,0,0,1,0,1,0,1,0,1,0,1,0,1;\033%0A"
        "\033%1BSP1;RF8,2,2,0,1,1,1;\033%0A";
    const std::string fill = "\033%1BSP1;FT11,7;RR200,100;\033%0A\033*c100G";
    Drawer d;
    auto st = box(Tok::BOX, {100, 100, 300, 200, 0, -50});
    EXPECT_EQ(d.draw(*st), "\033*p100x100Y" + patterns + fill);
    EXPECT_EQ(d.draw(*st), "\033*p100x100Y" + fill);
    page_setup(d.b.run, *d.p, d.out);
    long after_setup = static_cast<long>(d.b.contents().size());
    EXPECT_EQ(d.draw(*st), "\033*p100x100Y" + patterns + fill);
    // A rounded box uses the same downloaded set.
    EXPECT_EQ(d.draw(*box(Tok::RBOX, {0, 0, 10, 10, 0, -99}, 0, 0, {0, 0, 0, 0})),
              "\033%1BPW0.000000;PU0,0PM0;PDAA0,0,90PD10,0;AA10,0,90PD10,10;AA10,10,90"
              "PD0,10;AA0,10,90PD0,0;PM2;FT11,8;FP;FT10,100;\033%1A");
    EXPECT_EQ(d.b.contents().find("RF2,", static_cast<std::size_t>(after_setup) + 300),
              std::string::npos);
}

TEST(Box, RoundedBoxes) {
    struct Case {
        const char* what;
        Corners v;
        std::array<int, 4> radii;
        int border, fill;
        bool colour;
        std::string expected;
    };
    const Case cases[] = {
        {"default radii", {100, 100, 500, 300, 4, 20}, {35, 35, 35, 35}, 0, 0, false,
         "\033%1BPW0.280000;PU102,137PM0;PDAA137,137,90PD467,102;AA467,137,90PD502,267;"
         "AA467,267,90PD137,302;AA137,267,90PD102,137;PM2;FT10,20;FP;EP;FT10,100;\033%1A"},
        {"square corners, no edge", {10, 20, 30, 40, 0, 50}, {0, 0, 0, 0}, 0, 0, false,
         "\033%1BPW0.000000;PU10,20PM0;PDAA10,20,90PD30,20;AA30,20,90PD30,40;AA30,40,90"
         "PD10,40;AA10,40,90PD10,20;PM2;FT10,50;FP;FT10,100;\033%1A"},
        {"colour, four radii", {100, 100, 500, 300, 2, 100}, {10, 20, 30, 40}, 1, 4, true,
         "\033%1BPW0.140000;PU101,111PM0;PDAA111,111,90PD481,101;AA481,121,90PD501,261;"
         "AA461,261,90PD131,301;AA131,271,90PD101,111;PM2;SP4;TR0;FT1;FP;TR1;TR0;SP1;EP;"
         "TR1;FT10,100;\033%1A\033*v0S"},
    };
    for (const Case& c : cases) {
        Drawer d;
        if (c.colour) d.p->colour = lit("1");
        EXPECT_EQ(d.draw(*box(Tok::RBOX, c.v, c.border, c.fill, c.radii)), c.expected) << c.what;
    }
}

TEST(Box, AdvanceShiftsAndNegativeCoordinates) {
    Drawer d;
    d.draw(*box(Tok::RBOX, {0, 10, 20, 50, 0, 0}));
    EXPECT_EQ(d.advance, 40);
    d.draw(*box(Tok::BOX, {0, 10, 20, 10, 3, 100}));  // a line adds its thickness
    EXPECT_EQ(d.advance, 43);
    d.p->x_shift = 5;
    d.p->y_shift = 7;
    EXPECT_EQ(d.draw(*box(Tok::BOX, {0, 0, 10, 10, 0, 100}), 100),
              "\033*p5x107Y\033*c10a10b0P\033*c100G");
    EXPECT_EQ(d.b.variable("last_y"), "107");
    d.p->y_shift = -8;
    EXPECT_EQ(d.draw(*box(Tok::BOX, {0, 0, 10, 10, 0, 100})), "");
    EXPECT_EQ(d.draw(*box(Tok::RBOX, {0, 0, 10, 10, 0, 100})), "");
    EXPECT_EQ(d.advance, 53);
    EXPECT_NE(d.b.c.log().find("Negative coordinate passed to box command"), std::string::npos);
    EXPECT_NE(d.b.c.log().find("Negative coordinate passed to rbox command"), std::string::npos);
}

std::unique_ptr<Statement> watermark(const std::string& text, const char* angle) {
    WatermarkStatement w;
    w.x = lit("100");
    w.y = lit("200");
    w.text = test::lit_expr(text);
    w.shading = lit("20");
    w.angle = lit(angle);
    auto st = std::make_unique<Statement>();
    st->kind = Tok::WATERMARK;
    st->payload = std::move(w);
    return st;
}

TEST(Watermark, LabelAtAnAngleIgnoresTheShifts) {
    Drawer d;
    d.p->x_shift = 50;
    d.p->y_shift = 50;
    EXPECT_EQ(d.draw(*watermark("DRAFT!", "45"), 10),
              "\033*p100x210Y\033%1BSP1;SD1,277,2,0,3,10.000000,5,0,6,0,7,4099;LO1;"
              "DI1.000000,1.000000;FT10,20,0;CF2,0;DT\",1;SS;LBDRAFT!\";\033%0A");
    d.p->colour = lit("1");
    d.p->symbol_set = lit("19U");
    EXPECT_EQ(d.draw(*watermark("A", "90")),
              "\033*p100x200Y\033%1BSP1;SD1,629,2,0,3,10.000000,5,0,6,0,7,4099;LO1;SP0;"
              "DI0.000000,1.000000;FT10,20,0;CF2,0;DT!,1;SS;LBA!;\033%0A\033*v0S");
}

TEST(Watermark, TextWithoutTerminatorDrawsNothing) {
    std::string every;
    for (int c = 33; c < 127; ++c)
        if (c != ';') every.push_back(static_cast<char>(c));
    Drawer d;
    EXPECT_EQ(d.draw(*watermark(every, "0")), "");
    EXPECT_NE(d.b.c.log().find("Unable to get a terminator for watermark"), std::string::npos);
}

TEST(Macro, CallsTheMacroOnlyInPrinterPrograms) {
    ValueStatement v;
    v.value = lit("12");
    Statement st;
    st.kind = Tok::MACRO;
    st.payload = v;
    Drawer d;
    EXPECT_EQ(d.draw(st), "\033&f12y2X");
    d.p->kind = ReformatKind::TextPage;
    EXPECT_EQ(d.draw(st), "");
    EXPECT_NE(d.b.c.log().find("Trying to use a MACRO in a non hp REFORMAT"), std::string::npos);
}

}  // namespace
}  // namespace morvel
