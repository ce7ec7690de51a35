// The renderer drawing known jobs in memory: where ink lands, how many pages come out,
// and what it reports on broken input.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_support.h"

namespace morvel {
namespace {

using namespace std::string_literals;

using test::ink_in;
using test::kLeft;
using test::kSetup;
using test::px;

TEST(Render, RulesLandWhereTheCursorAndSizeSayAndWhiteRulesErase) {
    struct Case {
        const char* name;
        std::string job;
        int x0, y0, x1, y1;      // device pixels that must be all ink
        int ex0, ey0, ex1, ey1;  // device pixels that must be blank
    };
    const std::vector<Case> cases = {
        {"dots", "\033*p300x300Y\033*c300a30b0P", px(303), 101, px(597), 109, px(303), 112, px(597),
         120},
        {"decipoints", "\033*p300x300Y\033*c720h72v0P", px(303), 101, px(597), 109, px(603), 101,
         px(650), 109},
        {"relative move", "\033*p300x300Y\033*p+300X\033*c30a30b0P", px(603), 101, px(627), 109,
         px(303), 101, px(597), 109},
        {"erased", "\033*p300x300Y\033*c300a30b0P\033*c150a30b1P", px(453), 101, px(597), 109,
         px(303), 101, px(447), 109},
        {"units of 600", "\033&u600D\033*p600x600Y\033*c600a60b0P", px(303), 101, px(597), 109,
         px(303), 112, px(597), 120},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + c.job);
        EXPECT_EQ(ink_in(r.device, c.x0, c.y0, c.x1, c.y1), (c.x1 - c.x0) * (c.y1 - c.y0))
            << c.name;
        EXPECT_EQ(ink_in(r.device, c.ex0, c.ey0, c.ex1, c.ey1), 0) << c.name;
        EXPECT_EQ(r.problems.count(), 0u) << c.name << r.problems.text();
    }
}

TEST(Render, VerticalPositionsCountFromTheTopMargin) {
    // A 10-pixel square rule; where its top edge lands on an A4 sheet at 100 dpi. The top
    // margin is half an inch after a reset and after any paper size or orientation
    // command, and &l#E lines of the VMI when set; a paper size command also puts the
    // cursor at the margin's first line (0.75 of the VMI below it).
    struct Case {
        const char* name;
        std::string job;
        int top;
    };
    const std::string rule = "\033*c30a30b0P";
    const std::vector<Case> cases = {
        {"after a reset", "\033*p300x300Y", 150},
        {"decipoints", "\033&a720V", 150},
        {"margin of 0", "\033&l0E\033*p300x300Y", 100},
        {"2 lines of 6 per inch", "\033&l2E\033*p300x300Y", 133},
        {"2 lines of 8 per inch", "\033&l8D\033&l2E\033&l6D\033*p300x300Y", 125},
        {"above the margin", "\033*p0Y\033*p-90Y", 20},
        {"paper size again", "\033&l0E\033&l26A\033*p300x300Y", 150},
        {"cursor after a paper size", "\033&l0E\033*p300x300Y\033&l26A", 62},
        {"same orientation again", "\033&l0E\033&l0O\033*p300x300Y", 100},
        {"orientation change", "\033&l0E\033&l1O\033&l0O\033*p300x300Y", 150},
        {"other paper size", "\033&l0E\033&l2A\033&l26A\033*p300x300Y", 150},
        {"relative moves", "\033&l2E\033*p300x0Y\033*p+300Y", 133},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, "\033E\033&l26A\033&u300D" + c.job + rule);
        int top = -1;
        for (int y = 0; y < r.device.height() && top < 0; ++y)
            if (ink_in(r.device, 0, y, r.device.width(), y + 1) > 0) top = y;
        EXPECT_NEAR(top, c.top, 1) << c.name;
    }
}

TEST(Render, TheDefaultPictureFrameHangsFromTheTopMargin) {
    // HP-GL/2 without a picture frame of its own: y counts up from the bottom of the text
    // length, half an inch above the sheet's foot below a top margin of half an inch.
    test::Rendered r(100);
    test::render_bytes(r,
                       "\033E\033&l26A\033%0BIN;SP1;PU600,600;PD;PR3000,0,0,1500,-3000,0,"
                       "0,-1500;\033%0A");
    EXPECT_GT(ink_in(r.device, px(300), 1057, px(600), 1063), 90);
    EXPECT_EQ(ink_in(r.device, 0, 1066, r.device.width(), r.device.height()), 0);
}

