// HP-GL/2 entered from PCL: the picture frame and scaling, pens, lines, arcs,
// polygons and their fills, and labels.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/strfmt.h"
#include "render/interpreter.h"
#include "render/params.h"

namespace morvel::render {

namespace {

constexpr double kPi = 3.14159265358979323846;

}  // namespace

void Interpreter::hpgl_default_frame() {
    // The logical page's width and its text length (half an inch less than the page
    // below the top margin), from the top margin down.
    frame_x_ = 0;
    frame_y_ = top_margin_;
    frame_w_ = logical_width();
    frame_h_ = std::max(logical_height() - top_margin_ - kDefaultTopMargin, 1.0);
    gl_.p1x = gl_.p1y = 0;
    gl_.p2x = frame_w_ / kPlu;
    gl_.p2y = frame_h_ / kPlu;
}

void Interpreter::frame_scaling_points() {
    gl_.p1x = gl_.p1y = 0;
    gl_.p2x = frame_w_ * 1016 / 72;
    gl_.p2y = frame_h_ * 1016 / 72;
}

void Interpreter::hpgl_reset() {
    Hpgl fresh;
    fresh.p1x = 0;
    fresh.p1y = 0;
    fresh.p2x = frame_w_ / kPlu;
    fresh.p2y = frame_h_ / kPlu;
    fresh.raster_fills = std::move(gl_.raster_fills);
    fresh.raster_fill_size = std::move(gl_.raster_fill_size);
    fresh.font.proportional = false;
    fresh.font.typeface = 4099;
    fresh.font_pitch = 10;
    fresh.font_height = 12;
    gl_ = std::move(fresh);
}

void Interpreter::user_to_plotter(double ux, double uy, double& px, double& py) const {
    if (!gl_.scaled) {
        px = ux;
        py = uy;
        return;
    }
    if (gl_.scale_type == 2) {
        px = gl_.p1x + (ux - gl_.sc[0]) * gl_.sc[1];
        py = gl_.p1y + (uy - gl_.sc[2]) * gl_.sc[3];
        return;
    }
    double dx = gl_.sc[1] - gl_.sc[0], dy = gl_.sc[3] - gl_.sc[2];
    double fx = dx != 0 ? (gl_.p2x - gl_.p1x) / dx : 1;
    double fy = dy != 0 ? (gl_.p2y - gl_.p1y) / dy : 1;
    if (gl_.scale_type == 1) fx = fy = std::min(std::fabs(fx), std::fabs(fy));
    px = gl_.p1x + (ux - gl_.sc[0]) * fx;
    py = gl_.p1y + (uy - gl_.sc[2]) * fy;
}

void Interpreter::plotter_to_user(double px, double py, double& ux, double& uy) const {
    if (!gl_.scaled) {
        ux = px;
        uy = py;
        return;
    }
    double fx, fy;
    if (gl_.scale_type == 2) {
        fx = gl_.sc[1];
        fy = gl_.sc[3];
    } else {
        double dx = gl_.sc[1] - gl_.sc[0], dy = gl_.sc[3] - gl_.sc[2];
        fx = dx != 0 ? (gl_.p2x - gl_.p1x) / dx : 1;
        fy = dy != 0 ? (gl_.p2y - gl_.p1y) / dy : 1;
        if (gl_.scale_type == 1) fx = fy = std::min(std::fabs(fx), std::fabs(fy));
    }
    ux = gl_.sc[0] + (fx != 0 ? (px - gl_.p1x) / fx : 0);
    uy = gl_.sc[2] + (fy != 0 ? (py - gl_.p1y) / fy : 0);
}

Point Interpreter::plotter_to_page(double x, double y) const {
    // RO turns the axes about the frame: the origin moves to another corner.
    const double w = frame_w_ / kPlu, h = frame_h_ / kPlu;
    double ux = x, uy = y;
    switch (gl_.rotation) {
        case 90:
            ux = w - y;
            uy = x;
            break;
        case 180:
            ux = w - x;
            uy = h - y;
            break;
        case 270:
            ux = y;
            uy = h - x;
            break;
        default:
            break;
    }
    return Point{frame_x_ + ux * kPlu, frame_y_ + frame_h_ - uy * kPlu};
}

void Interpreter::page_to_plotter(double px, double py, double& x, double& y) const {
    const double w = frame_w_ / kPlu, h = frame_h_ / kPlu;
    const double ux = (px - frame_x_) / kPlu, uy = (frame_y_ + frame_h_ - py) / kPlu;
    switch (gl_.rotation) {
        case 90:
            x = uy;
            y = w - ux;
            return;
        case 180:
            x = w - ux;
            y = h - uy;
            return;
        case 270:
            x = h - uy;
            y = ux;
            return;
        default:
            x = ux;
            y = uy;
    }
}

void Interpreter::rotated_frame(double& w, double& h) const {
    w = frame_w_ / kPlu;
    h = frame_h_ / kPlu;
    if (gl_.rotation == 90 || gl_.rotation == 270) std::swap(w, h);
}

Rgb Interpreter::pen_colour(int pen) const {
    if (palette_.size() <= 2) return pen == 0 ? Rgb{1, 1, 1} : Rgb{0, 0, 0};
    return palette_[static_cast<std::size_t>(pen) % palette_.size()];
}

double Interpreter::pen_width_pt() const {
    double mm = gl_.pen_width_mm[static_cast<std::size_t>(gl_.pen) % gl_.pen_width_mm.size()];
    return std::max(mm * 72 / 25.4, 0.24);
}

cairo_pattern_t* Interpreter::hpgl_fill_source(const Rgb& colour) {
    switch (gl_.fill_type) {
        case 3:
        case 4: {
            double angle = std::fmod(std::fabs(gl_.fill_b), 180.0);
            int id = gl_.fill_type == 4               ? (angle == 0 || angle == 90 ? 5 : 6)
                     : angle < 22.5 || angle >= 157.5 ? 1
                     : angle < 67.5                   ? 3
                     : angle < 112.5                  ? 2
                                                      : 4;
            return hatch_pattern(id, colour);
        }
        case 10:
            return shading_pattern(static_cast<int>(std::clamp(gl_.fill_a, 0.0, 100.0)), colour);
        case 22:
            // A pattern downloaded in PCL (ESC*c#W) by its ID.
            if (cairo_pattern_t* p = user_pattern(to_int(gl_.fill_a), colour)) return p;
            return cairo_pattern_create_rgb(colour.r, colour.g, colour.b);
        case 11: {
            int index = to_int(gl_.fill_a);
            auto it = gl_.raster_fills.find(index);
            if (it == gl_.raster_fills.end())
                return cairo_pattern_create_rgb(colour.r, colour.g, colour.b);
            auto [w, h] = gl_.raster_fill_size[index];
            // The cells take the colour of the pen that fills.
            cairo_surface_t* s = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
            cairo_surface_flush(s);
            unsigned char* data = cairo_image_surface_get_data(s);
            int stride = cairo_image_surface_get_stride(s);
            for (int y = 0; y < h; ++y) {
                auto* row = reinterpret_cast<std::uint32_t*>(data + y * stride);
                for (int x = 0; x < w; ++x) {
                    std::uint8_t cell = it->second[static_cast<std::size_t>(y * w + x)];
                    Rgb c = cell ? (cell == 1 ? colour : pen_colour(cell)) : Rgb{1, 1, 1};
                    bool clear = !cell && gl_.transparent;
                    auto ch = [](double v) {
                        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255 + 0.5);
                    };
                    row[x] = clear ? 0 : 0xFF000000u | ch(c.r) << 16 | ch(c.g) << 8 | ch(c.b);
                }
            }
            cairo_surface_mark_dirty(s);
            cairo_pattern_t* p = cairo_pattern_create_for_surface(s);
            cairo_surface_destroy(s);
            cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
            cairo_pattern_set_filter(p, CAIRO_FILTER_NEAREST);
            cairo_matrix_t m;
            cairo_matrix_init_scale(&m, 1 / 0.72, 1 / 0.72);
            cairo_pattern_set_matrix(p, &m);
            return p;
        }
        default:
            return cairo_pattern_create_rgb(colour.r, colour.g, colour.b);
    }
}

