#include "reformat/place_text.h"

#include <algorithm>
#include <climits>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/printer_out.h"
#include "language/programs.h"
#include "reformat/fonts.h"
#include "reformat/symbol_sets.h"
#include "run.h"
#include "values/identifiers.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

constexpr std::string_view kTotalMark = "%t";
constexpr std::string_view kTotalStars = "****";

// The copy of a text that is placed: "%t" found before any mapping (so MAP_LU cannot
// turn it into "%T"), expanded to "****" on text pages, then mapped byte by byte.
// Both live in the reformat state and are reused.
struct Prepared {
    std::string& text;
    std::vector<std::size_t>& marks;  ///< offsets of "%t" (printer) or "****" (text pages)
};

Prepared prepare(Run& run, const ReformatProgram& program, std::string_view text,
                 bool with_placeholders, bool text_page) {
    Prepared p{run.reformat.placed_text, run.reformat.placed_marks};
    p.text.clear();
    p.marks.clear();
    std::size_t pos = 0;
    while (with_placeholders) {
        std::size_t at = text.find(kTotalMark, pos);
        if (at == std::string_view::npos) break;
        p.text.append(text.substr(pos, at - pos));
        p.marks.push_back(p.text.size());
        p.text.append(text_page ? kTotalStars : kTotalMark);
        pos = at + kTotalMark.size();
    }
    p.text.append(text.substr(pos));
    // ASCII letters only: page data are bytes, whatever the locale. One loop per case
    // keeps the per-byte work to a table lookup.
    const auto& map = program.character_map;
    auto lookup = [&map](unsigned char b) { return static_cast<char>(map[b]); };
    if (program.map_upper) {
        for (char& c : p.text) {
            auto b = static_cast<unsigned char>(c);
            c = lookup(b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - 'a' + 'A') : b);
        }
    } else if (program.map_lower) {
        for (char& c : p.text) {
            auto b = static_cast<unsigned char>(c);
            c = lookup(b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b - 'A' + 'a') : b);
        }
    } else if (program.maps_characters) {
        for (char& c : p.text) c = lookup(static_cast<unsigned char>(c));
    }
    return p;
}

// Characters (not bytes) before a byte offset of a UTF-8 text.
int characters_before(std::string_view text, std::size_t offset) {
    int n = 0;
    for (std::size_t pos = 0; pos < offset && pos < text.size(); ++n)
        pos += static_cast<std::size_t>(utf8_character_length(text.substr(pos)));
    return n;
}

int place_on_page(Run& run, ReformatProgram& program, int x, int y, const Prepared& p,
                  const FontOverride* override_) {
    OutputPage& page = run.reformat.page;
    if (!page.allocated()) {
        report_error(run, 0, "Reformat program %s tried to output, but output page is missing",
                     program.name.c_str());
        return -1;
    }
    // Wide cells align by characters: counting bytes would push multi-byte text aside.
    long length =
        page.wide() ? characters_before(p.text, p.text.size()) : static_cast<long>(p.text.size());
    long column = x;
    long row = y;
    if (override_ && override_->alignment == Alignment::Centre) column -= (length + 1) / 2;
    if (override_ && override_->alignment == Alignment::Right) column -= length;
    if (column >= page.width() || row >= page.height()) {
        report_warning(run, 0, "Tried to output a field beyond page boundaries");
        return 0;
    }
    if (column < 0 || row < 0) {
        report_warning(run, 0, "Tried to output to a -ve coordinate, clipped to 0");
        if (column < 0) column = 0;
        if (row < 0) row = 0;
    }
    int c = static_cast<int>(column);
    int r = static_cast<int>(row);
    if (page.wide())
        page.put_characters(r, c, p.text);
    else
        page.put_bytes(r, c, p.text);

    for (std::size_t mark : p.marks) {
        // The page is written line by line at eject; lines below the first of a trimmed
        // page have no fixed length, so their offsets cannot be known in advance.
        if (program.trim_lines && r > 0) {
            report_error(run, 1, "Tried to use a total page on a trimmed text output");
            report_error(run, 0, "This is currently not allowed.");
            continue;
        }
        int first = c + (page.wide() ? characters_before(p.text, mark) : static_cast<int>(mark));
        // Only a placeholder that is wholly on the page may be patched later.
        if (first + static_cast<int>(kTotalStars.size()) <= page.width())
            page.placeholders.push_back({r, first});
    }
    return 0;
}

