// Jobs as printer drivers and typesetters write them: PJL around PCL, raster rows
// placed by y-offsets and cursor moves, registration, symbol sets with symbols.
#include <gtest/gtest.h>

#include <algorithm>
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

std::string pjl(const std::string& language, const std::string& body) {
    return "\033%-12345X@PJL JOB NAME=\"t\"\r\n@PJL SET RESOLUTION=600\r\n@PJL ENTER LANGUAGE=" +
           language + "\r\n" + body + "\033%-12345X@PJL EOJ\r\n\033%-12345X";
}

TEST(DriverJobs, PjlIsReadNotPrinted) {
    struct Case {
        const char* name;
        std::string job;
        const char* message;  // nullptr: nothing reported
    };
    const std::string rule = kSetup + "\033*p300x300Y\033*c300a30b0P";
    const std::vector<Case> cases = {
        {"PCL inside PJL", pjl("PCL", rule), nullptr},
        {"PJL without ENTER", "\033%-12345X@PJL JOB\n@PJL SET COPIES=1\n" + rule, nullptr},
        {"another language skipped to the next exit",
         pjl("POSTSCRIPT", "%!PS\n/x 1 def showpage\n") + pjl("PCL", rule),
         "job language POSTSCRIPT is not drawn"},
        {"exit at the end of the job", rule + "\033%-12345X", nullptr},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, c.job);
        EXPECT_EQ(ink_in(r.device, px(303), 101, px(597), 109), 98 * 8) << c.name;
        // Nothing else on the page: PJL lines are not text.
        EXPECT_EQ(ink_in(r.device, 0, 0, r.device.width(), 95), 0) << c.name;
        const std::string& text = r.problems.text();
        if (c.message) {
            EXPECT_NE(text.find(c.message), std::string::npos) << c.name << ": " << text;
        } else {
            EXPECT_EQ(r.problems.count(), 0u) << c.name << ": " << text;
        }
    }
}

TEST(DriverJobs, RasterRowsGoWhereOffsetsAndMovesPutThem) {
    // 100 dpi raster, so a row is a device pixel; the first row is at y = 100.
    const std::string start = kSetup + "\033*p300x300Y\033*t100R\033*r1A";
    struct Case {
        const char* name;
        std::string rows;
        std::vector<int> inked_rows;  // device rows with ink in the first 16 pixels
    };
    const std::vector<Case> cases = {
        {"rows follow each other", "\033*b1W\xff\033*b1W\xff"s, {100, 101}},
        {"a y-offset skips rows", "\033*b1W\xff\033*b3Y\033*b1W\xff"s, {100, 104}},
        // The seed row is blank after a y-offset: the delta row changes byte 1 only.
        {"a y-offset clears the seed row",
         "\033*b3M\033*b2W\x00\xff\033*b2Y\033*b2W\x01\xff"s,
         {100, 103}},
        {"a cursor move places the next row", "\033*b1W\xff\033*p+30Y\033*b1W\xff"s, {100, 111}},
        {"rows past the height are not drawn",
         "\033*rB\033*r2T\033*r1A\033*b1W\xff\033*b1W\xff\033*b1W\xff"s,
         {100, 101}},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, start + c.rows + "\033*rB");
        std::vector<int> inked;
        for (int y = 95; y < 120; ++y)
            if (ink_in(r.device, px(300), y, px(300) + 16, y + 1) > 0) inked.push_back(y);
        EXPECT_EQ(inked, c.inked_rows) << c.name;
    }
}

TEST(DriverJobs, SeedRowClearedByOffsetLeavesFirstByteBlank) {
    test::Rendered r(100);
    test::render_bytes(r, kSetup +
                              "\033*p300x300Y\033*t100R\033*r1A\033*b3M\033*b2W\x00\xff"
                              "\033*b2Y\033*b2W\x01\xff\033*rB"s);
    // Row 103: byte 0 comes from the cleared seed (blank), byte 1 from the delta.
    EXPECT_EQ(ink_in(r.device, px(300), 103, px(300) + 8, 104), 0);
    EXPECT_EQ(ink_in(r.device, px(300) + 9, 103, px(300) + 16, 104), 7);
}

TEST(DriverJobs, RegistrationMovesThePageImage) {
    test::Rendered plain(100), moved(100);
    const std::string rule = "\033*p300x300Y\033*c300a30b0P";
    test::render_bytes(plain, kSetup + rule);
    // 720 decipoints is an inch to the left; 360 half an inch down.
    test::render_bytes(moved, kSetup + "\033&l-72u36Z" + rule);
    EXPECT_EQ(ink_in(plain.device, px(303), 101, px(597), 109), 98 * 8);
    EXPECT_EQ(ink_in(moved.device, px(303) - 10, 106, px(597) - 10, 114), 98 * 8);
    EXPECT_EQ(ink_in(moved.device, px(303), 101, px(597), 105), 0);
}

