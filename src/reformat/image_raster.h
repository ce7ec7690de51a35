#pragma once
// Image rows turned into PCL raster graphics: the raster start and end sequences,
// monochrome conversion, shrinking, padding and compression method 1.
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace morvel {

struct Run;
class PclOut;

/// Bits of a form's flags (FORM(compression)).
inline constexpr long kFormCompress = 1;  ///< PCL compression method 1
inline constexpr long kFormCentreX = 16;
inline constexpr long kFormCentreY = 32;
inline constexpr long kFormFitWidth = 64;
inline constexpr long kFormInvert = 128;
inline constexpr long kFormColourSetup = 256;
inline constexpr long kFormColourSpace0 = 512;

/// The cursor position that means: print where the cursor stands.
inline constexpr int kAtCursor = -30000;

/// One form to print and the geometry worked out for it.
struct FormRequest {
    int x = 0;
    int y = 0;
    int resolution = 150;
    long flags = 0;
    int macro_number = -1;  ///< -1: printed on the page; otherwise defined as this macro
    int orientation = 0;
    bool colour = false;  ///< the program prints in colour
    int left_crop = 0;
    int rows_to_skip = 0;
    int output_width = 0;
    int image_height = 0;
};

/// Raster start for 1-bit rows: macro definition, orientation, margins, presentation,
/// colour push and palette, cursor, resolution, width, start and compression.
void write_mono_raster_start(Run& run, PclOut& out, const FormRequest& form);
/// Raster start for 8-bit colour rows with the image's palette (red, green, blue x 256).
void write_colour_raster_start(Run& run, PclOut& out, const FormRequest& form,
                               const std::array<std::uint8_t, 768>& palette, int image_width);
/// Raster end; with a macro number the macro is closed and made permanent.
void write_raster_end(PclOut& out, const FormRequest& form);

/// An 8-bit row of palette indices as printer bits: a pixel is black when its
/// luminance (30 red + 59 green + 11 blue) / 100 is below 128.
void convert_to_mono(std::span<const std::uint8_t> indices,
                     const std::array<std::uint8_t, 768>& palette, std::vector<std::uint8_t>& bits);

/// Shrinks a row of printer bits from in_width to out_width pixels: a target pixel is
/// black when more than half of the source area falling into it is black.
void shrink_row(std::span<const std::uint8_t> in, int in_width, int out_width,
                std::vector<std::uint8_t>& out, std::vector<int>& weights);

/// Cuts a row of printer bits to (width + 7) / 8 bytes, inverts it when asked, and
/// makes the bits past width white.
void finish_mono_row(std::vector<std::uint8_t>& bits, int width, bool invert);

/// PCL compression method 1: pairs (repeat - 1, byte) for runs of 1 to 256 equal bytes.
void compress_method1(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& coded);

/// Sends one raster row ("\e*b%dW" and the bytes), coded with method 1 when asked.
void send_raster_row(PclOut& out, std::span<const std::uint8_t> row, bool compress,
                     std::vector<std::uint8_t>& coded);

/// A 16 x 32 glyph (two bytes a row) as a raster block at the cursor, for the
/// human-readable digits of barcodes. The caller moves the cursor first.
void write_raster_glyph(PclOut& out, bool colour, std::span<const std::uint8_t, 64> glyph);

}  // namespace morvel
