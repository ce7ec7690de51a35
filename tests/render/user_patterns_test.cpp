// Patterns a job downloads (ESC*c#W) and fills with: their dots, where they start, how
// long they are kept, and what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "render_support.h"

namespace morvel {
namespace {

// A pattern of `w` x `h` dots in `format` (0 and 20: one bit a dot; 1: a byte a dot) with
// the given row bytes; `extra` holds format 20's resolutions.
std::string pattern(int format, int w, int h, const std::string& rows,
                    const std::string& extra = "", int bits = 1) {
    std::string data{static_cast<char>(format), 0,
                     static_cast<char>(bits),   0,
                     static_cast<char>(h >> 8), static_cast<char>(h & 255),
                     static_cast<char>(w >> 8), static_cast<char>(w & 255)};
    data += extra + rows;
    return "\033*c" + std::to_string(data.size()) + "W" + data;
}

// 10100 / 01000 / 11111, each row in a byte of its own.
const std::string kSmall = pattern(0, 5, 3, "\xa0\x40\xf8");
const std::string kRule = "\033*c100a100b4P";

std::vector<std::string> dots(const test::Rendered& r, int x0, int y0, int w, int h) {
    std::vector<std::string> rows;
    for (int y = y0; y < y0 + h; ++y) {
        std::string row;
        for (int x = x0; x < x0 + w; ++x) row += r.device.ink(x, y) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

TEST(UserPatterns, DotsAreCountedFromThePageCornerAndKeptUntilDeleted) {
    // Each job fills a 100-dot rule with pattern 7 at (x, y); the expected rows are the
    // printer's dots (300 dpi) from (x, y), to the right of the logical page's 71 dots.
    struct Case {
        const char* name;
        std::string job;
        int x, y;
        std::vector<std::string> rows;
    };
    const std::string blank(10, '.');
    const std::vector<Case> cases = {
        {"at a multiple of its size",
         "\033*c7G" + kSmall + "\033*p300x300Y" + kRule,
         300,
         300,
         {"#.#..#.#..", ".#....#...", "##########"}},
        {"off the pattern's grid",
         "\033*c7G" + kSmall + "\033*p301x301Y" + kRule,
         301,
         301,
         {"#....#....", "##########", ".#..#.#..#"}},
        {"a pattern at 150 dpi",
         "\033*c7G" + pattern(20, 5, 3, "\xa0\x40\xf8", std::string("\0\x96\0\x96", 4)) +
             "\033*p300x300Y" + kRule,
         300,
         300,
         {"##..##....", "##..##....", "..##......"}},
        {"the current pattern (*c5P)",
         "\033*c7G" + kSmall + "\033*v4T\033*p300x300Y\033*c100a100b5P",
         300,
         300,
         {"#.#..#.#..", ".#....#...", "##########"}},
        {"an ID without a pattern",
         "\033*c7G" + kSmall + "\033*c8G\033*p300x300Y" + kRule,
         300,
         300,
         {blank, blank, blank}},
        {"deleted",
         "\033*c7G" + kSmall + "\033*c2Q\033*p300x300Y" + kRule,
         300,
         300,
         {blank, blank, blank}},
        {"dropped by a reset",
         "\033*c7G" + kSmall + test::kSetup + "\033*c7G\033*p300x300Y" + kRule,
         300,
         300,
         {blank, blank, blank}},
        {"permanent over a reset",
         "\033*c7G" + kSmall + "\033*c5Q" + test::kSetup + "\033*c7G\033*p300x300Y" + kRule,
         300,
         300,
         {"#.#..#.#..", ".#....#...", "##########"}},
        {"too large to keep",
         "\033*c7G" + pattern(0, 400, 400, std::string(50 * 400, '\xff')) + "\033*p300x300Y" +
             kRule,
         300,
         300,
         {blank, blank, blank}},
        {"cut short",
         "\033*c7G" + pattern(0, 5, 3, "\xa0\x40") + "\033*p300x300Y" + kRule,
         300,
         300,
         {blank, blank, blank}},
    };
    for (const Case& c : cases) {
        test::Rendered r(300);
        test::render_bytes(r, test::kSetup + c.job);
        EXPECT_EQ(dots(r, 71 + c.x, c.y, 10, 3), c.rows) << c.name;
    }
}

TEST(UserPatterns, AColourPatternTakesThePalettesColours) {
    // Simple RGB palette: 1 red, 2 green, 4 blue, 7 white (paper, left clear).
    test::Rendered r(300);
    test::render_bytes(r, test::kSetup + "\033*r3U\033*c9G" +
                              pattern(1, 4, 1, std::string("\x01\x02\x04\x07", 4), "", 8) +
                              "\033*p300x300Y" + kRule);
    const unsigned expected[] = {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFFFF};
    for (int x = 0; x < 8; ++x) EXPECT_EQ(r.device.pixel(371 + x, 310), expected[x % 4]) << x;
    EXPECT_EQ(r.problems.count(), 0u) << r.problems.text();
}

}  // namespace
}  // namespace morvel