TEST(Render, TextSitsOnTheBaselineAtTheCursorAndLandscapeTurnsThePage) {
    test::Rendered portrait(100);
    test::render_bytes(portrait, kSetup + "\033(s0p10h0s0b4099T\033*p300x300YHHHH");
    // Capital H: ink above the baseline (y = 100 px), none below it.
    EXPECT_GT(ink_in(portrait.device, px(300), 92, px(420), 100), 40);
    EXPECT_EQ(ink_in(portrait.device, px(300), 102, px(420), 110), 0);
    EXPECT_EQ(ink_in(portrait.device, px(300) - 6, 92, px(300) - 1, 100), 0);

    test::Rendered landscape(100);
    test::render_bytes(landscape, "\033E\033&l26A\033&l1O\033&l0E\033&u300D\033*p300x300YHHHH");
    // Logical x runs up the sheet from its bottom-left corner, logical y to the right.
    const int sheet_h = landscape.device.height();
    const double left = 59.0 / 3;
    EXPECT_GT(ink_in(landscape.device, 92, sheet_h - static_cast<int>(left + 140), 100,
                     sheet_h - static_cast<int>(left + 100)),
              40);
    EXPECT_EQ(ink_in(portrait.device, 0, 0, 80, 80), 0);
}

TEST(Render, AResetSelectsPc8) {
    // 0xDB is a full block in PC-8, the symbol set a printer selects after a reset; in
    // Roman-8 it is a letter. Four blocks in a row ink most of their cells.
    test::Rendered r(100);
    test::render_bytes(r, kSetup + "\033*p300x300Y\xdb\xdb\xdb\xdb");
    EXPECT_GT(ink_in(r.device, px(300), 92, px(420), 100), 8 * 30);
}

TEST(Render, EveryRasterCompressionGivesTheSameImage) {
    // Two rows of 16 pixels at 100 dpi: F0 0F and 3C C3.
    const std::vector<std::pair<std::string, std::string>> encodings = {
        {"0", "\033*b0M\033*b2W\xf0\x0f\033*b2W\x3c\xc3"s},
        {"1 run length", "\033*b1M\033*b4W\x00\xf0\x00\x0f\033*b4W\x00\x3c\x00\xc3"s},
        {"2 packbits", "\033*b2M\033*b3W\x01\xf0\x0f\033*b3W\x01\x3c\xc3"s},
        {"3 delta row", "\033*b3M\033*b3W\x20\xf0\x0f\033*b3W\x20\x3c\xc3"s},
        {"5 adaptive", "\033*b5M\033*b11W\x00\x00\x02\xf0\x0f\x02\x00\x03\x01\x3c\xc3"s},
        {"9 replacement delta", "\033*b9M\033*b3W\x01\xf0\x0f\033*b3W\x01\x3c\xc3"s},
        {"mixed methods", "\033*b2M\033*b3W\x01\xf0\x0f\033*b3M\033*b3W\x20\x3c\xc3"s},
    };
    std::vector<std::vector<bool>> images;
    for (const auto& [name, rows] : encodings) {
        test::Rendered r(100);
        test::render_bytes(r,
                           kSetup + "\033*p300x300Y\033*t100R\033*r16S\033*r1A" + rows + "\033*rC");
        std::vector<bool> image;
        for (int y = 100; y < 102; ++y)
            for (int x = px(300) + 1; x < px(300) + 17; ++x) image.push_back(r.device.ink(x, y));
        images.push_back(image);
        EXPECT_EQ(r.problems.count(), 0u) << name << r.problems.text();
    }
    const std::vector<bool> expected = {1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1,
                                        0, 0, 1, 1, 1, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1};
    for (std::size_t i = 0; i < images.size(); ++i)
        EXPECT_EQ(images[i], expected) << encodings[i].first;
}

TEST(Render, PagesFollowFormFeedsCopiesAndResets) {
    struct Case {
        const char* name;
        std::string job;
        int pages;
    };
    const std::vector<Case> cases = {
        {"empty job", "", 1},
        {"two form feeds", "A\fB\f", 2},
        {"text after the last form feed", "A\fB", 2},
        {"blank form feed", "\f\f", 2},
        {"copies", "\033&l3XA\f", 3},
        {"reset ejects only a marked page", "\033EA\033E\033E", 1},
    };
    for (const Case& c : cases) {
        test::Rendered r(10);
        test::render_bytes(r, c.job);
        EXPECT_EQ(r.pages, c.pages) << c.name;
    }
}

