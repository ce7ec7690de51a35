// Printer-kind jobs: the job header, font selections, labels, placeholders and ejects.
#include <gtest/gtest.h>

#include "reformat/reformat_fixture.h"

namespace morvel {
namespace {

using test::list;
using test::printer_program;
using test::ReformatFixture;
using test::text_st;

// Universal exit, reset, duplex 0, portrait, paper 26.
const std::string kJobStart = "\033%-12345X\033E\033&l0S\033&l0O\033&l26A";
// Margins, unit of measure 300, pattern commands, cursor home.
const std::string kPageSetup = "\0339\033&l0E\033&u300D\033*v0T\033*c100G\033*v0n0O\033*p0x0Y";
const std::string kMacro200 = "\033&f200y0X\033(8O\033(s1070Te\033&f1X";
const std::string kDefaultFont = "\033(s0p10.000000h0s0b4099T\033&d@";
const std::string kHeader = kJobStart + kPageSetup + kMacro200 + kDefaultFont;
const std::string kHpglInit =
    "\033*p0x0Y\033*c0T\033*c20000x20000Y\033%1BINSP1"
    "SC0,3.386667,0,-3.386667,2IR0,100,0,100PU0,0;\033%1A";

TEST(PrinterJob, DefaultHeaderTextAndEject) {
    ReformatFixture b;
    auto p = printer_program();
    p->statements = list(text_st(Tok::MESSAGE, 100, 200, "Hello"));
    EXPECT_EQ(b.run_program(*p), 0);
    EXPECT_EQ(b.contents(), kHeader + "\033*p100x200YHello\f");
    EXPECT_EQ(b.output.output_kind, 0);
    EXPECT_EQ(b.output.page_counter, 2);
    EXPECT_EQ(b.variable("last_x"), "100");
    EXPECT_EQ(b.variable("last_y"), "200");
    // A second run into the same file writes no header.
    b.run_program(*p);
    EXPECT_EQ(b.contents(), kHeader + "\033*p100x200YHello\f\033*p100x200YHello\f");
}

TEST(PrinterJob, SettingsChangeTheHeader) {
    ReformatFixture b;
    auto p = printer_program();
    p->duplex = 1;
    p->orientation = 1;
    p->printer_tray = 4;
    p->paper_size = 2;
    p->resolution = 600;
    p->symbol_set = test::lit("8U");
    p->num_copies = test::lit("3");
    p->uses_hpgl = true;
    b.run_program(*p);
    EXPECT_EQ(b.contents(),
              "\033%-12345X\033E\033&l1S\033&l1O\033&l4H\033&l2A"
              "\0339\033&l0E\033&u600D\033(8U\033*v0T\033*c100G\033*v0n0O\033*p0x0Y"
              "\033*p0x0Y\033*c0T\033*c20000x20000Y\033%1BINSP1"
              "SC0,1.693333,0,-1.693333,2IR0,100,0,100PU0,0;\033%1A"
              "\033&l3X" +
                  kMacro200 + kDefaultFont + "\f");
}

TEST(PrinterJob, HpglForbiddenWritesNoInitialisation) {
    ReformatFixture b;
    auto p = printer_program();
    p->uses_hpgl = true;
    p->hpgl_forbidden = true;
    b.run_program(*p);
    EXPECT_EQ(b.contents(), kHeader + "\f");
}

TEST(PrinterJob, UserStringsReplaceTheStandardHeader) {
    ReformatFixture b;
    auto p = printer_program();
    b.output.pre_init = test::lit_expr("<pre>");
    b.output.init_str = test::lit_expr("<init>");
    b.output.post_init = test::lit_expr("<post>");
    std::string include = b.c.dir.write("inc.bin", std::string("I\0N", 3));
    p->include_files.push_back(test::lit(include));
    p->include_files.push_back(test::lit(""));
    b.run_program(*p);
    EXPECT_EQ(b.contents(),
              "<pre><init><post>" + std::string("I\0N", 3) + kMacro200 + kDefaultFont + "\f");
}

TEST(PrinterJob, MissingIncludeFailsTheSetUpOnly) {
    ReformatFixture b;
    auto p = printer_program();
    p->include_files.push_back(test::lit(b.c.dir.file("absent")));
    p->statements = list(text_st(Tok::MESSAGE, 0, 50, "x"));
    EXPECT_EQ(b.run_program(*p), -1);
    EXPECT_EQ(b.contents(), kJobStart + kPageSetup);
    EXPECT_NE(b.c.log().find("Unable to open include file >"), std::string::npos);
}

TEST(PrinterJob, AnEarlierErrorDoesNotStopThePage) {
    ReformatFixture b;
    b.run.MEMORY_ERROR = 1;
    auto p = printer_program();
    p->statements = list(text_st(Tok::MESSAGE, 0, 50, "x"));
    EXPECT_EQ(b.run_program(*p), 0);
    EXPECT_EQ(b.contents(), kHeader + "\033*p0x50Yx\f");
    EXPECT_EQ(b.run.MEMORY_ERROR, 1);
}

TEST(PrinterJob, ColourSwitchesOnThePaletteAndColourSelection) {
    ReformatFixture b;
    auto p = printer_program();
    p->colour = test::lit("1");
    b.run_program(*p);
    std::string out = b.contents();
    std::string palette = std::string("\033*v6W") + std::string("\0\1\b\b\b\b", 6) +
                          "\033*v0a0b0c0I\033*v246a0b0c1I\033*v0a255b0c2I";
    EXPECT_EQ(out.find(kJobStart + kPageSetup + palette), 0u);
    EXPECT_NE(out.find("\033*v255a255b255c7I\033*v0a0b0c8I"), std::string::npos);
    EXPECT_NE(out.find(kMacro200 + kDefaultFont + "\033*v0S\f"), std::string::npos);
}

TEST(PrinterText, FontsOverridesAndInverse) {
    HpFont times;
    times.proportional = test::lit("1");
    times.typeface = test::lit("4101");
    times.size = test::lit("12");
    times.boldness = test::lit("3");
    times.underline = true;
    FontOverride size;
    size.size = test::lit("12");
    struct Case {
        HpFont* font;
        std::optional<FontOverride> override_;
        bool inverse;
        std::string expected;
    } cases[] = {
        {nullptr, std::nullopt, false, "\033*p10x20Yab"},
        {nullptr, size, false, "\033*p10x20Y\033(s0p12.000000h0s0b4099T\033&d@ab" + kDefaultFont},
        {&times, std::nullopt, false,
         "\033*p10x20Y\033(s1p12.000000v0s3b4101T\033&d0Dab" + kDefaultFont},
        {nullptr, std::nullopt, true, "\033*p10x20Y\033*v1o1Tab\033*v0o0T"},
    };
    for (const Case& c : cases) {
        ReformatFixture run;
        auto p = printer_program();
        p->initialise = 0;
        test::TextOptions o;
        o.font = c.font;
        o.inverse = c.inverse;
        if (c.override_) {
            o.line_step = "50";
            o.font_override = c.override_;
        }
        p->statements = list(text_st(Tok::MESSAGE, 10, 20, "ab", o));
        run.run_program(*p);
        EXPECT_EQ(run.contents(), c.expected + "\f");
    }
}

TEST(PrinterText, AlignedTextIsAnHpglLabel) {
    ReformatFixture b;
    auto p = printer_program();
    p->initialise = 0;
    test::TextOptions centre;
    centre.line_step = "50";
    centre.font_override = test::aligned(Alignment::Centre);
    test::TextOptions right = centre;
    right.font_override = test::aligned(Alignment::Right);
    right.inverse = true;
    p->statements = list(text_st(Tok::MESSAGE, 100, 200, "a!b", centre),
                         text_st(Tok::PAGE, 300, 400, "%n/%t", right));
    b.run_program(*p);
    const std::string font = "SD1,277,2,0,3,10.000000,5,0,6,0,7,4099;";
    EXPECT_EQ(b.patched(),
              "\033*p100x200Y\033%1BSP1;" + font +
                  "LO4;DI1.000000,0.000000;FT1,0,0;DT\",1;SS;FT1,0,0;CF2;LBa!b\";\033%0A"
                  "\033*p300x400Y\033%1BTR0;SP0;" +
                  font +
                  "LO7;DI1.000000,0.000000;FT1,0,0;DT!,1;SS;FT1,0,0;CF2;LB1/1   !;TR1;SP1;"
                  "\033%0A\f");
}

TEST(PrinterText, LabelWithoutTerminatorIsRefused) {
    ReformatFixture b;
    auto p = printer_program();
    p->initialise = 0;
    std::string every;
    for (int code = 33; code < 127; ++code)
        if (code != ';') every.push_back(static_cast<char>(code));
    test::TextOptions centre;
    centre.line_step = "50";
    centre.font_override = test::aligned(Alignment::Centre);
    p->statements = list(text_st(Tok::MESSAGE, 1, 2, every, centre));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "\033*p1x2Y\f");
    EXPECT_EQ(b.c.log(), "Unable to get a terminator for hpgl string\n");
}

TEST(PrinterText, PagePlaceholdersAndEjects) {
    ReformatFixture b;
    auto p = printer_program();
    p->initialise = 0;
    p->pad = 0;
    p->statements =
        list(text_st(Tok::PAGE, 0, 50, "%n of %t"), test::eject(), text_st(Tok::PAGE, 0, 50, "%n"));
    b.run_program(*p);
    // Without PAD only EJECT_PAGE ends a printer page; the run's end writes nothing.
    EXPECT_EQ(b.output.page_counter, 2);
    b.output.page_counter = 4;
    EXPECT_EQ(b.patched(), "\033*p0x50Y1 of 3   \f\033*p0x50Y2");
}

TEST(PrinterText, IncludeCopiesAFileAndResetsThePage) {
    ReformatFixture b;
    auto p = printer_program();
    p->initialise = 0;
    std::string name = b.c.dir.write("logo.pcl", "LOGO");
    test::TextOptions keep;
    keep.line_step = "50";
    keep.font_override = FontOverride{};
    keep.font_override->no_reset = 1;
    p->statements =
        list(text_st(Tok::INCLUDE, 10, 20, name), text_st(Tok::INCLUDE, 30, 40, name, keep),
             text_st(Tok::INCLUDE, 0, 0, b.c.dir.file("none")));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "\033*p10x20YLOGO" + kPageSetup + kDefaultFont + "\033*p30x40YLOGO\f");
    EXPECT_NE(b.c.log().find("Unable to open include file >"), std::string::npos);
}

}  // namespace
}  // namespace morvel
