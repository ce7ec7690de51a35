// The HP-GL/2 instruction table: one row per two-letter mnemonic with the form of its
// parameters and its handler. Numbers rows get their parameters read for them; Own
// rows read their own (pairs of coordinates, label text); Skip rows are accepted and
// change nothing that is drawn.
#include <algorithm>
#include <cctype>
#include <cmath>

#include "core/strfmt.h"
#include "render/interpreter.h"
#include "render/params.h"

namespace morvel::render {

namespace {

constexpr std::size_t kMaxLabel = 1 << 16;

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

/// What a handler sees: the interpreter, the input and the numbers read for it.
struct GlCall {
    Interpreter& s;
    Input& in;
    const std::vector<double>& p;
    char a, b;
    long long offset;
    Hpgl& gl() { return s.gl_; }
};

struct GlCommands {
    using Handler = void (*)(GlCall&);
    enum class Form : std::uint8_t {
        Numbers,  ///< up to `max` numbers, then the terminator
        Own,      ///< the handler reads its parameters
        Skip,     ///< accepted, not drawn
    };
    struct Row {
        char a, b;
        Form form;
        std::size_t max;
        Handler run;
        int key() const { return a << 8 | b; }
    };
    static const std::vector<Row>& rows();
    static const Row* find(char a, char b);

