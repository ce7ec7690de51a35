#include "barcode/primitives.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>

#include "core/printer_out.h"
#include "reformat/image_raster.h"

namespace morvel {

namespace {

// A sign in a PCL cursor or size value means a relative move, and an unsigned wrap would
// throw the cursor off the page: a position left of or above the page edge is written as 0.
unsigned dots(int v) {
    return v < 0 ? 0u : static_cast<unsigned>(v);
}
int dots_signed(long v) {
    return v < 0 ? 0 : v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

constexpr std::array<int, 4> kFourStateTop = {0, 0, 22, 22};
constexpr std::array<int, 4> kFourStateLength = {61, 39, 39, 17};
constexpr int kFourStatePitch = 13;
constexpr int kFourStateWidth = 6;

}  // namespace

void move_cursor(PclOut& out, int x, int y) {
    out.printf("\033*p%04uX\033*p%04uY", dots(x), dots(y));
}

void draw_bar(PclOut& out, int x, int y, int width, int height) {
    // One command string per bar: a symbol has dozens of bars.
    out.printf("\033*p%04uX\033*p%04uY\033*c%04uA\033*c%04uB\033*c0P", dots(x), dots(y),
               dots(width), dots(height));
}

int draw_four_state_bars(PclOut& out, std::span<const std::uint8_t> bars, int x, int y) {
    long bar_left = x;
    for (std::uint8_t v : bars) {
        std::size_t k = v & 3u;
        out.printf("\033*p%dx%dY\033*c%da%dB\033*c0P", dots_signed(bar_left),
                   dots_signed(static_cast<long>(y) + kFourStateTop[k]), kFourStateWidth,
                   kFourStateLength[k]);
        bar_left += kFourStatePitch;
    }
    return 0;
}

void draw_digit_glyph(PclOut& out, int digit, int x, int y, bool colour) {
    move_cursor(out, x, y);
    // The raster block of a glyph is the form writer's: rows as two bytes, top first.
    std::array<std::uint8_t, 64> bytes{};
    std::size_t i = 0;
    for (std::uint16_t row : digit_glyph(digit)) {
        bytes[i++] = static_cast<std::uint8_t>(row >> 8);
        bytes[i++] = static_cast<std::uint8_t>(row & 0xFF);
    }
    write_raster_glyph(out, colour, bytes);
}

}  // namespace morvel
