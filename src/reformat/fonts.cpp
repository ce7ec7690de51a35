#include "reformat/fonts.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "core/messages.h"
#include "core/printer_out.h"
#include "core/strfmt.h"
#include "language/programs.h"
#include "reformat/job_setup.h"
#include "reformat/place_text.h"
#include "reformat/reformat_state.h"
#include "run.h"
#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Colour selection applies only while the running program has colour switched on.
bool colour_is_on(Run& run) {
    return run.reformat.program && colour_on(run, *run.reformat.program) > 0;
}

// Whether every value of the font is a number written in the definition: reading them
// gives the same every time, and no message.
bool has_literal_numbers(const HpFont& font) {
    auto literal = [](const Value& v) {
        return v.kind == ValueKind::Literal && is_number(v.literal);
    };
    return literal(font.proportional) && literal(font.size) && literal(font.boldness) &&
           literal(font.typeface) && (!font.effects || literal(*font.effects));
}

// The font selection and underline commands of f, formatted once per distinct font.
FontCommand& font_command(ReformatState& state, const ResolvedFont& f) {
    for (std::size_t i = 0; i < state.font_commands_used; ++i) {
        FontCommand& c = state.font_commands[i];
        if (c.proportional == f.proportional && c.size == f.size && c.effects == f.effects &&
            c.boldness == f.boldness && c.typeface == f.typeface && c.underline == f.underline)
            return c;
    }
    std::size_t slot = state.font_commands_next;
    state.font_commands_next = (slot + 1) % state.font_commands.size();
    if (state.font_commands_used < state.font_commands.size()) ++state.font_commands_used;
    FontCommand& c = state.font_commands[slot];
    c.proportional = f.proportional;
    c.size = f.size;
    c.effects = f.effects;
    c.boldness = f.boldness;
    c.typeface = f.typeface;
    c.underline = f.underline;
    c.literal_fonts.fill(nullptr);
    c.literal_fonts_next = 0;
    c.command.clear();
    if (f.proportional)
        appendf(c.command, "\033(s1p%fv%lds%ldb%ldT", f.size, f.effects, f.boldness, f.typeface);
    else
        appendf(c.command, "\033(s0p%fh%lds%ldb%ldT", f.size, f.effects, f.boldness, f.typeface);
    c.command.append(f.underline ? "\033&d0D" : "\033&d@");
    return c;
}

}  // namespace

HpFont* default_hp_font(Run& run) {
    // Every placed text selects the default font again afterwards: the entry is found
    // by name once. Entries never go while the run lasts.
    Identifier*& id = run.ids.default_hp_font;
    if (!id) id = lookup(run, "default_hp_font");
    return id ? id->as<HpFont>() : nullptr;
}

ResolvedFont resolve_font(Run& run, const HpFont* font, const FontOverride* override_) {
    ResolvedFont r;
    if (font) {
        r.proportional =
            argument_integer(run, font->proportional, "HP_FONT = name, (proportional)") != 0;
        r.size = argument_number(run, font->size, "HP_FONT(size)");
        if (font->effects) r.effects = argument_integer(run, *font->effects, "HP_FONT(effects)");
        r.boldness = argument_integer(run, font->boldness, "HP_FONT(boldness)");
        r.typeface = argument_integer(run, font->typeface, "HP_FONT(typeface)");
        r.underline = font->underline;
        r.colour = font->colour;
    }
    if (override_) {
        if (override_->size) r.size = argument_number(run, *override_->size, "FONT_OVERRIDE(size)");
        if (override_->effects)
            r.effects = argument_integer(run, *override_->effects, "FONT_OVERRIDE(effects)");
        if (override_->boldness)
            r.boldness = argument_integer(run, *override_->boldness, "FONT_OVERRIDE(boldness)");
        if (override_->colour >= 0) r.colour = override_->colour;
    }
    return r;
}

void select_font(Run& run, PclOut& out, const HpFont* font, const FontOverride* override_) {
    if (!font) font = default_hp_font(run);
    ReformatState& state = run.reformat;
    if (font && !override_) {
        // Text is placed in a few fonts, each selected before and after every line.
        for (std::size_t i = 0; i < state.font_commands_used; ++i) {
            const FontCommand& c = state.font_commands[i];
            if (std::find(c.literal_fonts.begin(), c.literal_fonts.end(), font) ==
                c.literal_fonts.end())
                continue;
            out.write_bytes(c.command);
            if (colour_is_on(run)) out.printf("\033*v%dS", font->colour);
            return;
        }
    }
    ResolvedFont f = resolve_font(run, font, override_);
    FontCommand& command = font_command(state, f);
    if (font && !override_ && has_literal_numbers(*font)) {
        command.literal_fonts[command.literal_fonts_next] = font;
        command.literal_fonts_next =
            (command.literal_fonts_next + 1) % command.literal_fonts.size();
    }
    out.write_bytes(command.command);
    if (colour_is_on(run)) out.printf("\033*v%dS", f.colour);
}

void select_default_font(Run& run, PclOut& out) {
    if (HpFont* font = default_hp_font(run)) select_font(run, out, font, nullptr);
}

void restore_default_colour(Run& run, PclOut& out) {
    HpFont* font = default_hp_font(run);
    out.printf("\033*v%dS", font ? font->colour : 0);
}

