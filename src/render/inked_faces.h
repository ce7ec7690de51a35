#pragma once
// Faces for drawing text on pixels as a printer's toner lays it: every glyph filled and
// outlined a little wider, so that thin strokes stay visible at low resolutions. Each glyph is drawn once per size and orientation and kept by cairo as a
// glyph image, so a page of text costs one composite per glyph.
#include <cairo.h>

#include <map>
#include <vector>

namespace morvel::render {

/// The width of the outline drawn round each glyph, in device pixels (half of it
/// outside the glyph's edge).
constexpr double kInkSpreadPixels = 0.2;

/// The inked twin of each face a job uses; one per render, released with it.
class InkedFaces {
  public:
    InkedFaces() = default;
    ~InkedFaces();
    InkedFaces(const InkedFaces&) = delete;
    InkedFaces& operator=(const InkedFaces&) = delete;
    /// The inked twin of `face` (owned here, valid while this object lives); its glyphs
    /// are those of `face` as `place` numbers them. nullptr when cairo could not make one.
    cairo_font_face_t* get(cairo_font_face_t* face);
    /// Turns glyphs of a face into glyphs of its inked twin drawn on `cr`: cairo sets glyph
    /// images on whole pixels, so each glyph goes to the whole pixel below and left of where
    /// it belongs and its image is drawn the rest of the way, in halves of a pixel.
    static void place(cairo_t* cr, std::vector<cairo_glyph_t>& glyphs);

  private:
    std::map<cairo_font_face_t*, cairo_font_face_t*> faces_;
};

}  // namespace morvel::render
