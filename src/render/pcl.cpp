// The PCL side of the interpreter: the escape-sequence parser, job and page set-up,
// cursor positioning and macros.
#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include "core/strfmt.h"
#include "render/interpreter.h"
#include "render/params.h"

namespace morvel::render {

namespace {

constexpr std::size_t kMaxMacroBytes = 16u << 20;
constexpr int kMaxMacroDepth = 3;

struct PaperSize {
    int code;
    double width, height;           // points
    double off_portrait, off_land;  // logical page offsets, points
};

constexpr double kMm = 72.0 / 25.4;
constexpr PaperSize kPapers[] = {
    {1, 522, 756, 18, 14.4},
    {2, 612, 792, 18, 14.4},
    {3, 612, 1008, 18, 14.4},
    {6, 792, 1224, 18, 14.4},
    {25, 148 * kMm, 210 * kMm, 71 * 0.24, 59 * 0.24},
    {26, 210 * kMm, 297 * kMm, 71 * 0.24, 59 * 0.24},
    {27, 297 * kMm, 420 * kMm, 71 * 0.24, 59 * 0.24},
    {45, 182 * kMm, 257 * kMm, 71 * 0.24, 59 * 0.24},
    {46, 257 * kMm, 364 * kMm, 71 * 0.24, 59 * 0.24},
    {71, 100 * kMm, 148 * kMm, 71 * 0.24, 59 * 0.24},
    {72, 148 * kMm, 200 * kMm, 71 * 0.24, 59 * 0.24},
    {80, 279, 540, 18, 14.4},
    {81, 297, 684, 18, 14.4},
    {90, 110 * kMm, 220 * kMm, 71 * 0.24, 59 * 0.24},
    {91, 162 * kMm, 229 * kMm, 71 * 0.24, 59 * 0.24},
    {100, 176 * kMm, 250 * kMm, 71 * 0.24, 59 * 0.24},
};

std::string describe(const Command& c) {
    std::string s = "ESC";
    if (c.parameter) s += c.parameter;
    if (c.group) s += c.group;
    if (c.parameter) s += "#";
    if (std::isprint(static_cast<unsigned char>(c.final)))
        s += c.final;
    else
        s += strfmt("\\x%02x", static_cast<unsigned>(static_cast<unsigned char>(c.final)));
    return s;
}

}  // namespace

Interpreter::Interpreter(Device& device, FontCache& fonts, Problems& problems)
    : device_(device), fonts_(fonts), problems_(problems) {
    reset();
}

Interpreter::~Interpreter() = default;

void Interpreter::run(Input& in) {
    top_input_ = &in;
    run_stream(in, 0);
    if (defining_) {
        problems_.report(offset_now_, "macro-open", "macro definition not ended");
        defining_ = false;
        in.capture = nullptr;
    }
}

void Interpreter::note_job_start(int byte) {
    job_start_.push_back(static_cast<char>(byte));
    // Files a printer of this language would print as text, given by mistake.
    static constexpr std::pair<const char*, const char*> kOthers[] = {
        {"%PDF-", "a PDF file"},
        {"%!PS", "a PostScript file"},
    };
    for (const auto& [start, what] : kOthers)
        if (job_start_ == start)
            problems_.report(0, "not pcl",
                             strfmt("the job is %s, not a PCL job: it is drawn as text", what));
}

void Interpreter::finish() {
    flush_text();
    raster_end();
    if (marked_ || device_.pages() == 0) eject(true);
}

void Interpreter::run_stream(Input& in, int depth) {
    for (;;) {
        int b = in.get();
        if (b < 0) return;
        if (depth == 0) {
            offset_now_ = in.offset() - 1;
            if (offset_now_ < 5) note_job_start(b);
        }
        if (b == 0x1b) {
            Command c;
            c.offset = offset_now_;
            std::size_t mark = defining_ ? definition_.size() - 1 : 0;
            int next = in.get();
            if (next < 0) {
                problems_.report(offset_now_, "truncated", "escape sequence cut short");
                return;
            }
            if (next >= 0x21 && next <= 0x2f) {
                c.parameter = static_cast<char>(next);
                int g = in.peek();
                if (g >= 0x60 && g <= 0x7e) c.group = static_cast<char>(in.get());
                bool more = true;
                while (more) {
                    if (!read_command(in, 0, c, more)) break;
                    if (defining_) {
                        if (c.parameter == '&' && c.group == 'f' && c.final == 'X' &&
                            c.value == 1) {
                            in.capture = nullptr;
                            definition_.resize(mark);
                            defining_ = false;
                            if (macro_bytes_ + definition_.size() > kMaxMacroBytes) {
                                problems_.report(c.offset, "macro-size",
                                                 "macro storage full, definition dropped");
                            } else {
                                macro_bytes_ += definition_.size();
                                auto old = macros_.find(macro_id_);
                                if (old != macros_.end()) macro_bytes_ -= old->second.body.size();
                                macros_[macro_id_] = Macro{std::move(definition_), false};
                            }
                            definition_.clear();
                            // Bytes after the end of the definition in the same sequence run.
                            continue;
                        }
                        if (takes_data(c))
                            skip_data(in, static_cast<long long>(c.value), nullptr, 0);
                        continue;
                    }
                    execute(in, c, depth);
                }
            } else if (next >= 0x30 && next <= 0x7e) {
                if (!defining_) execute_two_char(next, offset_now_);
            } else {
                problems_.report(offset_now_, strfmt("esc-%d", next),
                                 strfmt("malformed escape sequence (byte %d after ESC)", next));
            }
            continue;
        }
        if (defining_) continue;
        if (b < 0x20)
            control(b, offset_now_);
        else
            text_byte(b, offset_now_);
    }
}

bool Interpreter::read_command(Input& in, int, Command& c, bool& more) {
    c.value = 0;
    c.has_value = false;
    c.has_sign = false;
    c.text.clear();
    int b = in.peek();
    bool negative = false;
    if (b == '+' || b == '-') {
        c.has_sign = true;
        negative = b == '-';
        c.text += static_cast<char>(b);
        in.get();
        b = in.peek();
    }
    double value = 0, scale = 0;
    while ((b >= '0' && b <= '9') || b == '.') {
        in.get();
        if (c.text.size() < 32) c.text += static_cast<char>(b);
        if (b == '.') {
            if (scale == 0) scale = 1;
        } else if (scale == 0) {
            if (value < 1e12) value = value * 10 + (b - '0');
        } else if (scale < 1e12) {
            scale *= 10;
            value += (b - '0') / scale;
        }
        c.has_value = true;
        b = in.peek();
    }
    c.value = negative ? -value : value;
    if (b < 0) {
        problems_.report(c.offset, "truncated", "escape sequence cut short");
        more = false;
        return false;
    }
    if (b >= 0x60 && b <= 0x7e) {
        in.get();
        c.final = static_cast<char>(b - 0x20);
        more = true;
        return true;
    }
    if (b >= 0x40 && b <= 0x5e) {
        in.get();
        c.final = static_cast<char>(b);
        more = false;
        return true;
    }
    problems_.report(c.offset, "malformed", "malformed escape sequence");
    more = false;
    return false;
}

void Interpreter::skip_data(Input& in, long long count, std::string* keep, std::size_t keep_max) {
    if (keep) keep->clear();
    for (long long i = 0; i < count; ++i) {
        int b = in.get();
        if (b < 0) {
            problems_.report(offset_now_, "data-short",
                             "command data cut short by the end of the job");
            return;
        }
        if (keep && keep->size() < keep_max) keep->push_back(static_cast<char>(b));
    }
}

void Interpreter::unknown(const Command& c) {
    std::string name = describe(c);
    problems_.report(c.offset, "unknown " + name, "unknown command " + name + " skipped");
}

namespace {

constexpr std::string_view kUniversalExit = "\x1b%-12345X";
constexpr std::size_t kMaxPjlLine = 256;

// The value after "NAME=" in an upper-cased PJL line, without blanks and quotes.
std::string pjl_value(const std::string& line, std::string_view name) {
    std::size_t at = line.find(name);
    if (at == std::string::npos) return {};
    at = line.find('=', at + name.size());
    if (at == std::string::npos) return {};
    std::string value;
    for (char ch : line.substr(at + 1))
        if (ch != ' ' && ch != '\t' && ch != '"' && ch != '\r') value += ch;
    return value;
}

}  // namespace

// After the universal exit a printer reads PJL lines ("@PJL ...") until ENTER LANGUAGE
// or the first byte that is not PJL; PCL 5 follows. A job in a language not drawn here
// is skipped up to the next universal exit.
void Interpreter::pjl(Input& in) {
    for (;;) {
        int b = in.peek();
        if (b == '\r' || b == '\n' || b == ' ' || b == '\t') {
            in.get();
            continue;
        }
        if (b != '@') return;
        long long at = &in == top_input_ ? in.offset() : offset_now_;
        std::string line;
        while ((b = in.get()) >= 0 && b != '\n')
            if (line.size() < kMaxPjlLine) line += static_cast<char>(std::toupper(b));
        if (line.rfind("@PJL", 0) != 0) continue;
        if (line.find("RESOLUTION") != std::string::npos) {
            std::string value = pjl_value(line, "RESOLUTION");
            double dpi = std::atof(value.c_str());
            if (dpi >= 75 && dpi <= 2400) resolution_ = dpi;
            continue;
        }
        if (line.find("ENTER") == std::string::npos) continue;
        std::string language = pjl_value(line, "LANGUAGE");
        if (language == "PCL" || language == "PCL5" || language == "PCL5E" || language == "PCL5C" ||
            language.empty())
            return;
        problems_.report(at, "language " + language,
                         "job language " + language + " is not drawn, skipped");
        // Up to the next universal exit; PJL may follow it again.
        std::size_t matched = 0;
        while (matched < kUniversalExit.size()) {
            b = in.get();
            if (b < 0) return;
            if (b == static_cast<unsigned char>(kUniversalExit[matched]))
                ++matched;
            else
                matched = b == 0x1b ? 1 : 0;
        }
        reset();
    }
}

void Interpreter::execute_two_char(int c, long long offset) {
    switch (c) {
        case 'E':
            flush_text();
            raster_end();
            if (marked_) eject(true);
            reset();
            return;
        case '9':
            left_margin_ = 0;
            return;
        case '=':
            flush_text();
            y_ += vmi_ / 2;
            return;
        case 'Y':
        case 'Z':
        case 'z':
            return;
        default:
            // The escape is dropped and the character stays text, as printers do.
            problems_.report(offset, strfmt("esc %c", c),
                             strfmt("unknown command ESC%c skipped", c));
            text_byte(c, offset);
    }
}

void Interpreter::control(int byte, long long offset) {
    switch (byte) {
        case '\r':
            flush_text();
            x_ = left_margin_;
            if (line_termination_ & 1) y_ += vmi_;
            return;
        case '\n':
            flush_text();
            if (line_termination_ & 2) x_ = left_margin_;
            y_ += vmi_;
            return;
        case '\f': {
            // A form feed keeps the horizontal position: the cursor goes to
            // the top of the next page's text area, in the same column.
            flush_text();
            raster_end();
            double column = x_;
            eject(true);
            x_ = column;
            return;
        }
        case '\b':
            flush_text();
            x_ = std::max(left_margin_, x_ - last_advance_);
            return;
        case '\t': {
            flush_text();
            double tab = 8 * hmi();
            if (tab > 0)
                x_ = left_margin_ + (std::floor((x_ - left_margin_) / tab + 1e-9) + 1) * tab;
            return;
        }
        case 0x0e:  // shift out: the secondary font prints
        case 0x0f:
            flush_text();
            shifted_out_ = byte == 0x0e;
            return;
        case 0:
            return;
        default: {
            // Symbol sets such as PC-8 print symbols for the other control codes.
            const ActiveFont* font = current_font();
            if (font && font->character[static_cast<std::size_t>(byte)] >= 0x20)
                text_byte(byte, offset);
            return;
        }
    }
}

void Interpreter::reset() {
    flush_text();
    raster_end();
    // A reset goes back to the printer's default paper, letter.
    set_page_size(2);
    orientation_ = 0;
    copies_ = 1;
    units_per_inch_ = 300;
    registration_x_ = registration_y_ = 0;
    vmi_ = 12;
    default_margins();
    hmi_override_ = -1;
    line_termination_ = 0;
    wrap_ = false;
    font_ = FontRequest{};
    pitch_ = 10;
    height_ = 12;
    underline_ = false;
    font_dirty_ = true;
    palette_ = {Rgb{1, 1, 1}, Rgb{0, 0, 0}};
    palette_stack_.clear();
    pixel_bits_ = 1;
    indexed_by_pixel_ = false;
    foreground_ = Rgb{0, 0, 0};
    pattern_ = 0;
    area_id_ = 0;
    source_transparent_ = true;
    pattern_transparent_ = true;
    rop_ = 252;
    rule_w_ = rule_h_ = 0;
    raster_res_ = 75;
    raster_width_ = raster_height_ = 0;
    raster_presentation_ = 0;
    raster_dest_w_ = raster_dest_h_ = 0;
    compression_ = 0;
    overlay_ = -1;
    cursor_stack_.clear();
    // Temporary downloaded fonts go too, and the built-in font prints again.
    soft_.reset();
    soft_primary_ = soft_secondary_ = -1;
    primary_by_id_ = shifted_out_ = false;
    pattern_control(1);  // temporary patterns go too
    // Temporary macros go with a reset; permanent ones stay.
    for (auto it = macros_.begin(); it != macros_.end();) {
        if (!it->second.permanent) {
            macro_bytes_ -= it->second.body.size();
            it = macros_.erase(it);
        } else {
            ++it;
        }
    }
    default_cursor();
    hpgl_default_frame();
    hpgl_reset();
}

void Interpreter::clamp_cursor() {
    // The cursor cannot leave the logical page.
    x_ = std::clamp(x_, 0.0, logical_width());
    y_ = std::clamp(y_, 0.0, logical_height());
}

void Interpreter::default_margins() {
    // Half an inch at the top; the left margin at the logical page's edge.
    top_margin_ = kDefaultTopMargin;
    left_margin_ = 0;
}

void Interpreter::default_cursor() {
    x_ = left_margin_;
    y_ = top_margin_ + 0.75 * vmi_;
}

double Interpreter::logical_width() const {
    return orientation_ % 2 == 0 ? paper_w_ - 2 * offset_portrait_
                                 : paper_h_ - 2 * offset_landscape_;
}

double Interpreter::logical_height() const {
    return orientation_ % 2 == 0 ? paper_h_ : paper_w_;
}

bool Interpreter::set_page_size(int code) {
    for (const PaperSize& p : kPapers) {
        if (p.code != code) continue;
        paper_w_ = p.width;
        paper_h_ = p.height;
        offset_portrait_ = p.off_portrait;
        offset_landscape_ = p.off_land;
        return true;
    }
    return false;
}

void Interpreter::set_orientation(int o) {
    orientation_ = o;
}

cairo_t* Interpreter::page() {
    if (cr_) return device_.mark(cr_);
    cr_ = device_.begin_page(paper_w_, paper_h_);
    // On pixels the sheet is a whole number of them, and the far edges the logical
    // page is placed from are the sheet's edges as the device made it.
    double sheet_w = paper_w_, sheet_h = paper_h_;
    if (double ppp = device_.pixels_per_point(); ppp > 0) {
        sheet_w = std::round(paper_w_ * ppp) / ppp;
        sheet_h = std::round(paper_h_ * ppp) / ppp;
    }
    cairo_matrix_t m;
    switch (orientation_) {
        case 1:
            cairo_matrix_init(&m, 0, -1, 1, 0, 0, sheet_h - offset_landscape_);
            break;
        case 2:
            cairo_matrix_init(&m, -1, 0, 0, -1, sheet_w - offset_portrait_, sheet_h);
            break;
        case 3:
            cairo_matrix_init(&m, 0, 1, -1, 0, sheet_w, offset_landscape_);
            break;
        default:
            cairo_matrix_init(&m, 1, 0, 0, 1, offset_portrait_, 0);
            break;
    }
    // Registration moves the whole page image on the sheet.
    m.x0 += registration_x_;
    m.y0 += registration_y_;
    // On pixels the logical page starts on a whole dot, as a printer's does.
    if (double ppp = device_.pixels_per_point(); ppp > 0) {
        m.x0 = std::round(m.x0 * ppp) / ppp;
        m.y0 = std::round(m.y0 * ppp) / ppp;
    }
    cairo_transform(cr_, &m);
    cairo_get_matrix(cr_, &logical_to_device_);
    // Nothing prints outside the logical page: marks that cross its edges are cut there.
    cairo_rectangle(cr_, 0, 0, logical_width(), logical_height());
    cairo_clip(cr_);
    marked_ = true;
    return cr_;
}

void Interpreter::eject(bool always) {
    flush_text();
    raster_end();
    if (overlay_ >= 0 && !in_overlay_ && macros_.count(overlay_)) {
        in_overlay_ = true;
        Point saved{x_, y_};
        run_macro(overlay_, 1, true);
        x_ = saved.x;
        y_ = saved.y;
        in_overlay_ = false;
    }
    if (cr_ || always) {
        if (!cr_) page();
        std::string error;
        if (!device_.end_page(error, copies_)) problems_.report(offset_now_, "device", error);
        cr_ = nullptr;
    }
    marked_ = false;
    default_cursor();
}

void Interpreter::macro_control(int op, Input& in, int depth) {
    switch (op) {
        case 0:
            flush_text();
            defining_ = true;
            definition_.clear();
            in.capture = &definition_;
            return;
        case 1:
            return;
        case 2:
        case 3:
            flush_text();
            run_macro(macro_id_, depth + 1, op == 3);
            return;
        case 4:
            overlay_ = macro_id_;
            return;
        case 5:
            overlay_ = -1;
            return;
        case 6:
        case 7:
            for (auto it = macros_.begin(); it != macros_.end();) {
                if (op == 6 || !it->second.permanent) {
                    macro_bytes_ -= it->second.body.size();
                    it = macros_.erase(it);
                } else {
                    ++it;
                }
            }
            return;
        case 8: {
            auto it = macros_.find(macro_id_);
            if (it != macros_.end()) {
                macro_bytes_ -= it->second.body.size();
                macros_.erase(it);
            }
            return;
        }
        case 9:
        case 10: {
            auto it = macros_.find(macro_id_);
            if (it == macros_.end()) return;
            it->second.permanent = op == 10;
            return;
        }
        default:
            problems_.report(offset_now_, strfmt("macro op %d", op),
                             strfmt("unknown macro control %d skipped", op));
    }
}

void Interpreter::run_macro(int id, int depth, bool call) {
    auto it = macros_.find(id);
    if (it == macros_.end()) {
        problems_.report(offset_now_, strfmt("macro %d", id),
                         strfmt("macro %d is not defined", id));
        return;
    }
    if (depth >= kMaxMacroDepth) {
        problems_.report(offset_now_, "macro-depth", "macros nested too deeply, call skipped");
        return;
    }
    // A copy: the macro may delete or redefine itself while it runs.
    std::string body = it->second.body;
    std::string_view bytes = body;
    FontRequest saved_font = font_;
    double saved_pitch = pitch_, saved_height = height_;
    MemoryInput in(bytes);
    run_stream(in, depth);
    if (defining_) {
        problems_.report(offset_now_, "macro-open", "macro definition not ended");
        defining_ = false;
        in.capture = nullptr;
    }
    flush_text();
    // A call gives back the font it found; the cursor stays where the macro
    // left it, so text after a called macro follows what the macro printed.
    if (call) {
        font_ = saved_font;
        pitch_ = saved_pitch;
        height_ = saved_height;
        font_dirty_ = true;
    }
}

}  // namespace morvel::render