long hpgl_symbol_set(const Text* symbol_set) {
    if (!symbol_set || !*symbol_set || (*symbol_set)->empty()) return 277;
    const std::string& text = **symbol_set;
    long number = 0;
    std::size_t i = 0;
    // PCL symbol-set numbers are small; stop growing long before the type could overflow.
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
        if (number < 100000000) number = number * 10 + (text[i] - '0');
    long letter = i < text.size() ? static_cast<unsigned char>(text[i]) : 0;
    return number * 32 + letter - 64;
}

std::string hpgl_font(Run& run, const HpFont* font, const FontOverride* override_,
                      const Text* symbol_set) {
    if (!font) font = default_hp_font(run);
    if (!font && !override_) return std::string();
    long set = hpgl_symbol_set(symbol_set);
    int origin = 1;
    if (override_ && override_->alignment == Alignment::Centre) origin = 4;
    if (override_ && override_->alignment == Alignment::Right) origin = 7;
    ResolvedFont f = resolve_font(run, font, override_);
    std::string text;
    if (f.proportional)
        appendf(text, "SD1,%ld,2,1,4,%f,5,%ld,6,%ld,7,%ld;LO%d;", set, f.size, f.effects,
                f.boldness, f.typeface, origin);
    else
        appendf(text, "SD1,%ld,2,0,3,%f,5,%ld,6,%ld,7,%ld;LO%d;", set, f.size, f.effects,
                f.boldness, f.typeface, origin);
    if (colour_is_on(run)) appendf(text, "SP%d;", f.colour);
    return text;
}

std::string hpgl_direction(double angle) {
    if (angle == 0.0) return "DI1.000000,0.000000;";  // every label: spare the formatting
    double a = std::fmod(angle, 360.0);
    if (a < 0) a += 360.0;
    double run = 1.0;
    double rise = 0.0;
    if (a == 90.0) {
        run = 0.0;
        rise = 1.0;
    } else if (a == 270.0) {
        run = 0.0;
        rise = -1.0;
    } else if (a > 90.0 && a < 270.0) {
        run = -1.0;
        rise = -std::tan(a * kPi / 180.0);
    } else {
        rise = std::tan(a * kPi / 180.0);
        if (std::fabs(rise) < 0.1) rise = 0.0;
    }
    // A rise that rounds to nothing must not print as "-0.000000".
    if (std::fabs(rise) < 5e-7) rise = 0.0;
    return strfmt("DI%f,%f;", run, rise);
}

int label_terminator(std::string_view text) {
    bool used[128] = {};
    for (char c : text) {
        auto b = static_cast<unsigned char>(c);
        if (b < 128) used[b] = true;
    }
    for (int code = 33; code < 127; ++code)
        if (code != ';' && !used[code]) return code;
    return 127;
}

std::string hpgl_enter(int mode) {
    return strfmt("\033%%%dB", mode);
}
std::string hpgl_leave(int mode) {
    return strfmt("\033%%%dA", mode);
}
std::string hpgl_transparency(int mode) {
    return strfmt("TR%d;", mode);
}
std::string hpgl_pen(int pen) {
    return strfmt("SP%d;", pen);
}
std::string hpgl_fill_type(int type, int a, int b) {
    return strfmt("FT%d,%d,%d;", type, a, b);
}
std::string hpgl_character_fill(int mode) {
    return strfmt("CF%d;", mode);
}
std::string hpgl_character_fill(int mode, int edge_pen) {
    return strfmt("CF%d,%d;", mode, edge_pen);
}
std::string hpgl_define_terminator(int terminator, int mode) {
    return strfmt("DT%c,%d;", terminator, mode);
}
std::string hpgl_standard_font() {
    return "SS;";
}
std::string hpgl_label(std::string_view text, int terminator) {
    std::string s = "LB";
    s.append(text);
    appendf(s, "%c;", terminator);
    return s;
}
std::string hpgl_label_origin(int origin) {
    return strfmt("LO%d;", origin);
}

int place_label(Run& run, PclOut& out, std::string_view text, bool inverse, const HpFont* font,
                const FontOverride* override_, std::span<const std::size_t> marks) {
    int terminator = label_terminator(text);
    if (terminator == 127) {
        report_error(run, 0, "Unable to get a terminator for hpgl string");
        return -1;
    }
    out.write_bytes(hpgl_enter(1));
    int pen = 1;
    if (inverse) {
        out.write_bytes(hpgl_transparency(0));
        pen = 0;
    }
    out.write_bytes(hpgl_pen(pen));
    const Text* symbol_set = nullptr;
    Text set_text;
    if (run.reformat.program && run.reformat.program->symbol_set) {
        set_text = operand_text(run, *run.reformat.program->symbol_set);
        symbol_set = &set_text;
    }
    out.write_bytes(hpgl_font(run, font, override_, symbol_set));
    out.write_bytes(hpgl_direction(0));
    out.write_bytes(hpgl_fill_type(1, 0, 0));
    out.write_bytes(hpgl_define_terminator(terminator, 1));
    out.write_bytes(hpgl_standard_font());
    out.write_bytes(hpgl_fill_type(1, 0, 0));
    out.write_bytes(hpgl_character_fill(2));
    out.write_bytes("LB");
    write_marked(run, out, text, marks);
    out.printf("%c;", terminator);
    if (inverse) {
        out.write_bytes(hpgl_transparency(1));
        out.write_bytes(hpgl_pen(1));
    }
    out.write_bytes(hpgl_leave(0));
    if (colour_is_on(run)) restore_default_colour(run, out);
    return 0;
}

}  // namespace morvel
