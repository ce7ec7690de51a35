// Text on pixels through the inked faces: glyph images placed where the glyphs belong and
// as dark as the glyph's outline filled and stroked in place.
#include "render/inked_faces.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "render/fonts.h"

namespace morvel {
namespace {

using render::InkedFaces;

TEST(RenderInkedFaces, GlyphsGoToTheWholePixelAndCarryTheRest) {
    struct Case {
        double x, y;          // device pixels (the context is not scaled)
        double to_x, to_y;    // the whole pixel the glyph goes to
        unsigned long index;  // glyph 3 with the half pixels across and down
    };
    const std::vector<Case> cases = {
        {10.0, 20.0, 10, 20, 3 * 4},
        {10.3, 20.0, 10, 20, 3 * 4 + 1},     // nearer the half than the whole
        {10.5, 20.5, 10, 20, 3 * 4 + 2 + 1},  // half across and down
        {10.8, 20.2, 11, 20, 3 * 4},         // rounds up to the next pixel
        {-0.6, -0.2, -1, 0, 3 * 4 + 1},      // left of the page
    };
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 4, 4);
    cairo_t* cr = cairo_create(surface);
    for (const Case& c : cases) {
        std::vector<cairo_glyph_t> glyphs{{3, c.x, c.y}};
        InkedFaces::place(cr, glyphs);
        EXPECT_EQ(glyphs[0].index, c.index) << c.x << "," << c.y;
        EXPECT_DOUBLE_EQ(glyphs[0].x, c.to_x) << c.x;
        EXPECT_DOUBLE_EQ(glyphs[0].y, c.to_y) << c.y;
    }
    // A scaled context places in device pixels and gives the position back in its units.
    cairo_scale(cr, 2, 2);
    std::vector<cairo_glyph_t> glyphs{{3, 5.3, 1.0}};
    InkedFaces::place(cr, glyphs);
    EXPECT_EQ(glyphs[0].index, 3u * 4 + 1);
    EXPECT_DOUBLE_EQ(glyphs[0].x, 5.0);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

/// The grey levels of a line of text drawn on a white A8 page at 100 dpi, either through
/// the inked face or as the glyphs' outlines filled and stroked where they stand.
std::vector<int> draw_line(cairo_font_face_t* face, const std::vector<unsigned>& glyph_ids,
                           double size, bool inked, InkedFaces& faces) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_A8, 400, 60);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, 100 / 72.0, 100 / 72.0);
    cairo_set_font_face(cr, face);
    cairo_set_font_size(cr, size);
    std::vector<cairo_glyph_t> glyphs;
    double x = 7.1;
    for (unsigned id : glyph_ids) {
        glyphs.push_back({id, x, 30.2});
        x += size * 0.55;
    }
    if (inked) {
        InkedFaces::place(cr, glyphs);
        cairo_set_font_face(cr, faces.get(face));
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
    } else {
        cairo_glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        cairo_fill_preserve(cr);
        double w = render::kInkSpreadPixels, ignored = 0;
        cairo_device_to_user_distance(cr, &w, &ignored);
        cairo_set_line_width(cr, w);
        cairo_stroke(cr);
    }
    cairo_surface_flush(surface);
    std::vector<int> levels;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < 60; ++y)
        for (int column = 0; column < 400; ++column) levels.push_back(data[y * stride + column]);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
    return levels;
}

TEST(RenderInkedFaces, GlyphImagesMatchTheOutlinesDrawnInPlace) {
    render::FontCache fonts;
    struct Case {
        bool proportional;
        long typeface;
        long weight;
        double size;
    };
    // Courier as Morvel's pages use it, a bold and a regular proportional face, small text.
    const std::vector<Case> cases = {
        {false, 4099, 0, 12}, {true, 4101, 3, 12}, {true, 4148, 0, 10}, {true, 4101, 0, 7}};
    for (const Case& c : cases) {
        render::FontRequest request;
        request.proportional = c.proportional;
        request.typeface = c.typeface;
        request.weight = c.weight;
        std::string error;
        const render::ActiveFont* font = fonts.get(request, error);
        if (!font) GTEST_SKIP() << error;
        std::vector<unsigned> ids;
        for (char ch : std::string("grep [OPTION] Hy|,_"))
            ids.push_back(font->glyph[static_cast<unsigned char>(ch)]);
        InkedFaces faces;
        const std::vector<int> inked = draw_line(font->face, ids, c.size, true, faces);
        const std::vector<int> outlined = draw_line(font->face, ids, c.size, false, faces);
        long ink_inked = 0, ink_outlined = 0, far_off = 0;
        for (std::size_t i = 0; i < inked.size(); ++i) {
            ink_inked += inked[i];
            ink_outlined += outlined[i];
            if (std::abs(inked[i] - outlined[i]) > 160) ++far_off;
        }
        const std::string label = std::to_string(c.typeface) + " " + std::to_string(c.size);
        ASSERT_GT(ink_outlined, 0) << label;
        // As dark in all (within a few per cent: the images sit to half a pixel), and no
        // part of a glyph missing or out of place.
        EXPECT_NEAR(static_cast<double>(ink_inked) / ink_outlined, 1.0, 0.04) << label;
        EXPECT_LT(far_off, 20) << label;
    }
}

}  // namespace
}  // namespace morvel
