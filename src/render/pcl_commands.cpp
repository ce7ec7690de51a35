// The PCL 5 command table: one row per escape sequence with its argument form and its
// handler. The parser finds a row by parameter, group and terminator; a row whose
// terminator is 0 serves every terminator of its group that has no row of its own.
#include <algorithm>
#include <cmath>

#include "core/strfmt.h"
#include "render/interpreter.h"
#include "render/params.h"

namespace morvel::render {

namespace {

constexpr std::size_t kMaxRasterRowBytes = 1 << 16;
constexpr int kMaxCopies = 99;
// A font header or character block larger than this is cut short.
constexpr std::size_t kMaxSoftFontBlock = 4u << 20;
// A user-defined pattern's header and dots, at most 65536 of 8 bits.
constexpr std::size_t kMaxPatternBlock = 12 + (1u << 16);

}  // namespace

/// What a handler sees: the interpreter, the command and, for data commands, its bytes.
struct PclCall {
    Interpreter& s;
    Input& in;
    const Command& c;
    int depth;
    const std::string& data;
    double v;
    /// A move to `target`, or by it when the value was signed.
    double moved(double current, double target) const {
        return c.has_sign ? current + target : target;
    }
    /// A vertical move: absolute positions count from the top margin.
    double moved_down(double current, double target) const {
        return c.has_sign ? current + target : s.top_margin_ + target;
    }
    /// PCL units (*p, *c) in points.
    double unit() const { return 72.0 / s.units_per_inch_; }
};

struct PclCommands {
    using Handler = void (*)(PclCall&);
    enum class Form : std::uint8_t {
        Value,  ///< the value is a number
        Data,   ///< the value counts bytes of data that follow
    };
    struct Row {
        char parameter, group, final;
        Form form;
        std::size_t keep;  ///< Data: bytes the handler needs (the rest are read and dropped)
        Handler run;
        int key() const { return key_of(parameter, group, final); }
    };
    static constexpr int key_of(char p, char g, char f) {
        return static_cast<unsigned char>(p) << 16 | static_cast<unsigned char>(g) << 8 |
               static_cast<unsigned char>(f);
    }
    static const std::vector<Row>& rows();
    static const Row* find(const Command& c);