// A UTF-8 spool's characters, written in the page's symbol set: the one SYMBOL_SET
// selects, else the printer's own Roman-8. Sets other than the Latin text sets known
// here get the bytes as they are.
void encode_for_printer(Run& run, const ReformatProgram& program, Prepared& p) {
    std::string id = "8U";
    if (program.symbol_set) {
        Text set = operand_text(run, *program.symbol_set);
        if (!set) return;
        id = *set;
    }
    std::optional<SymbolSet> set = symbol_set_of(id);
    if (!set) return;
    // The characters that are missing are only collected until the warning is given.
    std::vector<char32_t> missing;
    std::size_t unknown = utf8_to_symbol_set(p.text, p.marks, *set,
                                             run.reformat.unmappable_warned ? nullptr : &missing);
    if (unknown > 0 && !run.reformat.unmappable_warned) {
        run.reformat.unmappable_warned = true;
        report_warning(run, 0,
                       "Symbol set %s cannot show some characters of the UTF-8 spool; they "
                       "print as ?",
                       id.c_str());
        std::optional<std::string_view> other = symbol_set_showing(missing);
        if (other && !missing.empty()) {
            std::string name(*other);
            report_info(run,
                        "Symbol set %s shows those characters: SYMBOL_SET = \"%s\" in the "
                        "program's SETTINGS",
                        name.c_str(), name.c_str());
        }
    }
}

bool has_non_ascii(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

int place_on_printer(Run& run, int x, int y, Prepared& p, bool inverse, const HpFont* font,
                     const FontOverride* override_) {
    PclOut& out = *run.reformat.out;
    if (run.spool.utf8_mode != 0 && has_non_ascii(p.text) && run.reformat.program)
        encode_for_printer(run, *run.reformat.program, p);
    set_cursor(run, out, x, y);
    if (x < 0 || y < 0) report_warning(run, 0, "Tried to output to a -ve coordinate");
    if (override_ && override_->alignment != Alignment::Left)
        return place_label(run, out, p.text, inverse, font, override_, p.marks);
    if (font || override_) select_font(run, out, font, override_);
    if (inverse) out.printf("\033*v1o1T");
    write_marked(run, out, p.text, p.marks);
    if (inverse) out.printf("\033*v0o0T");
    if (font || override_) select_default_font(run, out);
    return 0;
}

}  // namespace

void set_cursor(Run& run, PclOut& out, int x, int y) {
    out.printf("\033*p%dx%dY", x, y);
    set_watched_integer(run, Internal::LastX, x);
    set_watched_integer(run, Internal::LastY, y);
}

void write_placeholder(Run& run, PclOut& out) {
    if (run.reformat.output) run.reformat.output->total_page_placeholders.push_back(out.position());
    out.write_bytes("    ");
}

void write_marked(Run& run, PclOut& out, std::string_view text,
                  std::span<const std::size_t> marks) {
    std::size_t pos = 0;
    for (std::size_t mark : marks) {
        if (mark < pos || mark >= text.size()) continue;
        out.write_bytes(text.substr(pos, mark - pos));
        write_placeholder(run, out);
        pos = mark + kTotalMark.size();
    }
    if (pos < text.size()) out.write_bytes(text.substr(pos));
}

int place_text(Run& run, int x, int y, std::string_view text, bool inverse, const HpFont* font,
               const FontOverride* override_, bool with_placeholders) {
    ReformatProgram* program = run.reformat.program;
    if (!program || !run.reformat.out) return -1;
    if (text.empty()) return 0;
    bool text_page = program->kind == ReformatKind::TextPage;
    Prepared p = prepare(run, *program, text, with_placeholders, text_page);
    x = clamp_to_int(static_cast<long>(x) + program->x_shift);
    y = clamp_to_int(static_cast<long>(y) + program->y_shift);
    switch (program->kind) {
        case ReformatKind::TextPage:
            return place_on_page(run, *program, x, y, p, override_);
        case ReformatKind::Printer:
            return place_on_printer(run, x, y, p, inverse, font, override_);
        case ReformatKind::Epson:
            return 0;
    }
    return 0;
}

int place_lines(Run& run, int x, double y, std::string_view text, bool inverse, const HpFont* font,
                const FontOverride* override_, double line_step, bool with_placeholders) {
    int result = 0;
    std::size_t start = 0;
    while (true) {
        std::size_t end = text.find('\n', start);
        std::string_view line = text.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (place_text(run, x, clamp_to_int(truncate_to_long(y)), line, inverse, font, override_,
                       with_placeholders) != 0)
            result = -1;
        if (end == std::string_view::npos) break;
        start = end + 1;
        y += line_step;
    }
    return result;
}

int clamp_to_int(long v) {
    return static_cast<int>(std::clamp<long>(v, INT_MIN, INT_MAX));
}

long text_lines(const Text* text) {
    if (!text || !*text) return 0;
    return 1 + count_line_feeds(**text);
}

}  // namespace morvel