void Interpreter::hpgl_line_to(double px, double py) {
    if (gl_.polygon_mode) {
        if (gl_.polygon.empty()) {
            gl_.polygon.push_back({{gl_.pen_x, gl_.pen_y}});
            gl_.polygon_points = 1;
        }
        // The count is kept as points are added: counting the subpaths for every point
        // would make polygon mode quadratic.
        if (gl_.polygon_points < kMaxPolygonPoints) {
            if (gl_.pen_down) {
                gl_.polygon.back().push_back({px, py});
                ++gl_.polygon_points;
            } else if (gl_.polygon.back().size() <= 1) {
                gl_.polygon_points += 1 - gl_.polygon.back().size();
                gl_.polygon.back() = {{px, py}};
            } else {
                gl_.polygon.push_back({{px, py}});
                ++gl_.polygon_points;
            }
        }
    } else if (gl_.pen_down) {
        Rgb c = pen_colour(gl_.pen);
        if (!(c.white() && gl_.transparent)) {
            cairo_t* cr = page();
            Point a = plotter_to_page(gl_.pen_x, gl_.pen_y);
            Point b = plotter_to_page(px, py);
            cairo_save(cr);
            cairo_set_source_rgb(cr, c.r, c.g, c.b);
            cairo_set_line_width(cr, pen_width_pt());
            cairo_move_to(cr, a.x, a.y);
            if (a.x == b.x && a.y == b.y) {
                cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
                cairo_close_path(cr);
            } else {
                cairo_line_to(cr, b.x, b.y);
            }
            cairo_stroke(cr);
            cairo_restore(cr);
        }
    }
    gl_.pen_x = px;
    gl_.pen_y = py;
}

