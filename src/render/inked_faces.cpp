#include "render/inked_faces.h"

#include <cmath>

namespace morvel::render {

namespace {

// The face an inked face draws its glyphs from, kept as the inked face's user data.
const cairo_user_data_key_t kInner{};

// Glyph images are placed to half a pixel across and down: closer placing gave pages
// no nearer a printer's (measured on the reference pages), and costs more images.
constexpr unsigned long kSteps = 2;

cairo_font_face_t* inner_of(cairo_scaled_font_t* scaled) {
    return static_cast<cairo_font_face_t*>(
        cairo_font_face_get_user_data(cairo_scaled_font_get_font_face(scaled), &kInner));
}

// cairo calls these with `cr` in ems (one unit to the em, scaled to the device) and
// keeps what render_glyph draws as the glyph's image at that size.
cairo_status_t init_font(cairo_scaled_font_t* scaled, cairo_t* cr,
                         cairo_font_extents_t* extents) {
    cairo_set_font_face(cr, inner_of(scaled));
    cairo_font_extents(cr, extents);
    return cairo_status(cr);
}

cairo_status_t render_glyph(cairo_scaled_font_t* scaled, unsigned long index, cairo_t* cr,
                            cairo_text_extents_t* extents) {
    cairo_set_font_face(cr, inner_of(scaled));
    // The outline as the page's own surface would hint it (cairo draws this glyph on a
    // surface that does not hint unless told), and text in a pattern without smoothing.
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_scaled_font_get_font_options(scaled, options);
    if (cairo_font_options_get_hint_style(options) == CAIRO_HINT_STYLE_DEFAULT)
        cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_FULL);
    cairo_set_font_options(cr, options);
    if (cairo_font_options_get_antialias(options) == CAIRO_ANTIALIAS_NONE)
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_font_options_destroy(options);
    // The glyph index carries the part of a pixel the image is moved by (see place()).
    double dx = static_cast<double>(index % kSteps) / kSteps;
    double dy = static_cast<double>(index / kSteps % kSteps) / kSteps;
    cairo_device_to_user_distance(cr, &dx, &dy);
    const cairo_glyph_t glyph{index / (kSteps * kSteps), dx, dy};
    // Extents left empty: cairo takes them from what is drawn, the spread included.
    *extents = cairo_text_extents_t{};
    cairo_glyph_path(cr, &glyph, 1);
    cairo_fill_preserve(cr);
    double wx = kInkSpreadPixels, wy = 0;
    cairo_device_to_user_distance(cr, &wx, &wy);
    cairo_set_line_width(cr, std::hypot(wx, wy));
    cairo_stroke(cr);
    return cairo_status(cr);
}

}  // namespace

InkedFaces::~InkedFaces() {
    for (auto& [face, inked] : faces_)
        if (inked) cairo_font_face_destroy(inked);
}

cairo_font_face_t* InkedFaces::get(cairo_font_face_t* face) {
    auto found = faces_.find(face);
    if (found != faces_.end()) return found->second;
    cairo_font_face_t* inked = cairo_user_font_face_create();
    cairo_user_font_face_set_init_func(inked, init_font);
    cairo_user_font_face_set_render_glyph_func(inked, render_glyph);
    cairo_font_face_reference(face);
    if (cairo_font_face_set_user_data(inked, &kInner, face, [](void* f) {
            cairo_font_face_destroy(static_cast<cairo_font_face_t*>(f));
        }) != CAIRO_STATUS_SUCCESS ||
        cairo_font_face_status(inked) != CAIRO_STATUS_SUCCESS) {
        cairo_font_face_destroy(face);
        cairo_font_face_destroy(inked);
        inked = nullptr;
    }
    faces_[face] = inked;
    return inked;
}

void InkedFaces::place(cairo_t* cr, std::vector<cairo_glyph_t>& glyphs) {
    for (cairo_glyph_t& g : glyphs) {
        double x = g.x, y = g.y;
        cairo_user_to_device(cr, &x, &y);
        const double qx = std::round(x * kSteps), qy = std::round(y * kSteps);
        const double px = std::floor(qx / kSteps), py = std::floor(qy / kSteps);
        const auto fx = static_cast<unsigned long>(qx - px * kSteps);
        const auto fy = static_cast<unsigned long>(qy - py * kSteps);
        g.index = (g.index * kSteps + fy) * kSteps + fx;
        g.x = px;
        g.y = py;
        cairo_device_to_user(cr, &g.x, &g.y);
    }
}

}  // namespace morvel::render
