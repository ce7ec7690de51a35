#pragma once
// The drawing primitives every barcode encoder draws with: PCL cursor moves, solid
// rectangles, the four-state bar command and the 16 x 32 digit glyph block.
#include <cstdint>
#include <span>

namespace morvel {

class PclOut;

/// The drawing cursor of one symbol: x advances as bars and spaces are laid down, y stays
/// at the top edge of the symbol.
struct BarPen {
    PclOut& out;
    int x = 0;
    int y = 0;
    bool colour = false;  ///< colour output: glyph blocks save and restore the cursor
};

/// "\e*p%04uX" then "\e*p%04uY"; a negative position is written as 0.
void move_cursor(PclOut& out, int x, int y);
/// move_cursor to (x, y), then a solid black width x height rectangle.
void draw_bar(PclOut& out, int x, int y, int width, int height);
/// One combined command per bar value (0 full, 1 ascender, 2 descender, 3 tracker), pitch
/// 13 dots from x. Returns 0.
int draw_four_state_bars(PclOut& out, std::span<const std::uint8_t> bars, int x, int y);
/// The 32 rows of 16 pixels of a digit (0..9), top row first, leftmost pixel in the high bit.
std::span<const std::uint16_t, 32> digit_glyph(int digit);
/// The digit's glyph as a raster block with its top left corner at (x, y).
void draw_digit_glyph(PclOut& out, int digit, int x, int y, bool colour);

}  // namespace morvel
