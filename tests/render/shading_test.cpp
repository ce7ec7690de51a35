// The printer's shading halftones at 100 dpi: which dots of a cell are inked, where the
// cells start and how they turn with the page.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "core/strfmt.h"
#include "render_support.h"

namespace morvel {
namespace {

struct ShadingCase {
    int paper;
    int orientation;
    int level;
    std::array<const char*, 8> cell;  ///< device pixels 320..327 of rows 320..327
};

// A shaded rule over the whole logical page; the cells are read well inside it.
TEST(Shading, HalftoneCellsAreCountedFromTheLogicalPageAndTurnWithIt) {
    const ShadingCase cases[] = {
        // Light shadings are lone dots, not blocks.
        {26,
         0,
         5,
         {"#.......", "........", "........", "........", "....#...", "........", "........",
          "........"}},
        {26,
         0,
         15,
         {"##......", "##......", "........", "........", "....##..", "....##..", "........",
          "........"}},
        {26,
         0,
         45,
         {"##.....#", "###.#.##", "##.....#", "#...#...", "...###..", "#.#####.", "...###..",
          "#...#..."}},
        // Letter's logical page starts 25 pixels in: its cells one pixel right of A4's.
        {2,
         0,
         15,
         {".##.....", ".##.....", "........", "........", ".....##.", ".....##.", "........",
          "........"}},
        // Landscape, reverse portrait and reverse landscape turn the cells with the page.
        {26,
         1,
         15,
         {"....##..", "........", "........", "##......", "##......", "........", "........",
          "....##.."}},
        {26,
         2,
         25,
         {".###....", "..#.....", "......#.", ".....###", ".....###", "......#.", "..#.....",
          ".###...."}},
        {26,
         3,
         70,
         {"...#####", "...#####", "###.###.", "####...#", "####...#", "####...#", "###.###.",
          "...#####"}},
        {2,
         1,
         90,
         {"#####.##", "########", "#.######", "...#####", "#.######", "########", "#####.##",
          "####...#"}},
    };
    for (const ShadingCase& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, strfmt("\033E\033&l%dA\033&l%dO\033&l0E\033&u300D\033*p0x0Y"
                                     "\033*c4000a4000b%dg2P\033E",
                                     c.paper, c.orientation, c.level));
        std::string got, want;
        for (int y = 0; y < 8; ++y) {
            for (int x = 0; x < 8; ++x) got += r.device.ink(320 + x, 320 + y) ? '#' : '.';
            got += '\n';
            want += std::string(c.cell[static_cast<std::size_t>(y)]) + '\n';
        }
        EXPECT_EQ(got, want) << "paper " << c.paper << " orientation " << c.orientation << " level "
                             << c.level;
    }
}

}  // namespace
}  // namespace morvel