void Interpreter::hpgl_arc(double cx, double cy, double sweep, double chord) {
    double ux, uy;
    plotter_to_user(gl_.pen_x, gl_.pen_y, ux, uy);
    double r = std::hypot(ux - cx, uy - cy);
    double a0 = std::atan2(uy - cy, ux - cx);
    sweep = std::clamp(sweep, -360.0, 360.0);
    double step = chord > 0.5 && chord <= 180 ? chord : 5;
    int steps = std::max(1, static_cast<int>(std::ceil(std::fabs(sweep) / step)));
    for (int i = 1; i <= steps; ++i) {
        double a = a0 + sweep * kPi / 180 * i / steps;
        double px, py;
        user_to_plotter(cx + r * std::cos(a), cy + r * std::sin(a), px, py);
        hpgl_line_to(px, py);
    }
}

void Interpreter::hpgl_polygon_path(cairo_t* cr) {
    cairo_new_path(cr);
    for (const auto& sub : gl_.polygon) {
        if (sub.empty()) continue;
        Point p = plotter_to_page(sub[0].first, sub[0].second);
        cairo_move_to(cr, p.x, p.y);
        for (std::size_t i = 1; i < sub.size(); ++i) {
            p = plotter_to_page(sub[i].first, sub[i].second);
            cairo_line_to(cr, p.x, p.y);
        }
        cairo_close_path(cr);
    }
}