TEST(DriverJobs, ThePageStartsOnAWholeDotAndRasterTiesTakeTheLaterDot) {
    // The A4 logical page starts 23.67 pixels in at 100 dpi; a printer starts it on pixel
    // 24. A 600 dpi raster dot row then puts six dots on a pixel, whose centre lies on the
    // edge between dots 2 and 3: the pixel shows dot 3.
    struct Case {
        const char* name;
        std::string marks;
        int inked_column;  // the one column with ink, -1 for none
    };
    // Six rows of one byte: a whole pixel high.
    auto raster = [](const std::string& byte) {
        std::string rows = "\033*p0x300Y\033*t600R\033*r1A";
        for (int i = 0; i < 6; ++i) rows += "\033*b1W" + byte;
        return rows + "\033*rB";
    };
    const std::vector<Case> cases = {
        {"a one-dot rule at the left edge", "\033*p0x300Y\033*c1a30b0P", 24},
        {"raster dot 3 of a pixel", raster("\x10"), 24},
        {"raster dot 2 of a pixel", raster("\x20"), -1},
        {"raster dot 5 of a pixel", raster("\x04"), -1},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + c.marks);
        std::vector<int> inked;
        for (int x = 0; x < 40; ++x)
            if (ink_in(r.device, x, 95, x + 1, 115) > 0) inked.push_back(x);
        EXPECT_EQ(inked, c.inked_column < 0 ? std::vector<int>{} : std::vector<int>{c.inked_column})
            << c.name;
    }
}

// The rows of ink bands on the page and the leftmost ink of each.
std::vector<std::pair<int, int>> text_lines(const render::ImageDevice& d) {
    std::vector<std::pair<int, int>> lines;
    bool in_band = false;
    for (int y = 0; y < d.height(); ++y) {
        int left = -1;
        for (int x = 0; x < d.width() && left < 0; ++x)
            if (d.ink(x, y)) left = x;
        if (left >= 0 && !in_band) lines.push_back({y, left});
        if (left >= 0 && in_band) lines.back().second = std::min(lines.back().second, left);
        in_band = left >= 0;
    }
    return lines;
}

TEST(DriverJobs, CommandsThatChangeHowTextFollows) {
    // Each job prints two or more lines of capitals; the cases say how many lines come out,
    // whether the later lines start at the left margin, and how wide the first line is.
    struct Case {
        const char* name;
        std::string job;
        std::size_t lines;
        bool at_margin;  // later lines start where the first does
    };
    const std::string start = "\033E\033&l0E\033*p0x100Y";
    const std::vector<Case> cases = {
        {"LF alone stays in its column", start + "AAAA\nBBBB", 2, false},
        {"line termination 2: LF is CR LF", start + "\033&k2GAAAA\nBBBB", 2, true},
        {"line termination 1: CR is CR LF", start + "\033&k1GAAAA\rBBBB", 2, true},
        {"CR alone overprints", start + "AAAA\rBBBB", 1, true},
        {"a reset ends line termination", start + "\033&k3G\033E\033*p0x100YAAAA\rBBBB", 1, true},
        {"wrap at the right edge", start + "\033&s0C" + std::string(100, 'W'), 2, true},
        {"no wrap by default", start + std::string(100, 'W'), 1, true},
        {"print and raster quality change nothing",
         start + "\033(s2Q\033)s1Q\033*r2Q\033*o1QAAAA\r\nBBBB", 2, true},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, c.job);
        auto lines = text_lines(r.device);
        ASSERT_EQ(lines.size(), c.lines) << c.name;
        for (std::size_t i = 1; i < lines.size(); ++i)
            EXPECT_EQ(std::abs(lines[i].second - lines[0].second) < 3, c.at_margin) << c.name;
        // Only the line that runs off the page is reported.
        EXPECT_EQ(r.problems.count(), c.name == std::string("no wrap by default") ? 1u : 0u)
            << c.name << ": " << r.problems.text();
    }
    // Pitch mode sets the fixed font's pitch: 16.67 and 12 characters an inch.
    auto width = [](const std::string& mode) {
        test::Rendered r(100);
        test::render_bytes(r, "\033E\033*p0x100Y" + mode + std::string(50, 'H'));
        int left = r.device.width(), right = 0;
        for (int y = 0; y < r.device.height(); ++y)
            for (int x = 0; x < r.device.width(); ++x)
                if (r.device.ink(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
        return right - left;
    };
    const double ten = width("");
    EXPECT_NEAR(width("\033&k2S") / ten, 10 / 16.67, 0.03);
    EXPECT_NEAR(width("\033&k4S") / ten, 10 / 12.0, 0.03);
    EXPECT_NEAR(width("\033&k4S\033&k0S") / ten, 1, 0.01);
}

TEST(DriverJobs, SymbolsFromOtherFacesAndMissingCharactersReportedOnce) {
    struct Case {
        const char* name;
        std::string text;
        int ink;              // 1 ink expected, 0 none, -1 either
        const char* message;  // nullptr: nothing reported
    };
    const std::vector<Case> cases = {
        {"PC-8 control code prints its symbol", "\033(10U\x10", 1, nullptr},
        {"minus of the desktop set", "\033(7J\xc0", 1, nullptr},
        {"Greek from the math set", "\033(8Ma", 1, nullptr},
        {"arrow from the math set", "\033(8M\xa2", 1, nullptr},
        {"unassigned code", "\033(8M\"\"", 0, nullptr},
        {"control code of Latin-1 prints nothing", "\033(0N\x10", 0, nullptr},
        {"character no font has", "\033(15UAA", -1,
         "character U+225C of symbol set 15U is in none of the fonts"},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + "\033(s1p12v0s0b4101T\033*p300x300Y" + c.text);
        if (c.ink >= 0) {
            EXPECT_EQ(ink_in(r.device, px(300), 85, px(360), 103) > 0, c.ink == 1) << c.name;
        }
        const std::string& text = r.problems.text();
        if (!c.message) {
            EXPECT_EQ(r.problems.count(), 0u) << c.name << ": " << text;
            continue;
        }
        std::size_t at = text.find(c.message);
        EXPECT_NE(at, std::string::npos) << c.name << ": " << text;
        if (at != std::string::npos) {
            EXPECT_EQ(text.find(c.message, at + 1), std::string::npos) << c.name;
        }
    }
}