TEST(Render, AFormFeedKeepsTheColumnAndOtherEjectsGoToTheLeftMargin) {
    // A rule at the cursor on the new page shows which column the cursor kept.
    struct Case {
        const char* name;
        std::string eject;
        int column;  // units
    };
    const std::vector<Case> cases = {
        {"form feed", "\f", 600},
        {"form feed inside a macro", "\033&f3y0X\f\033&f1X\033&f3y2X", 600},
        {"orientation change", "\033&l1O\033&l0O\033&l0E", 0},
        {"reset", "\033E\033&l26A\033&l0E\033&u300D", 0},
    };
    const std::string rule = "\033*c30a30b0P";
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + "\033*p600x300Y" + rule + c.eject + "\033*p300Y" + rule);
        EXPECT_EQ(r.pages, 2) << c.name;
        const int x0 = px(c.column + 3), x1 = px(c.column + 27);
        EXPECT_EQ(ink_in(r.device, x0, 101, x1, 109), (x1 - x0) * 8) << c.name;
    }
}

TEST(Render, AResetGoesBackToLetterPaper) {
    struct Case {
        const char* name;
        std::string job;
        int height;  // of the last page, pixels at 100 dpi
    };
    const std::vector<Case> cases = {
        {"A4", kSetup + "A", 1169},
        {"a reset after A4", kSetup + "A\033EB", 1100},
        {"A4 again after the reset", kSetup + "A\033E\033&l26AB", 1169},
        {"a reset at the start", "\033EA", 1100},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, c.job);
        EXPECT_EQ(r.device.height(), c.height) << c.name;
    }
}

TEST(Render, MacrosRunWhenExecutedAndAsOverlays) {
    const std::string rule = "\033*p300x300Y\033*c300a30b0P";
    test::Rendered executed(100);
    test::render_bytes(executed, kSetup + "\033&f7y0X" + rule + "\033&f1X\f\033&f7y2X");
    EXPECT_EQ(executed.pages, 2);
    EXPECT_GT(ink_in(executed.device, px(303), 101, px(597), 109), 0);

    test::Rendered defined_only(100);
    test::render_bytes(defined_only, kSetup + "\033&f7y0X" + rule + "\033&f1XA\f");
    EXPECT_EQ(ink_in(defined_only.device, px(303), 101, px(597), 109), 0);

    // A reset forgets temporary macros and keeps permanent ones.
    for (bool permanent : {false, true}) {
        test::Rendered reset(100);
        test::render_bytes(reset, kSetup + "\033&f7y0X" + rule + "\033&f1X" +
                                      (permanent ? "\033&f10X" : "") +
                                      "\033E\033&l26A\033&l0E\033&f7y2X");
        EXPECT_EQ(ink_in(reset.device, px(303), 101, px(597), 109) > 0, permanent);
        EXPECT_EQ(reset.problems.text().find("macro 7 is not defined") == std::string::npos,
                  permanent);
    }

    test::Rendered overlay(100);
    test::render_bytes(overlay, kSetup + "\033&f7y0X" + rule + "\033&f1X\033&f7y4XA\fB\f");
    EXPECT_EQ(overlay.pages, 2);
    EXPECT_GT(ink_in(overlay.device, px(303), 101, px(597), 109), 0);
}

TEST(Render, TextAfterAnExecutedOrCalledMacroFollowsWhatTheMacroPrinted) {
    // The macro prints two letters of 10 pitch (60 units); a rule at the cursor afterwards
    // starts where they end, whether the macro was executed (2) or called (3).
    for (const char* run : {"2", "3"}) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + "\033(s0p10h0s0b4099T\033&f5y0XAB\033&f1X\033*p300x300Y" +
                                  "\033&f5y" + run + "X\033*c30a30b0P");
        EXPECT_EQ(ink_in(r.device, px(363), 101, px(387), 109), (px(387) - px(363)) * 8) << run;
        EXPECT_EQ(ink_in(r.device, px(303), 101, px(357), 109), 0) << run;
    }
}

