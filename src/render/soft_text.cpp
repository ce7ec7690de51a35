// Text in downloaded fonts: bitmap characters are drawn as images of dots, scalable
// ones join the text runs as glyphs of their own face.
#include <algorithm>

#include "core/strfmt.h"
#include "render/interpreter.h"

namespace morvel::render {

int Interpreter::current_soft_font() {
    if (!primary_by_id_) {
        // A downloaded font that has the attributes the job asks for prints before a
        // built-in one.
        SoftMatch& m = soft_match_;
        if (m.generation != soft_.generation() || m.pitch != pitch_ || m.height != height_ ||
            font_ < m.request || m.request < font_) {
            m = SoftMatch{soft_.generation(), font_, pitch_, height_};
            soft_primary_ = soft_.match(font_.symbol_set, font_.proportional, pitch_, height_,
                                        font_.style, font_.weight, font_.typeface);
        }
    }
    const int id = shifted_out_ ? soft_secondary_ : soft_primary_;
    if (id < 0) return -1;
    if (!soft_.find(id)) {
        // Deleted since it was chosen: the built-in font prints.
        (shifted_out_ ? soft_secondary_ : soft_primary_) = -1;
        return -1;
    }
    return id;
}

void Interpreter::select_soft_font(bool primary, int id, long long offset) {
    flush_text();
    const SoftFont* f = soft_.find(id);
    if (!f) {
        problems_.report(offset, strfmt("soft-font-id %d", id),
                         strfmt("font %d was not downloaded; the current font stays", id));
        return;
    }
    if (!primary) {
        soft_secondary_ = id;
        return;
    }
    soft_primary_ = id;
    primary_by_id_ = true;
    // The font's attributes become the current ones.
    font_.proportional = f->proportional;
    if (!f->scalable) {
        if (f->pitch_dots > 0) pitch_ = std::clamp(f->resolution / f->pitch_dots, 0.1, 999.0);
        if (f->height_dots > 0) height_ = std::clamp(f->point_size(), 0.1, 999.0);
    }
    hmi_override_ = -1;
    font_dirty_ = true;
}

void Interpreter::soft_font_data(bool header, const std::string& data, long long offset) {
    // A text run may hold glyphs of a face that the new data replaces.
    flush_text();
    std::string problem = header ? soft_.define_font(font_id_, data)
                                 : soft_.define_character(font_id_, char_code_, data);
    if (!problem.empty())
        problems_.report(offset, header ? "soft-font-header" : "soft-font-character", problem);
    else if (header && !primary_by_id_)
        font_dirty_ = true;  // the new font may serve the current attributes
}

bool Interpreter::soft_text_byte(int id, int byte, long long offset) {
    const SoftFont& f = *soft_.find(id);
    std::string problem;
    const SoftGlyph* found = soft_.glyph(id, static_cast<unsigned>(byte), problem);
    if (!problem.empty()) problems_.report(offset, "soft-font-character", problem);
    if (!found) {
        problems_.report(offset, strfmt("soft-font-glyph %d", id),
                         strfmt("font %d has no character for byte %d; a space is left", id, byte));
        flush_text();
        double advance = hmi();
        x_ += advance;
        last_advance_ = advance;
        return true;
    }
    const SoftGlyph& g = *found;
    if (f.scalable) {
        std::string error;
        cairo_font_face_t* face = soft_.face(id, error);
        if (!face) {
            problems_.report(
                offset, strfmt("soft-font-face %d", id),
                strfmt("font %d is printed in a built-in font: %s", id, error.c_str()));
            return false;
        }
        const double size = font_size_pt();
        if (!glyphs_.empty() && (face != run_face_ || size != run_size_)) flush_text();
        if (glyphs_.empty()) {
            run_size_ = size;
            run_face_ = face;
            run_x_scale_ = run_y_scale_ = 1;  // a downloaded font is drawn as it comes
            underline_start_ = x_;
        }
        glyphs_.push_back(cairo_glyph_t{g.glyph_id, x_, y_});
        if (byte >= 0x20 && byte < 0x7F) {
            utf8_ += static_cast<char>(byte);
            clusters_.push_back(cairo_text_cluster_t{1, 1});
        } else {
            utf8_ += "\xEF\xBF\xBD";
            clusters_.push_back(cairo_text_cluster_t{3, 1});
        }
        const double advance = (hmi_override_ >= 0 || !font_.proportional)
                                   ? hmi()
                                   : soft_.advance_em(id, g.glyph_id) * size;
        x_ += advance;
        last_advance_ = advance;
        if (glyphs_.size() >= 4096) flush_text();
        return true;
    }
    flush_text();
    const double scale = 72.0 / f.resolution;
    if (g.width > 0 && g.height > 0 && !(pattern_ == 1 && pattern_transparent_)) {
        const double x0 = x_ - g.left * scale, y0 = y_ - g.top * scale;
        check_on_page(x0, y0, x0 + g.width * scale, y0 + g.height * scale);
        cairo_t* cr = page();
        cairo_save(cr);
        if (pattern_ == 1)
            cairo_set_source_rgb(cr, 1, 1, 1);
        else
            set_fill_source(cr, pattern_, area_id_, foreground_);
        cairo_surface_t* image =
            cairo_image_surface_create_for_data(const_cast<unsigned char*>(g.bits.data()),
                                                CAIRO_FORMAT_A1, g.width, g.height, g.stride);
        // One image per character in a PDF, however often it is printed.
        auto* name = new std::string(
            strfmt("morvel-soft-glyph-%llu", static_cast<unsigned long long>(g.serial)));
        if (cairo_surface_set_mime_data(
                image, CAIRO_MIME_TYPE_UNIQUE_ID,
                reinterpret_cast<const unsigned char*>(name->data()), name->size(),
                [](void* p) { delete static_cast<std::string*>(p); }, name) != CAIRO_STATUS_SUCCESS)
            delete name;
        cairo_translate(cr, x0, y0);
        cairo_scale(cr, scale, scale);
        cairo_mask_surface(cr, image, 0, 0);
        cairo_surface_destroy(image);
        cairo_restore(cr);
    }
    const double advance = (hmi_override_ >= 0 || !f.proportional) ? hmi() : g.advance * scale;
    x_ += advance;
    last_advance_ = advance;
    return true;
}

}  // namespace morvel::render