void Interpreter::hpgl_fill_polygon(bool even_odd) {
    Rgb c = pen_colour(gl_.pen);
    if (gl_.fill_type == 10 && gl_.fill_a <= 0) c = Rgb{1, 1, 1};
    if (c.white() && gl_.transparent) return;
    cairo_t* cr = page();
    if (gl_.fill_type == 3 || gl_.fill_type == 4) {
        cairo_save(cr);
        hpgl_polygon_path(cr);
        cairo_set_fill_rule(cr, even_odd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
        cairo_clip(cr);
        hpgl_hatch(cr, c);
        cairo_restore(cr);
        return;
    }
    cairo_pattern_t* source = hpgl_fill_source(c);
    if (!source) return;
    cairo_save(cr);
    hpgl_polygon_path(cr);
    cairo_set_fill_rule(cr, even_odd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_set_source(cr, source);
    if (gl_.fill_type == 10) layer_blend(cr, gl_.transparent);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_pattern_destroy(source);
}

void Interpreter::hpgl_edge_polygon() {
    Rgb c = pen_colour(gl_.pen);
    if (c.white() && gl_.transparent) return;
    cairo_t* cr = page();
    cairo_save(cr);
    hpgl_polygon_path(cr);
    cairo_set_source_rgb(cr, c.r, c.g, c.b);
    cairo_set_line_width(cr, pen_width_pt());
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_MITER);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void Interpreter::hpgl_rectangle(double x2, double y2, bool fill) {
    auto saved = std::move(gl_.polygon);
    gl_.polygon = {{{gl_.pen_x, gl_.pen_y}, {x2, gl_.pen_y}, {x2, y2}, {gl_.pen_x, y2}}};
    if (fill)
        hpgl_fill_polygon(true);
    else
        hpgl_edge_polygon();
    gl_.polygon = std::move(saved);
}

void Interpreter::hpgl_label(const std::string& text) {
    std::string error;
    FontRequest request = gl_.font;
    request.pitch = gl_.font_pitch;
    const ActiveFont* font = fonts_.get(request, error);
    if (!font) {
        problems_.report(offset_now_, "font " + error, error);
        return;
    }
    double size = gl_.font.proportional ? gl_.font_height : 120.0 / gl_.font_pitch;
    double pitch_advance = 72.0 / gl_.font_pitch;
    std::vector<cairo_glyph_t> glyphs;
    std::vector<cairo_text_cluster_t> clusters;
    std::string utf8;
    double x = 0, y = 0, width = 0;
    for (char ch : text) {
        auto b = static_cast<unsigned char>(ch);
        if (b == '\r') {
            x = 0;
            continue;
        }
        if (b == '\n') {
            y += size * 1.2;
            continue;
        }
        if (b < 0x20) continue;
        glyphs.push_back(cairo_glyph_t{font->glyph[b], x, y});
        char32_t c = font->character[b];
        std::size_t before = utf8.size();
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xE0 | ((c >> 12) & 0x0F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
        clusters.push_back(cairo_text_cluster_t{static_cast<int>(utf8.size() - before), 1});
        x += gl_.font.proportional ? font->advance[b] * size : pitch_advance;
        width = std::max(width, x);
    }
    int origin = gl_.label_origin > 10 ? gl_.label_origin - 10 : gl_.label_origin;
    origin = std::clamp(origin, 1, 9);
    double cap = size * 0.7;
    double dx = origin <= 3 ? 0 : origin <= 6 ? width / 2 : width;
    int row = (origin - 1) % 3;  // 0 bottom, 1 centre, 2 top
    double dy = row == 0 ? 0 : row == 1 ? cap / 2 : cap;
    double angle = std::atan2(gl_.dir_rise, gl_.dir_run) + gl_.rotation * kPi / 180;
    Point at = plotter_to_page(gl_.pen_x, gl_.pen_y);

    Rgb colour = pen_colour(gl_.pen);
    bool visible = !(colour.white() && gl_.transparent) && !glyphs.empty();
    if (visible) {
        cairo_t* cr = page();
        cairo_save(cr);
        cairo_translate(cr, at.x, at.y);
        cairo_rotate(cr, -angle);
        cairo_translate(cr, -dx, dy);
        cairo_pattern_t* source = hpgl_fill_source(colour);
        if (source) {
            cairo_set_source(cr, source);
            cairo_set_font_face(cr, font->face);
            cairo_set_font_size(cr, size);
            show_glyphs(cr, utf8, glyphs, clusters);
            cairo_pattern_destroy(source);
        }
        cairo_restore(cr);
    }
    // The pen ends where the next character would go.
    double ex = at.x + std::cos(-angle) * (x - dx) - std::sin(-angle) * (y + dy);
    double ey = at.y + std::sin(-angle) * (x - dx) + std::cos(-angle) * (y + dy);
    page_to_plotter(ex, ey, gl_.pen_x, gl_.pen_y);
}

void Interpreter::hpgl_run(Input& in, int mode, long long offset) {
    (void)offset;
    if (mode == 1 || mode == 3) {
        page_to_plotter(x_, y_, gl_.pen_x, gl_.pen_y);
    }
    for (;;) {
        int b = in.peek();
        if (b < 0 || b == 0x1b) break;
        in.get();
        if (!std::isalpha(b)) continue;  // separators and stray bytes between instructions
        // Problems name the instruction's own byte (in a macro: the call's).
        long long at = &in == top_input_ ? in.offset() - 1 : offset_now_;
        if (&in == top_input_) offset_now_ = at;
        int b2 = in.peek();
        if (b2 < 0 || !std::isalpha(b2)) {
            problems_.report(at, "hpgl-malformed", "malformed HP-GL/2 instruction skipped");
            continue;
        }
        in.get();
        hpgl_instruction(in, static_cast<char>(std::toupper(b)),
                         static_cast<char>(std::toupper(b2)), at);
    }
}

}  // namespace morvel::render