TEST(Render, ForegroundIndicesPastThePaletteWrapRoundIt) {
    // After a reset the palette holds white (0) and black (1).
    struct Case {
        const char* index;
        bool ink;
    };
    const std::vector<Case> cases = {
        {"0", false}, {"1", true}, {"2", false}, {"3", true}, {"8", false}};
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + "\033*v" + c.index + "S\033*p300x300Y\033*c300a30b0P");
        EXPECT_EQ(ink_in(r.device, px(303), 101, px(597), 109) > 0, c.ink) << c.index;
    }
}

TEST(Render, HpglRoundedBoxAndCentredLabel) {
    // The picture frame and scaling Morvel writes: one user unit is one dot, y downwards.
    const std::string frame =
        "\033*p0x0Y\033*c0T\033*c20000x20000Y\033%1BINSP1SC0,3.386667,0,-3.386667,"
        "2IR0,100,0,100PU0,0;\033%1A";
    const std::string box =
        "\033%1BPW0.28;PU300,360PM0;PDAA360,360,90PD840,300;AA840,360,90PD900,540;AA840,540,"
        "90PD360,600;AA360,540,90PD300,360;PM2;FT10,100;FP;EP;\033%1A";
    test::Rendered r(100);
    test::render_bytes(r, kSetup + frame + box);
    EXPECT_GT(ink_in(r.device, px(420), 120, px(780), 180), 5000);  // filled inside
    EXPECT_EQ(ink_in(r.device, px(300), 100, px(312), 104), 0);     // rounded corner
    EXPECT_EQ(r.problems.count(), 0u) << r.problems.text();

    test::Rendered label(100);
    test::render_bytes(label, kSetup + frame +
                                  "\033*p1200x600Y\033%1BSP1;SD1,277,2,1,4,24,5,0,6,0,7,4148;"
                                  "LO4;DI1,0;DT!,1;LBWWWW!;\033%0A");
    int left = ink_in(label.device, px(900), 180, px(1200), 200);
    int right = ink_in(label.device, px(1200), 180, px(1500), 200);
    EXPECT_GT(left, 50);
    EXPECT_NEAR(left, right, (left + right) / 8);
}

TEST(Render, BrokenInputRendersWhatItCanAndReportsEachProblemOnce) {
    struct Case {
        const char* name;
        std::string job;
        const char* message;  // nullptr: nothing to report
    };
    const std::vector<Case> cases = {
        {"truncated escape", "AB\033*p100", "escape sequence cut short"},
        {"undefined macro", "\033&f5y2X", "macro 5 is not defined"},
        {"macro calling itself", "\033&f1y0X\033&f1y2X\033&f1X\033&f1y2X",
         "macros nested too deeply"},
        {"unended macro", "\033&f1y0XAB", "macro definition not ended"},
        {"label without terminator", "\033%1BLBabc", "HP-GL/2 label without its terminator"},
        {"raster row too long", "\033*r8S\033*r1A\033*b4W\xff\xff\xff\xff"s,
         "raster row longer than the declared width"},
        {"data past the end", "\033*b99999999999W\xff", "command data cut short"},
        {"unknown command twice", "\033&z5Q\033&z5Q", "unknown command ESC&z#Q skipped"},
        {"huge and negative numbers",
         "\033*p99999999999x-99999999999Y\033*c99999999999a99999999999b0P\033&l-5O", nullptr},
        {"huge polygon mode (fuzz regression)", "\033%1BPM5555555555555555555;PD1e99,1;", nullptr},
        {"tiny pitches (fuzz regression: a leak in cairo)",
         "\033(s0.0001HAB\033%1BSD2,0,3,.0001;LBAB\003", nullptr},
        {"huge arc and circle", "\033%1BPD;AA1e15,-1e15,99999;CI1e15;", nullptr},
    };
    for (const Case& c : cases) {
        test::Rendered r(10);
        test::render_bytes(r, c.job);
        EXPECT_GE(r.pages, 1) << c.name;
        if (!c.message) continue;
        const std::string& text = r.problems.text();
        std::size_t at = text.find(c.message);
        EXPECT_NE(at, std::string::npos) << c.name << ": " << text;
        if (at != std::string::npos) {
            EXPECT_EQ(text.find(c.message, at + 1), std::string::npos) << c.name << ": " << text;
        }
        EXPECT_NE(text.find(" at byte "), std::string::npos) << c.name;
    }
}

}  // namespace
}  // namespace morvel
