#pragma once
// Test helper: renders the rectangle and raster commands our barcode encoders write into
// a bitmap, and decodes it with an independent reader (zbarimg or ZXingReader).
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "test_support.h"

namespace morvel::test {

/// One filled rectangle as written ("\e*c0P" after cursor and size commands).
struct Rect {
    int x, y, w, h;
    bool operator==(const Rect&) const = default;
};

/// The filled rectangles of a PCL byte stream, in output order.
std::vector<Rect> pcl_rects(std::string_view pcl);
/// Renders the rectangles and 300-dpi raster rows of pcl, with a white margin around them.
Bitmap render_pcl(std::string_view pcl, int margin = 40);
/// Decodes the one symbol in bm with zbarimg (or ZXingReader when zbarimg is missing);
/// absent when neither tool is installed, "" when nothing was decoded.
std::optional<std::string> decode_bitmap(const Bitmap& bm, const std::string& dir);

}  // namespace morvel::test
