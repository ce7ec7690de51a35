#pragma once
// Shared by the image tests: raster rows read back from printer output, bitmaps
// written as PCX files, and images decoded by an independent tool.
#include <cstdint>
#include <string>
#include <vector>

#include "test_support.h"

namespace morvel::test {

/// The rows of the first raster graphic in printer output, method 1 decoded, and the
/// width it announced; an empty list when none is found.
std::vector<std::vector<std::uint8_t>> raster_rows(const std::string& pcl, int* width = nullptr);

/// The raster rows as a bitmap of the given width.
Bitmap rows_to_bitmap(const std::vector<std::vector<std::uint8_t>>& rows, int width);

/// A PCX file of the bitmap: 1 bit (1 white) or 8 bits with a grey palette of
/// index i = (i, i, i) where black pixels get index 20 and white ones 230.
std::string make_pcx(const Bitmap& image, int bits);

/// Runs `convert file pbm:-` and reads the picture; false when convert fails.
bool decode_with_convert(const std::string& file, Bitmap& image);

/// Whether the named tool is installed.
bool have_tool(const std::string& name);

}  // namespace morvel::test