    // A primary font attribute: the font is chosen again for the next character.
    static void font_attribute(PclCall& k, void (*set)(Interpreter&, double)) {
        set(k.s, k.v);
        k.s.flush_text();
        k.s.font_dirty_ = true;
        k.s.primary_by_id_ = false;
        k.s.hmi_override_ = -1;
    }
};

namespace {

void ignore(PclCall&) {}

}  // namespace

const std::vector<PclCommands::Row>& PclCommands::rows() {
    using F = Form;
    static const std::vector<Row> table = [] {
        std::vector<Row> t = {
            // Job control and page set-up (&l, &u)
            {'&', 'l', 'O', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 int o = clamp_int(k.v, 0, 3);
                 if (o == s.orientation_) return;
                 s.flush_text();
                 if (s.marked_) s.eject(true);
                 s.set_orientation(o);
                 s.default_margins();
                 s.default_cursor();
                 s.hpgl_default_frame();
             }},
            {'&', 'l', 'A', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 int code = clamp_int(k.v, 0, 1000);
                 s.flush_text();
                 double w = s.paper_w_, h = s.paper_h_;
                 // A paper size, even the one in use, sets the margins and the picture
                 // frame anew; every page size command puts the cursor at the page's start.
                 if (s.set_page_size(code)) {
                     if ((w != s.paper_w_ || h != s.paper_h_) && s.marked_) s.eject(true);
                     s.default_margins();
                     s.hpgl_default_frame();
                 }
                 s.default_cursor();
             }},
            {'&', 'l', 'E', F::Value, 0,
             [](PclCall& k) { k.s.top_margin_ = std::clamp(k.v, 0.0, 1000.0) * k.s.vmi_; }},
            {'&', 'l', 'C', F::Value, 0,
             [](PclCall& k) {
                 if (k.v >= 0 && k.v <= 1e4) k.s.vmi_ = k.v * 1.5;
             }},
            {'&', 'l', 'D', F::Value, 0,
             [](PclCall& k) {
                 if (k.v > 0 && k.v <= 1e4) k.s.vmi_ = 72.0 / k.v;
             }},
            {'&', 'l', 'S', F::Value, 0, ignore},  // duplex
            {'&', 'l', 'H', F::Value, 0, ignore},  // paper source
            {'&', 'l', 'X', F::Value, 0,
             [](PclCall& k) { k.s.copies_ = clamp_int(k.v, 1, kMaxCopies); }},
            {'&', 'l', 'F', F::Value, 0, ignore},  // text length
            {'&', 'l', 'L', F::Value, 0, ignore},  // perforation skip
            {'&', 'l', 'G', F::Value, 0, ignore},  // output bin
            // Registration: the page image moves by decipoints.
            {'&', 'l', 'U', F::Value, 0,
             [](PclCall& k) { k.s.registration_x_ = std::clamp(k.v, -7200.0, 7200.0) / 10; }},
            {'&', 'l', 'Z', F::Value, 0,
             [](PclCall& k) { k.s.registration_y_ = std::clamp(k.v, -7200.0, 7200.0) / 10; }},
            {'&', 'l', 'T', F::Value, 0, ignore},  // job separation
            {'&', 'l', 'M', F::Value, 0, ignore},  // media type
            {'&', 'u', 'D', F::Value, 0,
             [](PclCall& k) {
                 if (k.v >= 1 && k.v <= 7200) k.s.units_per_inch_ = k.v;
             }},

            // Cursor (&a, *p, &k, &f)
            {'&', 'a', 'H', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.x_ = k.moved(k.s.x_, k.v / 10);
                 k.s.clamp_cursor();
             }},
            {'&', 'a', 'V', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.y_ = k.moved_down(k.s.y_, k.v / 10);
                 k.s.clamp_cursor();
             }},
            {'&', 'a', 'C', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 s.flush_text();
                 s.x_ = k.moved(s.x_, k.v * s.hmi()) + (k.c.has_sign ? 0 : s.left_margin_);
                 s.clamp_cursor();
             }},
            {'&', 'a', 'R', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 s.flush_text();
                 s.y_ = k.c.has_sign ? s.y_ + k.v * s.vmi_ : s.top_margin_ + (k.v + 0.75) * s.vmi_;
                 s.clamp_cursor();
             }},
            {'&', 'a', 'L', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.left_margin_ = std::max(0.0, k.v * k.s.hmi());
             }},
            {'&', 'a', 'M', F::Value, 0, [](PclCall& k) { k.s.flush_text(); }},
            {'&', 'a', 'G', F::Value, 0, [](PclCall& k) { k.s.flush_text(); }},
            {'&', 'a', 'P', F::Value, 0, [](PclCall& k) { k.s.flush_text(); }},
            {'*', 'p', 'X', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.x_ = k.moved(k.s.x_, k.v * k.unit());
                 k.s.clamp_cursor();
             }},
            {'*', 'p', 'Y', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 s.flush_text();
                 // In raster graphics the cursor is where the next row goes.
                 s.y_ = k.moved_down(s.raster_on_ ? s.raster_y_ : s.y_, k.v * k.unit());
                 s.clamp_cursor();
                 if (s.raster_on_) s.raster_move_to(s.y_);
             }},
            {'*', 'p', 'P', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 s.flush_text();
                 if (k.v == 0 && s.palette_stack_.size() < 16) s.palette_stack_.push_back(s.palette_);
                 if (k.v == 1 && !s.palette_stack_.empty()) {
                     s.palette_ = s.palette_stack_.back();
                     s.palette_stack_.pop_back();
                 }
             }},
            {'*', 'p', 'R', F::Value, 0, [](PclCall& k) { k.s.flush_text(); }},
            {'&', 'k', 'H', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 if (k.v >= 0 && k.v <= 1e4) k.s.hmi_override_ = k.v * 0.6;
             }},
            {'&', 'k', 'G', F::Value, 0,
             [](PclCall& k) {
                 if (k.v >= 0 && k.v <= 3) k.s.line_termination_ = static_cast<int>(k.v);
             }},
            // Pitch mode: 10, 16.67 (compressed) or 12 (elite) characters an inch.
            {'&', 'k', 'S', F::Value, 0,
             [](PclCall& k) {
                 font_attribute(k, [](Interpreter& s, double v) {
                     if (v == 0) s.pitch_ = 10;
                     if (v == 2) s.pitch_ = 16.67;
                     if (v == 4) s.pitch_ = 12;
                 });
             }},
            {'&', 'f', 'S', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 s.flush_text();
                 if (k.v == 0 && s.cursor_stack_.size() < 20) s.cursor_stack_.push_back({s.x_, s.y_});
                 if (k.v == 1 && !s.cursor_stack_.empty()) {
                     s.x_ = s.cursor_stack_.back().x;
                     s.y_ = s.cursor_stack_.back().y;
                     s.cursor_stack_.pop_back();
                 }
             }},

            // Macros (&f)
            {'&', 'f', 'Y', F::Value, 0,
             [](PclCall& k) { k.s.macro_id_ = clamp_int(k.v, 0, 32767); }},
            {'&', 'f', 'X', F::Value, 0,
             [](PclCall& k) { k.s.macro_control(clamp_int(k.v, 0, 100), k.in, k.depth); }},

            // Text (&d, &p, &s)
            {'&', 'd', 'D', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.underline_ = true;
                 k.s.underline_start_ = k.s.x_;
             }},
            {'&', 'd', '@', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.underline_ = false;
             }},
            // Transparent print data: every byte is a character.
            {'&', 'p', 'X', F::Data, 1 << 16,
             [](PclCall& k) {
                 for (char ch : k.data) k.s.text_byte(static_cast<unsigned char>(ch), k.c.offset);
             }},
            // End-of-line wrap: 0 wraps text at the right edge, 1 (the default) does not.
            {'&', 's', 'C', F::Value, 0, [](PclCall& k) { k.s.wrap_ = k.v == 0; }},
            {'&', 'n', 'W', F::Data, 0, ignore},
            {'&', 'b', 'W', F::Data, 0, ignore},

            // Rules, patterns and the picture frame (*c)
            {'*', 'c', 'A', F::Value, 0,
             [](PclCall& k) { k.s.rule_w_ = std::max(0.0, k.v * k.unit()); }},
            {'*', 'c', 'B', F::Value, 0,
             [](PclCall& k) { k.s.rule_h_ = std::max(0.0, k.v * k.unit()); }},
            {'*', 'c', 'H', F::Value, 0, [](PclCall& k) { k.s.rule_w_ = std::max(0.0, k.v / 10); }},
            {'*', 'c', 'V', F::Value, 0, [](PclCall& k) { k.s.rule_h_ = std::max(0.0, k.v / 10); }},
            {'*', 'c', 'P', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.fill_rule(clamp_int(k.v, 0, 100));
             }},
            {'*', 'c', 'G', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.area_id_ = clamp_int(k.v, -1000, 100000);
             }},
            {'*', 'c', 'T', F::Value, 0,
             [](PclCall& k) {
                 k.s.frame_x_ = k.s.x_;
                 k.s.frame_y_ = k.s.y_;
             }},
            {'*', 'c', 'X', F::Value, 0,
             [](PclCall& k) {
                 if (k.v > 0)
                     k.s.frame_w_ = std::min(k.v, 1e6) / 10;
                 else
                     k.s.hpgl_default_frame();
                 k.s.frame_scaling_points();
             }},
            {'*', 'c', 'Y', F::Value, 0,
             [](PclCall& k) {
                 if (k.v > 0)
                     k.s.frame_h_ = std::min(k.v, 1e6) / 10;
                 else
                     k.s.hpgl_default_frame();
                 k.s.frame_scaling_points();
             }},
            {'*', 'c', 'K', F::Value, 0, ignore},
            {'*', 'c', 'L', F::Value, 0, ignore},
            {'*', 'c', 'Q', F::Value, 0,
             [](PclCall& k) { k.s.pattern_control(clamp_int(k.v, 0, 100)); }},
            // Downloaded fonts: font ID, character code, font control.
            {'*', 'c', 'D', F::Value, 0,
             [](PclCall& k) { k.s.font_id_ = clamp_int(k.v, 0, 32767); }},
            {'*', 'c', 'E', F::Value, 0,
             [](PclCall& k) { k.s.char_code_ = static_cast<unsigned>(clamp_int(k.v, 0, 65535)); }},
            {'*', 'c', 'F', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 s.flush_text();
                 const int op = clamp_int(k.v, -1, 100);
                 if (op == 6) {
                     s.problems_.report(k.c.offset, "font-control 6",
                                        "copying the current font (ESC*c6F) is not done");
                 } else if (!s.soft_.control(op, s.font_id_, s.char_code_)) {
                     s.problems_.report(k.c.offset, strfmt("font-control %d", op),
                                        strfmt("unknown font control %d skipped", op));
                 }
             }},
            {'*', 'c', 'W', F::Data, kMaxPatternBlock,
             [](PclCall& k) { k.s.download_pattern(k.data, k.c.offset); }},

            // Colour and the print model (*v)
            // Text placed so far is drawn in the pattern it was placed with.
            {'*', 'v', 'T', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.pattern_ = clamp_int(k.v, 0, 4);
             }},
            {'*', 'v', 'N', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.source_transparent_ = k.v == 0;
             }},
            {'*', 'v', 'O', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.pattern_transparent_ = k.v == 0;
             }},
            {'*', 'v', 'S', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.foreground_ =
                     k.s.palette_colour(static_cast<long>(std::clamp(k.v, -1.0, 1e6)));
             }},
            {'*', 'v', 'A', F::Value, 0,
             [](PclCall& k) { k.s.palette_work_[0] = std::clamp(k.v, 0.0, 255.0); }},
            {'*', 'v', 'B', F::Value, 0,
             [](PclCall& k) { k.s.palette_work_[1] = std::clamp(k.v, 0.0, 255.0); }},
            {'*', 'v', 'C', F::Value, 0,
             [](PclCall& k) { k.s.palette_work_[2] = std::clamp(k.v, 0.0, 255.0); }},
            {'*', 'v', 'I', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 long index = static_cast<long>(std::clamp(k.v, -1.0, 1e6));
                 if (index >= 0 && index < static_cast<long>(s.palette_.size()))
                     s.palette_[static_cast<std::size_t>(index)] =
                         Rgb{s.palette_work_[0] / 255, s.palette_work_[1] / 255,
                             s.palette_work_[2] / 255};
             }},
            {'*', 'v', 'W', F::Data, 64,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 const std::string& data = k.data;
                 if (data.size() < 6) {
                     s.problems_.report(k.c.offset, "cid", "short configure-image-data block");
                     return;
                 }
                 auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
                 int bits = std::clamp<int>(byte(2), 1, 8);
                 s.indexed_by_pixel_ = byte(1) == 1;
                 s.pixel_bits_ = byte(1) <= 1 ? bits : 24;
                 s.palette_.assign(std::size_t{1} << bits, Rgb{0, 0, 0});
                 if (s.palette_.size() >= 2) s.palette_[0] = Rgb{1, 1, 1};
                 // The default colour palette: white, the primaries, black.
                 if (s.palette_.size() >= 8) {
                     const Rgb defaults[8] = {{1, 1, 1}, {0, 1, 1}, {1, 0, 1}, {0, 0, 1},
                                              {1, 1, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}};
                     for (std::size_t i = 0; i < 8; ++i) s.palette_[i] = defaults[i];
                 }
             }},
            {'*', 'r', 'U', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 int mode = clamp_int(k.v, -4, 4);
                 s.indexed_by_pixel_ = false;
                 s.pixel_bits_ = 1;
                 if (mode == 1 || mode == 0) {
                     s.palette_ = {Rgb{1, 1, 1}, Rgb{0, 0, 0}};
                     return;
                 }
                 // Negative modes are CMY (index 0 white, 7 black), positive ones RGB
                 // (0 black, 7 white); the first plane is the index's lowest bit.
                 const Rgb cmy[8] = {{1, 1, 1}, {0, 1, 1}, {1, 0, 1}, {0, 0, 1},
                                     {1, 1, 0}, {0, 1, 0}, {1, 0, 0}, {0, 0, 0}};
                 s.palette_.assign(cmy, cmy + 8);
                 if (mode > 0) std::reverse(s.palette_.begin(), s.palette_.end());
             }},

            // Raster graphics (*r, *t, *b)
            {'*', 'r', 'A', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.raster_start(clamp_int(k.v, 0, 3));
             }},
            {'*', 'r', 'B', F::Value, 0, [](PclCall& k) { k.s.raster_end(); }},
            {'*', 'r', 'C', F::Value, 0, [](PclCall& k) { k.s.raster_end(); }},
            {'*', 'r', 'S', F::Value, 0,
             [](PclCall& k) { k.s.raster_width_ = clamp_int(k.v, 0, 1 << 16); }},
            {'*', 'r', 'T', F::Value, 0,
             [](PclCall& k) { k.s.raster_height_ = clamp_int(k.v, 0, 1 << 30); }},
            {'*', 'r', 'Q', F::Value, 0, ignore},  // raster quality: all the same on paper
            {'*', 'r', 'F', F::Value, 0,
             [](PclCall& k) {
                 if (!k.s.raster_on_) k.s.raster_presentation_ = k.v == 3 ? 3 : 0;
             }},
            {'*', 't', 'R', F::Value, 0,
             [](PclCall& k) {
                 // A printer has raster at 75, 100, 150, 200, 300 and 600 dpi only; any
                 // other value selects the next of those above it, and 600 past the last.
                 double res = 600;
                 for (const double r : {75.0, 100.0, 150.0, 200.0, 300.0, 600.0})
                     if (k.v <= r) {
                         res = r;
                         break;
                     }
                 if (res != k.v)
                     k.s.problems_.report(
                         k.c.offset, "raster resolution",
                         strfmt("raster resolution %g dpi is not one a printer has (75, 100, "
                                "150, 200, 300, 600): drawn at %g dpi",
                                k.v, res));
                 // A printer draws raster finer than its own resolution at its own.
                 k.s.raster_res_ = std::min(res, k.s.resolution_);
             }},
            {'*', 't', 'J', F::Value, 0, ignore},
            {'*', 't', 'K', F::Value, 0, ignore},
            // Destination size of scaled raster (decipoints).
            {'*', 't', 'H', F::Value, 0,
             [](PclCall& k) { k.s.raster_dest_w_ = std::clamp(k.v, 0.0, 1e5) / 10; }},
            {'*', 't', 'V', F::Value, 0,
             [](PclCall& k) { k.s.raster_dest_h_ = std::clamp(k.v, 0.0, 1e5) / 10; }},
            {'*', 't', 'I', F::Value, 0, ignore},
            {'*', 'b', 'M', F::Value, 0,
             [](PclCall& k) { k.s.compression_ = clamp_int(k.v, 0, 10); }},
            {'*', 'b', 'W', F::Data, kMaxRasterRowBytes,
             [](PclCall& k) {
                 if (k.s.planes_.empty())
                     k.s.raster_row(k.data);
                 else
                     k.s.raster_plane(k.data, true);
             }},
            {'*', 'b', 'Y', F::Value, 0,
             [](PclCall& k) { k.s.raster_skip_rows(k.v); }},
            {'*', 'b', 'V', F::Data, kMaxRasterRowBytes,
             [](PclCall& k) { k.s.raster_plane(k.data, false); }},

            // Print quality, logical operations and data blocks not drawn (*o, *l, *m, *g, *i)
            {'*', 'o', 0, F::Value, 0, ignore},
            {'*', 'l', 0, F::Value, 0, ignore},
            // Logical operation: how source, pattern and page combine.
            {'*', 'l', 'O', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.raster_flush();
                 k.s.rop_ = clamp_int(k.v, 0, 255);
             }},
            {'*', 'o', 'W', F::Data, 0, ignore},
            {'*', 'l', 'W', F::Data, 0, ignore},
            {'*', 'm', 'W', F::Data, 0, ignore},
            {'*', 'g', 'W', F::Data, 0, ignore},
            {'*', 'i', 'W', F::Data, 0, ignore},

            // Fonts ((s, )s, (, ))
            {'(', 's', 'P', F::Value, 0,
             [](PclCall& k) {
                 font_attribute(k, [](Interpreter& s, double v) { s.font_.proportional = v != 0; });
             }},
            {')', 's', 'P', F::Value, 0, ignore},
            {'(', 's', 'H', F::Value, 0,
             [](PclCall& k) {
                 font_attribute(k, [](Interpreter& s, double v) {
                     if (v >= 0.1 && v < 1000) s.pitch_ = v;  // bounded: cairo fails on huge sizes
                 });
             }},
            {')', 's', 'H', F::Value, 0, ignore},
            {'(', 's', 'V', F::Value, 0,
             [](PclCall& k) {
                 font_attribute(k, [](Interpreter& s, double v) {
                     if (v > 0 && v < 1000) s.height_ = v;
                 });
             }},
            {')', 's', 'V', F::Value, 0, ignore},
            {'(', 's', 'S', F::Value, 0,
             [](PclCall& k) {
                 font_attribute(k, [](Interpreter& s, double v) {
                     s.font_.style = static_cast<long>(std::clamp(v, 0.0, 1e4));
                 });
             }},
            {')', 's', 'S', F::Value, 0, ignore},
            {'(', 's', 'B', F::Value, 0,
             [](PclCall& k) {
                 font_attribute(k, [](Interpreter& s, double v) {
                     s.font_.weight = static_cast<long>(std::clamp(v, -7.0, 7.0));
                 });
             }},
            {')', 's', 'B', F::Value, 0, ignore},
            {'(', 's', 'T', F::Value, 0,
             [](PclCall& k) {
                 font_attribute(k, [](Interpreter& s, double v) {
                     s.font_.typeface = static_cast<long>(std::clamp(v, 0.0, 1e6));
                 });
             }},
            {')', 's', 'T', F::Value, 0, ignore},
            // Print quality of the primary and secondary fonts: the same characters.
            {'(', 's', 'Q', F::Value, 0, ignore},
            {')', 's', 'Q', F::Value, 0, ignore},
            {'(', 's', 'W', F::Data, kMaxSoftFontBlock,
             [](PclCall& k) { k.s.soft_font_data(false, k.data, k.c.offset); }},
            {')', 's', 'W', F::Data, kMaxSoftFontBlock,
             [](PclCall& k) { k.s.soft_font_data(true, k.data, k.c.offset); }},
            {'(', 'f', 'W', F::Data, 0, ignore},
            {')', 'f', 'W', F::Data, 0, ignore},
            {'(', 0, 'X', F::Value, 0,
             [](PclCall& k) { k.s.select_soft_font(true, clamp_int(k.v, 0, 32767), k.c.offset); }},
            {'(', 0, '@', F::Value, 0, ignore},  // default font
            {')', 0, 'X', F::Value, 0,
             [](PclCall& k) { k.s.select_soft_font(false, clamp_int(k.v, 0, 32767), k.c.offset); }},
            {')', 0, '@', F::Value, 0, ignore},
            {')', 0, 0, F::Value, 0, ignore},
            // Symbol set: the value and the terminator name it ("(8U", "(10U").
            {'(', 0, 0, F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 s.flush_text();
                 std::string set = k.c.text + k.c.final;
                 bool known = true;
                 symbol_set_table(set, known);
                 if (!known)
                     s.problems_.report(k.c.offset, "symset " + set,
                                        "symbol set " + set + " drawn as Roman-8");
                 s.font_.symbol_set = set;
                 s.font_dirty_ = true;
                 s.primary_by_id_ = false;
             }},

            // Languages (%)
            {'%', 0, 'X', F::Value, 0,  // universal exit language
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 s.flush_text();
                 s.raster_end();
                 if (s.marked_) s.eject(true);
                 s.reset();
                 s.pjl(k.in);
             }},
            {'%', 0, 'B', F::Value, 0,
             [](PclCall& k) {
                 k.s.flush_text();
                 k.s.raster_end();
                 k.s.hpgl_run(k.in, clamp_int(k.v, -1, 3), k.c.offset);
             }},
            // Already in PCL; an odd value takes the pen position as the cursor.
            {'%', 0, 'A', F::Value, 0,
             [](PclCall& k) {
                 Interpreter& s = k.s;
                 if (!(static_cast<long>(k.v) & 1)) return;
                 Point at = s.plotter_to_page(s.gl_.pen_x, s.gl_.pen_y);
                 s.x_ = at.x;
                 s.y_ = at.y;
             }},
        };
        std::stable_sort(t.begin(), t.end(),
                         [](const Row& a, const Row& b) { return a.key() < b.key(); });
        return t;
    }();
    return table;
}

const PclCommands::Row* PclCommands::find(const Command& c) {
    const std::vector<Row>& t = rows();
    auto lookup = [&](int key) -> const Row* {
        auto it = std::lower_bound(t.begin(), t.end(), key,
                                   [](const Row& r, int k) { return r.key() < k; });
        return it != t.end() && it->key() == key ? &*it : nullptr;
    };
    if (const Row* r = lookup(key_of(c.parameter, c.group, c.final))) return r;
    return lookup(key_of(c.parameter, c.group, 0));
}

bool Interpreter::takes_data(const Command& c) const {
    const PclCommands::Row* row = PclCommands::find(c);
    return row && row->form == PclCommands::Form::Data;
}

void Interpreter::execute(Input& in, Command& c, int depth) {
    const PclCommands::Row* row = PclCommands::find(c);
    if (!row) {
        unknown(c);
        return;
    }
    std::string data;
    if (row->form == PclCommands::Form::Data)
        skip_data(in, byte_count(c.value), row->keep ? &data : nullptr, row->keep);
    PclCall call{*this, in, c, depth, data, c.value};
    row->run(call);
}

}  // namespace morvel::render