std::vector<bool> page_ink(const render::ImageDevice& d) {
    std::vector<bool> ink;
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x) ink.push_back(d.ink(x, y));
    return ink;
}

TEST(DriverJobs, HpglEncodedPolylinesAndBeziersDrawWhatLinesDraw) {
    struct Case {
        const char* name;
        std::string drawing;
        std::string same_as;  // the same drawing in plain pen moves
    };
    const std::vector<Case> cases = {
        // "<=" moves to an absolute pair pen up: 1000 is 2000 (sign bit 0) in base 64.
        {"encoded polyline", "PE<=O\xdeO\xdeG\xc2\xbf;", "PU1000,1000;PD1100,1000;"},
        {"encoded polyline, 7-bit", "PE7<=O]`O]`Ge_;", "PU1000,1000;PD1100,1000;"},
        {"Bezier on a straight line", "PU1000,1000;PD;BZ1100,1000,1200,1000,1300,1000;",
         "PU1000,1000;PD1300,1000;"},
        {"relative Bezier", "PU1000,1000;PD;BR100,0,200,0,300,0;", "PU1000,1000;PD1300,1000;"},
        {"unknown instruction skipped", "PU1000,1000;ZZ1,2,3;PD1300,1000;",
         "PU1000,1000;PD1300,1000;"},
    };
    for (const Case& c : cases) {
        test::Rendered got(100), want(100);
        test::render_bytes(got, kSetup + "\033%1BIN;SP1;PW1;" + c.drawing + "\033%0A");
        test::render_bytes(want, kSetup + "\033%1BIN;SP1;PW1;" + c.same_as + "\033%0A");
        std::vector<bool> a = page_ink(got.device), b = page_ink(want.device);
        // Curves are drawn as short lines, each stroked: their joins differ a little.
        long differ = 0;
        for (std::size_t i = 0; i < a.size(); ++i) differ += a[i] != b[i] ? 1 : 0;
        long ink = std::count(b.begin(), b.end(), true);
        EXPECT_GT(ink, 10) << c.name;
        EXPECT_LE(differ, ink / 5) << c.name;
    }
}

TEST(DriverJobs, HpglProblemsNameTheirOwnByte) {
    const std::string head = kSetup + "\033%1BIN;PU0,0;";
    test::Rendered r(10);
    test::render_bytes(r, head + "ZZ1;PD10,10;");
    EXPECT_NE(r.problems.text().find("unknown HP-GL/2 instruction ZZ skipped at byte " +
                                     std::to_string(head.size())),
              std::string::npos)
        << r.problems.text();
}

TEST(DriverJobs, PolygonModeStaysLinearAndBounded) {
    // 200,000 subpaths of one point each: bounded at the polygon limit, quickly.
    std::string job = kSetup + "\033%1BPM0;";
    for (int i = 0; i < 200000; ++i) job += "PU1,1;PD2,2;";
    job += "PM2;FP;\033%0A";
    test::Rendered r(10);
    test::render_bytes(r, job);
    EXPECT_EQ(r.pages, 1);
}

}  // namespace
}  // namespace morvel