    // Pen moves: pairs of coordinates, absolute or relative as PA/PR last said.
    static void moves(GlCall& k, bool down_change, bool down) {
        Hpgl& gl = k.gl();
        if (down_change) gl.pen_down = down;
        double x, y;
        while (next_number(k.in, x) && next_number(k.in, y)) {
            double ux, uy;
            if (gl.relative) {
                k.s.plotter_to_user(gl.pen_x, gl.pen_y, ux, uy);
                ux += x;
                uy += y;
            } else {
                ux = x;
                uy = y;
            }
            double px, py;
            k.s.user_to_plotter(ux, uy, px, py);
            k.s.hpgl_line_to(px, py);
        }
        end_instruction(k.in);
    }
    // Cubic Béziers: sets of three points (two controls and the end), drawn as lines.
    static void beziers(GlCall& k, bool relative) {
        Hpgl& gl = k.gl();
        double v[6];
        for (;;) {
            int n = 0;
            while (n < 6 && next_number(k.in, v[n])) ++n;
            if (n < 6) break;
            double x0, y0;
            k.s.plotter_to_user(gl.pen_x, gl.pen_y, x0, y0);
            double ux[4] = {x0, v[0], v[2], v[4]}, uy[4] = {y0, v[1], v[3], v[5]};
            if (relative)
                for (int i = 1; i < 4; ++i) {
                    ux[i] += x0;
                    uy[i] += y0;
                }
            constexpr int kSteps = 24;
            for (int i = 1; i <= kSteps; ++i) {
                double t = static_cast<double>(i) / kSteps, u = 1 - t;
                double b0 = u * u * u, b1 = 3 * u * u * t, b2 = 3 * u * t * t, b3 = t * t * t;
                double px, py;
                k.s.user_to_plotter(b0 * ux[0] + b1 * ux[1] + b2 * ux[2] + b3 * ux[3],
                                    b0 * uy[0] + b1 * uy[1] + b2 * uy[2] + b3 * uy[3], px, py);
                k.s.hpgl_line_to(px, py);
            }
        }
        end_instruction(k.in);
    }
    // Polyline encoded: flags and numbers packed in printable bytes. A number is base-64
    // digits (63-126, the last one 191-254) or in 7-bit mode base-32 digits (63-94, the
    // last 95-126), least significant first; its lowest bit is the sign. Coordinate pairs
    // are relative and drawn unless a flag says otherwise.
    static void polyline_encoded(GlCall& k) {
        Hpgl& gl = k.gl();
        bool seven_bit = false, up_next = false, absolute_next = false;
        int fraction_bits = 0;
        auto number = [&](double& out) {
            long long value = 0, scale = 1;
            for (int digits = 0; digits < 12; ++digits) {
                int b = k.in.peek();
                if (b < 0 || b == ';' || b == 0x1b) return false;
                k.in.get();
                int low = 63, last = seven_bit ? 95 : 191, base = seven_bit ? 32 : 64;
                if (b >= low && b < low + base) {
                    value += (b - low) * scale;
                    scale *= base;
                } else if (b >= last && b < last + base) {
                    value += (b - last) * scale;
                    double magnitude = static_cast<double>(value >> 1);
                    out = (value & 1 ? -magnitude : magnitude) / std::ldexp(1.0, fraction_bits);
                    return true;
                }
                // Other bytes (blanks, line ends) are skipped inside a number.
            }
            return false;
        };
        for (;;) {
            int b = k.in.peek();
            if (b < 0 || b == 0x1b) return;
            if (b == ';') {
                k.in.get();
                return;
            }
            double a = 0, c = 0;
            switch (b) {
                case ':':
                    k.in.get();
                    if (number(a)) gl.pen = static_cast<int>(std::clamp(a, 0.0, 255.0));
                    continue;
                case '<':
                    k.in.get();
                    up_next = true;
                    continue;
                case '>':
                    k.in.get();
                    if (number(a)) fraction_bits = static_cast<int>(std::clamp(a, 0.0, 26.0));
                    continue;
                case '=':
                    k.in.get();
                    absolute_next = true;
                    continue;
                case '7':
                    k.in.get();
                    seven_bit = true;
                    continue;
                default:
                    break;
            }
            if (!number(a) || !number(c)) {
                if (k.in.peek() != ';' && k.in.peek() >= 0 && k.in.peek() != 0x1b) k.in.get();
                continue;
            }
            double ux, uy;
            if (absolute_next) {
                ux = a;
                uy = c;
            } else {
                k.s.plotter_to_user(gl.pen_x, gl.pen_y, ux, uy);
                ux += a;
                uy += c;
            }
            // The pen stays as the last pair left it: up after a move, down after a line.
            gl.pen_down = !up_next;
            double px, py;
            k.s.user_to_plotter(ux, uy, px, py);
            k.s.hpgl_line_to(px, py);
            up_next = absolute_next = false;
        }
    }
    static void arc(GlCall& k, bool relative) {
        const auto& p = k.p;
        if (p.size() < 3) return;
        double cx = p[0], cy = p[1];
        if (relative) {
            double ux, uy;
            k.s.plotter_to_user(k.gl().pen_x, k.gl().pen_y, ux, uy);
            cx += ux;
            cy += uy;
        }
        k.s.hpgl_arc(cx, cy, p[2], p.size() > 3 ? p[3] : 5);
    }
    static void wedge(GlCall& k, bool fill) {
        const auto& p = k.p;
        if (p.size() < 3) return;
        k.s.hpgl_wedge(p[0], p[1], p[2], p.size() > 3 ? p[3] : 5, fill);
    }
    static void rectangle(GlCall& k, bool relative, bool fill) {
        const auto& p = k.p;
        if (p.size() < 2) return;
        double ux, uy;
        k.s.plotter_to_user(k.gl().pen_x, k.gl().pen_y, ux, uy);
        double tx = p[0], ty = p[1];
        if (relative) {
            tx += ux;
            ty += uy;
        }
        double px, py;
        k.s.user_to_plotter(tx, ty, px, py);
        k.s.hpgl_rectangle(px, py, fill);
    }
    static void input_window(GlCall& k, bool relative) {
        const auto& p = k.p;
        Hpgl& gl = k.gl();
        double fw = 0, fh = 0;
        k.s.rotated_frame(fw, fh);
        double f = relative ? 0.01 : 0;
        if (p.empty()) {
            gl.p1x = gl.p1y = 0;
            gl.p2x = fw;
            gl.p2y = fh;
            return;
        }
        double nx = f ? p[0] * f * fw : p[0];
        double ny = p.size() > 1 ? (f ? p[1] * f * fh : p[1]) : gl.p1y;
        double dx = gl.p2x - gl.p1x, dy = gl.p2y - gl.p1y;
        gl.p1x = nx;
        gl.p1y = ny;
        if (p.size() >= 4) {
            gl.p2x = f ? p[2] * f * fw : p[2];
            gl.p2y = f ? p[3] * f * fh : p[3];
        } else {
            gl.p2x = nx + dx;
            gl.p2y = ny + dy;
        }
    }
    static void direction(GlCall& k) {
        const auto& p = k.p;
        Hpgl& gl = k.gl();
        if (p.size() >= 2 && (p[0] != 0 || p[1] != 0)) {
            gl.dir_run = p[0];
            gl.dir_rise = p[1];
        } else {
            gl.dir_run = 1;
            gl.dir_rise = 0;
        }
    }
};

namespace {

void skip(GlCall&) {}

}  // namespace

const std::vector<GlCommands::Row>& GlCommands::rows() {
    using F = Form;
    static const std::vector<Row> table = [] {
        std::vector<Row> t = {
            // Pen moves
            {'P', 'U', F::Own, 0, [](GlCall& k) { moves(k, true, false); }},
            {'P', 'D', F::Own, 0, [](GlCall& k) { moves(k, true, true); }},
            {'P', 'A', F::Own, 0,
             [](GlCall& k) {
                 k.gl().relative = false;
                 moves(k, false, false);
             }},
            {'P', 'R', F::Own, 0,
             [](GlCall& k) {
                 k.gl().relative = true;
                 moves(k, false, false);
             }},

            {'P', 'E', F::Own, 0, polyline_encoded},
            {'B', 'Z', F::Own, 0, [](GlCall& k) { beziers(k, false); }},
            {'B', 'R', F::Own, 0, [](GlCall& k) { beziers(k, true); }},

            // Configuration
            {'I', 'N', F::Numbers, 0, [](GlCall& k) { k.s.hpgl_reset(); }},
            {'D', 'F', F::Numbers, 0,
             [](GlCall& k) {
                 Hpgl& gl = k.gl();
                 gl.fill_type = 1;
                 gl.fill_last.clear();
                 gl.transparent = true;
                 gl.label_origin = 1;
                 gl.dir_run = 1;
                 gl.dir_rise = 0;
                 gl.terminator = 3;
                 gl.scaled = false;
                 gl.polygon_mode = false;
             }},
            {'S', 'C', F::Numbers, 5,
             [](GlCall& k) {
                 const auto& p = k.p;
                 Hpgl& gl = k.gl();
                 if (p.size() < 4) {
                     gl.scaled = false;
                     return;
                 }
                 gl.scaled = true;
                 for (std::size_t i = 0; i < 4; ++i) gl.sc[i] = p[i];
                 gl.scale_type = p.size() >= 5 ? static_cast<int>(std::clamp(p[4], 0.0, 2.0)) : 0;
             }},
            {'I', 'P', F::Numbers, 4, [](GlCall& k) { input_window(k, false); }},
            {'I', 'R', F::Numbers, 4, [](GlCall& k) { input_window(k, true); }},

            // Pens
            {'S', 'P', F::Numbers, 1,
             [](GlCall& k) {
                 k.gl().pen = k.p.empty() ? 0 : static_cast<int>(std::clamp(k.p[0], 0.0, 255.0));
             }},
            {'P', 'W', F::Numbers, 2,
             [](GlCall& k) {
                 const auto& p = k.p;
                 Hpgl& gl = k.gl();
                 double w = p.empty() ? 0.35 : std::clamp(p[0], 0.0, 100.0);
                 if (p.size() >= 2)
                     gl.pen_width_mm[static_cast<std::size_t>(std::clamp(p[1], 0.0, 255.0))] = w;
                 else
                     std::fill(gl.pen_width_mm.begin(), gl.pen_width_mm.end(), w);
             }},
            {'T', 'R', F::Numbers, 1,
             [](GlCall& k) { k.gl().transparent = k.p.empty() || k.p[0] != 0; }},

            // Arcs, circles, rectangles
            {'A', 'A', F::Numbers, 4, [](GlCall& k) { arc(k, false); }},
            {'A', 'R', F::Numbers, 4, [](GlCall& k) { arc(k, true); }},
            {'C', 'I', F::Numbers, 2,
             [](GlCall& k) {
                 if (k.p.empty()) return;
                 Interpreter& s = k.s;
                 Hpgl& gl = k.gl();
                 double r = std::fabs(k.p[0]);
                 double ux, uy;
                 s.plotter_to_user(gl.pen_x, gl.pen_y, ux, uy);
                 double cx_p = gl.pen_x, cy_p = gl.pen_y;
                 bool was_down = gl.pen_down;
                 double sx, sy;
                 s.user_to_plotter(ux + r, uy, sx, sy);
                 if (gl.polygon_mode) {
                     gl.pen_down = false;
                     s.hpgl_line_to(sx, sy);
                 } else {
                     gl.pen_x = sx;
                     gl.pen_y = sy;
                 }
                 gl.pen_down = true;
                 s.hpgl_arc(ux, uy, 360, 5);
                 gl.pen_down = was_down;
                 gl.pen_x = cx_p;
                 gl.pen_y = cy_p;
             }},
            {'E', 'A', F::Numbers, 2, [](GlCall& k) { rectangle(k, false, false); }},
            {'E', 'R', F::Numbers, 2, [](GlCall& k) { rectangle(k, true, false); }},
            {'R', 'A', F::Numbers, 2, [](GlCall& k) { rectangle(k, false, true); }},
            // Wedges: radius, start angle, sweep angle[, chord angle].
            {'W', 'G', F::Numbers, 4, [](GlCall& k) { wedge(k, true); }},
            {'E', 'W', F::Numbers, 4, [](GlCall& k) { wedge(k, false); }},
            {'R', 'R', F::Numbers, 2, [](GlCall& k) { rectangle(k, true, true); }},

            // Polygons and fills
            {'P', 'M', F::Numbers, 1,
             [](GlCall& k) {
                 Hpgl& gl = k.gl();
                 int m = k.p.empty() ? 0 : to_int(k.p[0]);
                 if (m == 0) {
                     gl.polygon_mode = true;
                     gl.polygon.clear();
                     gl.polygon.push_back({{gl.pen_x, gl.pen_y}});
                     gl.polygon_points = 1;
                 } else if (gl.polygon_mode) {
                     if (m == 2) {
                         gl.polygon_mode = false;
                     } else if (gl.polygon_points < kMaxPolygonPoints) {
                         gl.polygon.push_back({{gl.pen_x, gl.pen_y}});
                         ++gl.polygon_points;
                     }
                 }
             }},
            {'F', 'P', F::Numbers, 1,
             [](GlCall& k) { k.s.hpgl_fill_polygon(k.p.empty() || k.p[0] == 0); }},
            {'E', 'P', F::Numbers, 0, [](GlCall& k) { k.s.hpgl_edge_polygon(); }},
            {'F', 'T', F::Numbers, 3,
             [](GlCall& k) {
                 const auto& p = k.p;
                 Hpgl& gl = k.gl();
                 const int type = p.empty() ? 1 : to_int(p[0]);
                 // A fill type or parameter out of range leaves the fill as it was.
                 static constexpr int kTypes[] = {1, 2, 3, 4, 10, 11, 21, 22};
                 if (std::find(std::begin(kTypes), std::end(kTypes), type) == std::end(kTypes))
                     return;
                 if (p.size() > 1 && ((type == 10 && (p[1] < 0 || p[1] > 100)) ||
                                      ((type == 3 || type == 4) && p[1] < 0)))
                     return;
                 auto last = gl.fill_last.try_emplace(type, type == 10 ? 100 : 0, 0).first;
                 if (p.size() > 1) last->second.first = p[1];
                 if (p.size() > 2) last->second.second = p[2];
                 gl.fill_type = type;
                 gl.fill_a = last->second.first;
                 gl.fill_b = last->second.second;
             }},
            // The cells follow the three leading numbers.
            {'R', 'F', F::Own, 0,
             [](GlCall& k) {
                 std::vector<double> p;
                 double v = 0;
                 while (p.size() < 3 && next_number(k.in, v)) p.push_back(v);
                 std::vector<std::uint8_t> cells;
                 int index = 0, w = 0, h = 0;
                 if (p.size() == 3) {
                     index = static_cast<int>(std::clamp(p[0], 0.0, 8.0));
                     w = static_cast<int>(std::clamp(p[1], 0.0, 64.0));
                     h = static_cast<int>(std::clamp(p[2], 0.0, 64.0));
                     while (next_number(k.in, v))
                         if (cells.size() < static_cast<std::size_t>(w * h))
                             cells.push_back(static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)));
                 }
                 end_instruction(k.in);
                 if (w == 0 || h == 0) return;
                 cells.resize(static_cast<std::size_t>(w * h), 0);
                 k.gl().raster_fills[index] = std::move(cells);
                 k.gl().raster_fill_size[index] = {w, h};
             }},

            // Labels
            {'L', 'O', F::Numbers, 1,
             [](GlCall& k) {
                 k.gl().label_origin =
                     k.p.empty() ? 1 : static_cast<int>(std::clamp(k.p[0], 1.0, 21.0));
             }},
            {'D', 'I', F::Numbers, 2, direction},
            {'D', 'R', F::Numbers, 2, direction},
            {'A', 'D', F::Numbers, 20, skip},
            {'S', 'D', F::Numbers, 20,
             [](GlCall& k) {
                 const auto& p = k.p;
                 Hpgl& gl = k.gl();
                 for (std::size_t i = 0; i + 1 < p.size(); i += 2) {
                     double value = p[i + 1];
                     switch (to_int(p[i])) {
                         case 1: {
                             long set = static_cast<long>(std::clamp(value, 0.0, 1e7));
                             gl.font.symbol_set =
                                 std::to_string(set / 32) + static_cast<char>(set % 32 + 64);
                             break;
                         }
                         case 2:
                             gl.font.proportional = value != 0;
                             break;
                         case 3:
                             if (value >= 0.1 && value < 1000) gl.font_pitch = value;
                             break;
                         case 4:
                             if (value > 0 && value < 1000) gl.font_height = value;
                             break;
                         case 5:
                             gl.font.style = static_cast<long>(std::clamp(value, 0.0, 1e4));
                             break;
                         case 6:
                             gl.font.weight = static_cast<long>(std::clamp(value, -7.0, 7.0));
                             break;
                         case 7:
                             gl.font.typeface = static_cast<long>(std::clamp(value, 0.0, 1e6));
                             break;
                         default:
                             break;
                     }
                 }
             }},
            {'D', 'T', F::Own, 0,
             [](GlCall& k) {
                 Hpgl& gl = k.gl();
                 int term = k.in.peek();
                 if (term >= 0 && term != ';' && term != 0x1b) {
                     k.in.get();
                     gl.terminator = static_cast<char>(term);
                 } else {
                     gl.terminator = 3;
                 }
                 double mode = 1;
                 bool given = next_number(k.in, mode);
                 end_instruction(k.in);
                 gl.terminator_printed = given && mode == 0;
             }},
            {'L', 'B', F::Own, 0,
             [](GlCall& k) {
                 Hpgl& gl = k.gl();
                 std::string text;
                 for (;;) {
                     int c = k.in.peek();
                     if (c < 0 || c == 0x1b) {
                         k.s.problems_.report(k.offset, "label-open",
                                              "HP-GL/2 label without its terminator");
                         break;
                     }
                     k.in.get();
                     if (c == static_cast<unsigned char>(gl.terminator)) {
                         if (gl.terminator_printed && text.size() < kMaxLabel)
                             text += static_cast<char>(c);
                         break;
                     }
                     if (text.size() < kMaxLabel) text += static_cast<char>(c);
                 }
                 k.s.hpgl_label(text);
             }},

            // Accepted, not drawn
            {'S', 'S', F::Skip, 0, skip},
            {'S', 'A', F::Skip, 0, skip},
            {'C', 'F', F::Skip, 0, skip},
            {'L', 'T', F::Skip, 0, skip},
            {'L', 'A', F::Skip, 0, skip},
            {'W', 'U', F::Skip, 0, skip},
            {'N', 'P', F::Skip, 0, skip},
            {'S', 'I', F::Skip, 0, skip},
            {'S', 'R', F::Skip, 0, skip},
            {'S', 'L', F::Skip, 0, skip},
            {'E', 'S', F::Skip, 0, skip},
            {'I', 'W', F::Skip, 0, skip},
            // Rotated coordinate system: the pen stays where it is on the page and P1
            // and P2 move to the corners of the turned frame.
            {'R', 'O', F::Numbers, 1,
             [](GlCall& k) {
                 Interpreter& s = k.s;
                 Hpgl& gl = k.gl();
                 const int angle = k.p.empty() ? 0 : to_int(k.p[0]);
                 if (angle != 0 && angle != 90 && angle != 180 && angle != 270) {
                     s.problems_.report(k.offset, "RO angle",
                                        strfmt("RO %d is not a right angle; ignored", angle));
                     return;
                 }
                 const Point pen = s.plotter_to_page(gl.pen_x, gl.pen_y);
                 gl.rotation = angle;
                 s.page_to_plotter(pen.x, pen.y, gl.pen_x, gl.pen_y);
                 gl.p1x = gl.p1y = 0;
                 s.rotated_frame(gl.p2x, gl.p2y);
             }},
            {'P', 'C', F::Skip, 0, skip},
            {'C', 'R', F::Skip, 0, skip},
            {'M', 'C', F::Skip, 0, skip},
            {'P', 'P', F::Skip, 0, skip},
            {'B', 'P', F::Skip, 0, skip},
            {'P', 'S', F::Skip, 0, skip},
            {'Q', 'L', F::Skip, 0, skip},
            {'U', 'L', F::Skip, 0, skip},
            {'S', 'M', F::Skip, 0, skip},
            {'S', 'V', F::Skip, 0, skip},
            {'C', 'T', F::Skip, 0, skip},
            {'L', 'M', F::Skip, 0, skip},
            {'T', 'D', F::Skip, 0, skip},
            {'C', 'P', F::Skip, 0, skip},
            {'D', 'V', F::Skip, 0, skip},
            {'D', 'L', F::Skip, 0, skip},
        };
        std::sort(t.begin(), t.end(), [](const Row& x, const Row& y) { return x.key() < y.key(); });
        return t;
    }();
    return table;
}

const GlCommands::Row* GlCommands::find(char a, char b) {
    const std::vector<Row>& t = rows();
    int key = a << 8 | b;
    auto it =
        std::lower_bound(t.begin(), t.end(), key, [](const Row& r, int k) { return r.key() < k; });
    return it != t.end() && it->key() == key ? &*it : nullptr;
}

bool Interpreter::hpgl_instruction(Input& in, char a, char b, long long offset) {
    const GlCommands::Row* row = GlCommands::find(a, b);
    std::vector<double> p;
    if (!row) {
        problems_.report(offset, std::string("hpgl ") + a + b,
                         std::string("unknown HP-GL/2 instruction ") + a + b + " skipped");
        skip_parameters(in);
        return false;
    }
    switch (row->form) {
        case GlCommands::Form::Numbers: {
            double v = 0;
            while (p.size() < row->max && next_number(in, v)) p.push_back(v);
            end_instruction(in);
            break;
        }
        case GlCommands::Form::Skip:
            skip_parameters(in);
            break;
        case GlCommands::Form::Own:
            break;
    }
    GlCall call{*this, in, p, a, b, offset};
    row->run(call);
    return true;
}

}  // namespace morvel::render
