// HP-GL/2 entered from PCL: the picture frame and scaling, pens, lines, arcs,
// polygons and their fills, and labels.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/strfmt.h"
#include "render/interpreter.h"

namespace morvel::render {

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kPlu = 72.0 / 1016;  // points per plotter unit
constexpr std::size_t kMaxPolygonPoints = 1 << 16;
constexpr std::size_t kMaxLabel = 1 << 16;

// Parameters are bounded before they become integers: any number may arrive.
int to_int(double v) {
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

bool is_number_start(int b) {
    return (b >= '0' && b <= '9') || b == '-' || b == '+' || b == '.';
}

// Skips blanks and commas; reads one number when one follows.
bool next_number(Input& in, double& value) {
    int b = in.peek();
    while (b == ' ' || b == ',' || b == '\t' || b == '\r' || b == '\n') {
        in.get();
        b = in.peek();
    }
    if (!is_number_start(b)) return false;
    bool negative = false;
    if (b == '-' || b == '+') {
        negative = b == '-';
        in.get();
        b = in.peek();
    }
    double v = 0, scale = 0;
    int digits = 0;
    while ((b >= '0' && b <= '9') || b == '.') {
        in.get();
        if (b == '.') {
            if (scale == 0) scale = 1;
        } else if (scale == 0) {
            if (v < 1e15) v = v * 10 + (b - '0');
        } else if (scale < 1e15) {
            scale *= 10;
            v += (b - '0') / scale;
        }
        ++digits;
        b = in.peek();
    }
    value = negative ? -v : v;
    if (!std::isfinite(value)) value = 0;
    return true;
}

void end_instruction(Input& in) {
    int b = in.peek();
    while (b == ' ' || b == '\t' || b == '\r' || b == '\n') {
        in.get();
        b = in.peek();
    }
    if (b == ';') in.get();
}

// Everything up to the next instruction: used for instructions that are not drawn.
void skip_parameters(Input& in) {
    for (int b = in.peek(); b >= 0 && b != 0x1b && !std::isalpha(b); b = in.peek()) {
        in.get();
        if (b == ';') return;
    }
}

}  // namespace

void Interpreter::hpgl_default_frame() {
    frame_x_ = 0;
    frame_y_ = 0;
    frame_w_ = logical_width();
    frame_h_ = logical_height();
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
    return Point{frame_x_ + x * kPlu, frame_y_ + frame_h_ - y * kPlu};
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
        case 11: {
            int index = to_int(gl_.fill_a);
            auto it = gl_.raster_fills.find(index);
            if (it == gl_.raster_fills.end())
                return cairo_pattern_create_rgb(colour.r, colour.g, colour.b);
            auto [w, h] = gl_.raster_fill_size[index];
            std::vector<std::string> rows(static_cast<std::size_t>(h),
                                          std::string(static_cast<std::size_t>(w), '.'));
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (it->second[static_cast<std::size_t>(y * w + x)])
                        rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = '#';
            std::vector<const char*> pointers;
            for (const auto& r : rows) pointers.push_back(r.c_str());
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
        if (gl_.polygon.empty()) gl_.polygon.push_back({{gl_.pen_x, gl_.pen_y}});
        std::size_t total = 0;
        for (const auto& s : gl_.polygon) total += s.size();
        if (total < kMaxPolygonPoints) {
            if (gl_.pen_down)
                gl_.polygon.back().push_back({px, py});
            else if (gl_.polygon.back().size() <= 1)
                gl_.polygon.back() = {{px, py}};
            else
                gl_.polygon.push_back({{px, py}});
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
    cairo_pattern_t* source = hpgl_fill_source(c);
    if (!source) return;
    cairo_save(cr);
    hpgl_polygon_path(cr);
    cairo_set_fill_rule(cr, even_odd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
    cairo_set_source(cr, source);
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
    const ActiveFont* font = fonts_.get(gl_.font, error);
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
    double angle = std::atan2(gl_.dir_rise, gl_.dir_run);
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
    gl_.pen_x = (ex - frame_x_) / kPlu;
    gl_.pen_y = (frame_y_ + frame_h_ - ey) / kPlu;
}

void Interpreter::hpgl_run(Input& in, int mode, long long offset) {
    (void)offset;
    if (mode == 1 || mode == 3) {
        gl_.pen_x = (x_ - frame_x_) / kPlu;
        gl_.pen_y = (frame_y_ + frame_h_ - y_) / kPlu;
    }
    for (;;) {
        int b = in.peek();
        if (b < 0 || b == 0x1b) break;
        in.get();
        if (!std::isalpha(b)) continue;  // separators and stray bytes between instructions
        long long at = offset_now_;
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

bool Interpreter::hpgl_instruction(Input& in, char a, char b, long long offset) {
    double v = 0;
    std::vector<double> p;
    auto numbers = [&](std::size_t max) {
        p.clear();
        while (p.size() < max && next_number(in, v)) p.push_back(v);
        end_instruction(in);
    };
    auto moves = [&](bool down_change, bool down) {
        if (down_change) gl_.pen_down = down;
        double x, y;
        bool any = false;
        while (next_number(in, x) && next_number(in, y)) {
            any = true;
            double ux, uy;
            if (gl_.relative) {
                plotter_to_user(gl_.pen_x, gl_.pen_y, ux, uy);
                ux += x;
                uy += y;
            } else {
                ux = x;
                uy = y;
            }
            double px, py;
            user_to_plotter(ux, uy, px, py);
            hpgl_line_to(px, py);
        }
        (void)any;
        end_instruction(in);
    };
    const int code = a << 8 | b;
    auto is = [&](const char* m) { return code == (m[0] << 8 | m[1]); };
    if (is("PU")) return moves(true, false), true;
    if (is("PD")) return moves(true, true), true;
    if (is("PA")) return gl_.relative = false, moves(false, false), true;
    if (is("PR")) return gl_.relative = true, moves(false, false), true;
    if (is("IN")) {
        end_instruction(in);
        hpgl_reset();
        return true;
    }
    if (is("DF")) {
        end_instruction(in);
        gl_.fill_type = 1;
        gl_.transparent = true;
        gl_.label_origin = 1;
        gl_.dir_run = 1;
        gl_.dir_rise = 0;
        gl_.terminator = 3;
        gl_.scaled = false;
        gl_.polygon_mode = false;
        return true;
    }
    if (is("SP")) {
        numbers(1);
        gl_.pen = p.empty() ? 0 : static_cast<int>(std::clamp(p[0], 0.0, 255.0));
        return true;
    }
    if (is("PW")) {
        numbers(2);
        double w = p.empty() ? 0.35 : std::clamp(p[0], 0.0, 100.0);
        if (p.size() >= 2)
            gl_.pen_width_mm[static_cast<std::size_t>(std::clamp(p[1], 0.0, 255.0))] = w;
        else
            std::fill(gl_.pen_width_mm.begin(), gl_.pen_width_mm.end(), w);
        return true;
    }
    if (is("SC")) {
        numbers(5);
        if (p.size() < 4) {
            gl_.scaled = false;
            return true;
        }
        gl_.scaled = true;
        for (int i = 0; i < 4; ++i) gl_.sc[i] = p[static_cast<std::size_t>(i)];
        gl_.scale_type = p.size() >= 5 ? static_cast<int>(std::clamp(p[4], 0.0, 2.0)) : 0;
        return true;
    }
    if (is("IP") || is("IR")) {
        numbers(4);
        double fw = frame_w_ / kPlu, fh = frame_h_ / kPlu;
        double k = is("IR") ? 0.01 : 0;
        if (p.empty()) {
            gl_.p1x = gl_.p1y = 0;
            gl_.p2x = fw;
            gl_.p2y = fh;
            return true;
        }
        double nx = k ? p[0] * k * fw : p[0];
        double ny = p.size() > 1 ? (k ? p[1] * k * fh : p[1]) : gl_.p1y;
        double dx = gl_.p2x - gl_.p1x, dy = gl_.p2y - gl_.p1y;
        gl_.p1x = nx;
        gl_.p1y = ny;
        if (p.size() >= 4) {
            gl_.p2x = k ? p[2] * k * fw : p[2];
            gl_.p2y = k ? p[3] * k * fh : p[3];
        } else {
            gl_.p2x = nx + dx;
            gl_.p2y = ny + dy;
        }
        return true;
    }
    if (is("AA") || is("AR")) {
        numbers(4);
        if (p.size() < 3) return true;
        double cx = p[0], cy = p[1];
        if (is("AR")) {
            double ux, uy;
            plotter_to_user(gl_.pen_x, gl_.pen_y, ux, uy);
            cx += ux;
            cy += uy;
        }
        hpgl_arc(cx, cy, p[2], p.size() > 3 ? p[3] : 5);
        return true;
    }
    if (is("CI")) {
        numbers(2);
        if (p.empty()) return true;
        double r = std::fabs(p[0]);
        double ux, uy;
        plotter_to_user(gl_.pen_x, gl_.pen_y, ux, uy);
        double cx_p = gl_.pen_x, cy_p = gl_.pen_y;
        bool was_down = gl_.pen_down;
        auto saved_polygon = gl_.polygon;
        double sx, sy;
        user_to_plotter(ux + r, uy, sx, sy);
        if (gl_.polygon_mode) {
            gl_.pen_down = false;
            hpgl_line_to(sx, sy);
        } else {
            gl_.pen_x = sx;
            gl_.pen_y = sy;
        }
        gl_.pen_down = true;
        hpgl_arc(ux, uy, 360, 5);
        gl_.pen_down = was_down;
        gl_.pen_x = cx_p;
        gl_.pen_y = cy_p;
        return true;
    }
    if (is("EA") || is("ER") || is("RA") || is("RR")) {
        numbers(2);
        if (p.size() < 2) return true;
        double ux, uy;
        plotter_to_user(gl_.pen_x, gl_.pen_y, ux, uy);
        double tx = p[0], ty = p[1];
        if (b == 'R') {
            tx += ux;
            ty += uy;
        }
        double px, py;
        user_to_plotter(tx, ty, px, py);
        hpgl_rectangle(px, py, a == 'R');
        return true;
    }
    if (is("PM")) {
        numbers(1);
        int m = p.empty() ? 0 : to_int(p[0]);
        if (m == 0) {
            gl_.polygon_mode = true;
            gl_.polygon.clear();
            gl_.polygon.push_back({{gl_.pen_x, gl_.pen_y}});
        } else if (gl_.polygon_mode) {
            if (m == 2)
                gl_.polygon_mode = false;
            else
                gl_.polygon.push_back({{gl_.pen_x, gl_.pen_y}});
        }
        return true;
    }
    if (is("FP")) {
        numbers(1);
        hpgl_fill_polygon(p.empty() || p[0] == 0);
        return true;
    }
    if (is("EP")) {
        end_instruction(in);
        hpgl_edge_polygon();
        return true;
    }
    if (is("FT")) {
        numbers(3);
        gl_.fill_type = p.empty() ? 1 : static_cast<int>(std::clamp(p[0], 0.0, 100.0));
        if (p.size() > 1)
            gl_.fill_a = p[1];
        else if (gl_.fill_type == 10)
            gl_.fill_a = 100;
        if (p.size() > 2) gl_.fill_b = p[2];
        return true;
    }
    if (is("RF")) {
        numbers(3);
        if (p.size() < 3) return true;
        int index = static_cast<int>(std::clamp(p[0], 0.0, 8.0));
        int w = static_cast<int>(std::clamp(p[1], 0.0, 64.0));
        int h = static_cast<int>(std::clamp(p[2], 0.0, 64.0));
        // The cells follow the three leading numbers; numbers() stopped at three.
        std::vector<std::uint8_t> cells;
        double cell = 0;
        while (next_number(in, cell))
            if (cells.size() < static_cast<std::size_t>(w * h))
                cells.push_back(static_cast<std::uint8_t>(std::clamp(cell, 0.0, 255.0)));
        end_instruction(in);
        if (w == 0 || h == 0) return true;
        cells.resize(static_cast<std::size_t>(w * h), 0);
        gl_.raster_fills[index] = std::move(cells);
        gl_.raster_fill_size[index] = {w, h};
        return true;
    }
    if (is("TR")) {
        numbers(1);
        gl_.transparent = p.empty() || p[0] != 0;
        return true;
    }
    if (is("LO")) {
        numbers(1);
        gl_.label_origin = p.empty() ? 1 : static_cast<int>(std::clamp(p[0], 1.0, 21.0));
        return true;
    }
    if (is("DI") || is("DR")) {
        numbers(2);
        if (p.size() >= 2 && (p[0] != 0 || p[1] != 0)) {
            gl_.dir_run = p[0];
            gl_.dir_rise = p[1];
        } else {
            gl_.dir_run = 1;
            gl_.dir_rise = 0;
        }
        return true;
    }
    if (is("SD") || is("AD")) {
        numbers(20);
        if (is("AD")) return true;
        for (std::size_t i = 0; i + 1 < p.size(); i += 2) {
            double value = p[i + 1];
            switch (to_int(p[i])) {
                case 1: {
                    long set = static_cast<long>(std::clamp(value, 0.0, 1e7));
                    gl_.font.symbol_set =
                        std::to_string(set / 32) + static_cast<char>(set % 32 + 64);
                    break;
                }
                case 2:
                    gl_.font.proportional = value != 0;
                    break;
                case 3:
                    if (value >= 0.1 && value < 1000) gl_.font_pitch = value;
                    break;
                case 4:
                    if (value > 0 && value < 1000) gl_.font_height = value;
                    break;
                case 5:
                    gl_.font.style = static_cast<long>(std::clamp(value, 0.0, 1e4));
                    break;
                case 6:
                    gl_.font.weight = static_cast<long>(std::clamp(value, -7.0, 7.0));
                    break;
                case 7:
                    gl_.font.typeface = static_cast<long>(std::clamp(value, 0.0, 1e6));
                    break;
                default:
                    break;
            }
        }
        return true;
    }
    if (is("DT")) {
        int t = in.peek();
        if (t >= 0 && t != ';' && t != 0x1b) {
            in.get();
            gl_.terminator = static_cast<char>(t);
        } else {
            gl_.terminator = 3;
        }
        numbers(1);
        gl_.terminator_printed = !p.empty() && p[0] == 0;
        return true;
    }
    if (is("LB")) {
        std::string text;
        for (;;) {
            int c = in.peek();
            if (c < 0 || c == 0x1b) {
                problems_.report(offset, "label-open", "HP-GL/2 label without its terminator");
                break;
            }
            in.get();
            if (c == static_cast<unsigned char>(gl_.terminator)) {
                if (gl_.terminator_printed && text.size() < kMaxLabel) text += static_cast<char>(c);
                break;
            }
            if (text.size() < kMaxLabel) text += static_cast<char>(c);
        }
        hpgl_label(text);
        return true;
    }
    if (is("SS") || is("SA") || is("CF") || is("LT") || is("LA") || is("WU") || is("NP") ||
        is("SI") || is("SR") || is("SL") || is("ES") || is("IW") || is("RO") || is("PC") ||
        is("CR") || is("MC") || is("PP") || is("BP") || is("PS") || is("QL") || is("UL") ||
        is("SM") || is("SV") || is("CT") || is("LM") || is("TD") || is("CP")) {
        skip_parameters(in);
        return true;
    }
    problems_.report(offset, std::string("hpgl ") + a + b,
                     std::string("unknown HP-GL/2 instruction ") + a + b + " skipped");
    skip_parameters(in);
    return false;
}

}  // namespace morvel::render
