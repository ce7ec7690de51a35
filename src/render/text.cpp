// Text at the cursor: characters are collected into runs of one font and drawn
// with cairo as real text (selectable in a PDF).
#include <cmath>

#include "core/strfmt.h"
#include "render/interpreter.h"

namespace morvel::render {

namespace {

void append_utf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

bool Interpreter::proportional_now() const {
    return font_.proportional || dingbat_set(font_.symbol_set);
}

double Interpreter::font_size_pt() const {
    return proportional_now() ? height_ : 120.0 / pitch_;
}

const ActiveFont* Interpreter::current_font() {
    if (font_dirty_) {
        std::string error;
        FontRequest request = font_;
        request.pitch = pitch_;
        active_ = fonts_.get(request, error);
        if (!active_) problems_.report(offset_now_, "font " + error, error);
        font_dirty_ = false;
    }
    return active_;
}

double Interpreter::hmi() const {
    if (hmi_override_ >= 0) return hmi_override_;
    // A fixed pitch advances by whole dots of 1/300 inch (half a dot up): 13 dots at 24
    // characters an inch, 18 at 17.
    if (!proportional_now()) return std::floor(300.0 / pitch_ + 0.5) * 72.0 / 300;
    if (active_) return active_->advance[' '] * font_size_pt();
    return font_size_pt() / 4;
}

void Interpreter::text_byte(int byte, long long offset) {
    if (raster_on_) raster_end();
    if (int soft = current_soft_font(); soft >= 0 && soft_text_byte(soft, byte, offset)) return;
    const ActiveFont* font = current_font();
    double size = font_size_pt();
    char32_t character = static_cast<char32_t>(byte);
    cairo_font_face_t* face = font ? font->face : nullptr;
    unsigned glyph = 0;
    double advance_em = 0.6;
    if (font && font->utf8 && byte >= 0x80) {
        // Collect a UTF-8 sequence; a malformed one stands for U+FFFD.
        if (byte >= 0xC0) {
            utf8_needed_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
            utf8_pending_ = static_cast<unsigned>(byte) & (0x3Fu >> utf8_needed_);
            return;
        }
        if (utf8_needed_ == 0) {
            character = 0xFFFD;
        } else {
            utf8_pending_ = utf8_pending_ << 6 | (static_cast<unsigned>(byte) & 0x3F);
            if (--utf8_needed_ > 0) return;
            character = utf8_pending_ > 0x10FFFF ? 0xFFFD : utf8_pending_;
        }
        glyph = font->glyph_of(character, advance_em);
    } else if (font) {
        utf8_needed_ = 0;
        auto b = static_cast<std::size_t>(byte);
        character = font->character[b];
        glyph = font->glyph[b];
        advance_em = font->advance[b];
        if (font->face_of[b]) face = font->face_of[b];
        if (font->missing[b])
            problems_.report(offset, strfmt("glyph U+%04X", static_cast<unsigned>(character)),
                             strfmt("character U+%04X of symbol set %s is in none of the fonts",
                                    static_cast<unsigned>(character), font_.symbol_set.c_str()));
    }
    double advance = (hmi_override_ >= 0 || !proportional_now()) ? hmi() : advance_em * size;
    // With end-of-line wrap a character that would pass the right edge starts a new line.
    if (wrap_ && x_ > left_margin_ && x_ + advance > logical_width() + 1e-6) {
        flush_text();
        x_ = left_margin_;
        y_ += vmi_;
    }
    if (font) {
        // A glyph from another face starts a run of its own.
        if (!glyphs_.empty() && face != run_face_) flush_text();
        if (glyphs_.empty()) {
            run_size_ = size;
            run_face_ = face;
            run_x_scale_ = font->x_scale;
            run_y_scale_ = font->y_scale;
            underline_start_ = x_;
        }
        glyphs_.push_back(cairo_glyph_t{glyph, x_, y_});
        std::size_t before = utf8_.size();
        append_utf8(utf8_, character < 0x20 || character == 0xFFFE ? U'\uFFFD' : character);
        clusters_.push_back(cairo_text_cluster_t{static_cast<int>(utf8_.size() - before), 1});
    }
    x_ += advance;
    last_advance_ = advance;
    if (glyphs_.size() >= 4096) flush_text();
}

void Interpreter::show_glyphs(cairo_t* cr, const std::string& utf8,
                              const std::vector<cairo_glyph_t>& glyphs,
                              const std::vector<cairo_text_cluster_t>& clusters) {
    // Large characters are filled as outlines, not kept as glyph images.
    const double pixels = device_.pixels_per_point() * run_size_;
    const bool large = pixels > 200;
    if (device_.pixels_per_point() == 0) {
        cairo_show_text_glyphs(cr, utf8.data(), static_cast<int>(utf8.size()), glyphs.data(),
                               static_cast<int>(glyphs.size()), clusters.data(),
                               static_cast<int>(clusters.size()), cairo_text_cluster_flags_t{});
        return;
    }
    if (large) {
        cairo_glyph_path(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        cairo_fill(cr);
        return;
    }
    // On pixels a printer's toner spreads: the inked face draws each glyph once per size
    // with its strokes a little wider, and cairo keeps the image.
    cairo_font_face_t* inked = inked_.get(cairo_get_font_face(cr));
    if (!inked) {
        cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
        return;
    }
    std::vector<cairo_glyph_t> placed = glyphs;
    InkedFaces::place(cr, placed);
    cairo_set_font_face(cr, inked);
    cairo_show_glyphs(cr, placed.data(), static_cast<int>(placed.size()));
}

void Interpreter::flush_text() {
    if (glyphs_.empty()) return;
    cairo_t* cr = page();
    bool draw = true;
    cairo_save(cr);
    if (pattern_ == 1) {
        draw = !pattern_transparent_;
        cairo_set_source_rgb(cr, 1, 1, 1);
    } else {
        set_fill_source(cr, pattern_, area_id_, foreground_);
    }
    if (draw && run_face_) {
        check_on_page(glyphs_.front().x, glyphs_.front().y - run_size_ * 0.5, x_,
                      glyphs_.back().y + run_size_ * 0.2);
        cairo_set_font_face(cr, run_face_);
        // No character is drawn larger than twice the sheet: bigger ones could not be
        // seen whole, and their outlines take the rasteriser long and fill its caches.
        const double largest = 2 * std::max(paper_w_, paper_h_);
        if (run_size_ > largest)
            problems_.report(
                offset_now_, "huge text",
                strfmt("text of %.0f points is drawn at %.0f points", run_size_, largest));
        const double drawn = std::min(run_size_, largest);
        cairo_matrix_t matrix;
        cairo_matrix_init_scale(&matrix, drawn * run_x_scale_, drawn * run_y_scale_);
        cairo_set_font_matrix(cr, &matrix);
        show_glyphs(cr, utf8_, glyphs_, clusters_);
        if (underline_) {
            double thickness = 3 * 0.24;
            cairo_rectangle(cr, underline_start_, glyphs_.back().y + 5 * 0.24,
                            x_ - underline_start_, thickness);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
    glyphs_.clear();
    clusters_.clear();
    utf8_.clear();
}

}  // namespace morvel::render
