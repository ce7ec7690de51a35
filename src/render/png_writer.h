#pragma once
// Writes a page image as a PNG file with libpng at a fast compression setting: the
// pages of a preview are many and large, and their size on disk matters less than
// the time to write them.
#include <cairo.h>

#include <string>

namespace morvel::render {

/// Writes an RGB24 image surface to `path` (created or truncated), with its
/// resolution recorded; false with `error` set when the file could not be written
/// completely, through to its close.
bool write_png(cairo_surface_t* image, const std::string& path, double dpi, std::string& error);

}  // namespace morvel::render
