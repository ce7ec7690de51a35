// Cutting the byte stream into lines: line ends, form feeds, the substitute
// character, dropped carriage returns, the line limit, UTF-8 characters and tabs.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "core/messages.h"
#include "run.h"
#include "spool/spool_internal.h"
#include "values/identifiers.h"

namespace morvel {
namespace spool_detail {

namespace {

constexpr unsigned char kLineFeed = 0x0A;
constexpr unsigned char kFormFeed = 0x0C;
constexpr unsigned char kCarriageReturn = 0x0D;
constexpr unsigned char kSubstitute = 0x1A;

// The substitute character is the old end-of-file mark: the data ends with it,
// wherever the window happens to stand.
void end_data_here(SpoolWindow& w) {
    w.end = w.base + static_cast<long>(w.pos);
}

// Handles a byte below 0x80 at the reading position. Returns true when it ended
// the line (with *end set); otherwise it was stored or dropped.
bool take_ascii(SpoolWindow& w, SpoolLine& line, bool utf8, LineEnd* end) {
    unsigned char c = w.data[w.pos];
    switch (c) {
        case kLineFeed:
            window_consume(w, 1);
            *end = LineEnd::LineFeed;
            return true;
        case kFormFeed:
            window_consume(w, 1);
            *end = LineEnd::FormFeed;
            return true;
        case kSubstitute:
            window_consume(w, 1);
            end_data_here(w);
            *end = LineEnd::Substitute;
            return true;
        case kCarriageReturn:
            window_consume(w, 1);
            return false;
        default:
            // A full line ends only when another character follows, so a line of exactly
            // the maximum length still takes its own line end and adds no blank line.
            if (line.chars == kSpoolLineMax) {
                *end = LineEnd::Limit;
                return true;
            }
            line.text.push_back(static_cast<char>(c));
            if (utf8) line.widths.push_back(1);
            ++line.chars;
            window_consume(w, 1);
            return false;
    }
}

bool is_control(unsigned char c) {
    return c == kLineFeed || c == kFormFeed || c == kCarriageReturn || c == kSubstitute;
}

// Length of the leading stretch of p[0, n) without a control byte. Eight bytes are
// looked at together: a word none of whose bytes is below 0x1B holds none of the four.
std::size_t ordinary_stretch(const unsigned char* p, std::size_t n) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHighs = 0x8080808080808080u;
    std::size_t i = 0;
    while (i + 8 <= n) {
        std::uint64_t word;
        std::memcpy(&word, p + i, sizeof word);
        if (((word - kOnes * kSubstitute - kOnes) & ~word & kHighs) != 0) {
            for (std::size_t k = 0; k < 8; ++k)
                if (is_control(p[i + k])) return i + k;
        }
        i += 8;
    }
    while (i < n && !is_control(p[i])) ++i;
    return i;
}

// Byte mode takes runs of ordinary bytes at once; only the four control bytes are
// looked at one by one.
LineEnd scan_bytes(Run& run) {
    SpoolWindow& w = run.spool.window;
    SpoolLine& line = run.spool.line;
    LineEnd end = LineEnd::Data;
    for (;;) {
        std::size_t n = window_available(run);
        if (n == 0) return LineEnd::Data;
        const unsigned char* p = w.data.data() + w.pos;
        std::size_t run_length = ordinary_stretch(p, n);
        std::size_t room = static_cast<std::size_t>(kSpoolLineMax - line.chars);
        std::size_t take = std::min(run_length, room);
        line.text.append(reinterpret_cast<const char*>(p), take);
        line.chars += static_cast<int>(take);
        window_consume(w, take);
        if (take < run_length) return LineEnd::Limit;
        if (run_length < n && take_ascii(w, line, false, &end)) return end;
    }
}

// Bytes a lead byte promises after itself, or -1 for a byte that cannot start a character.
int continuation_count(unsigned char c) {
    if ((c & 0xE0) == 0xC0) return 1;
    if ((c & 0xF0) == 0xE0) return 2;
    if ((c & 0xF8) == 0xF0) return 3;
    return -1;
}

void warn_invalid(Run& run, unsigned char c) {
    if ((c & 0xFC) == 0xF8)
        report_warning(run, 0, "either unsupported 5 byte char or invalid UTF-8 in spool");
    else if ((c & 0xFE) == 0xFC)
        report_warning(run, 0, "either unsupported 6 byte char or invalid UTF-8 in spool");
    else
        report_warning(run, 0, "invalid UTF-8 in spool");
}

LineEnd scan_utf8(Run& run, bool report) {
    SpoolWindow& w = run.spool.window;
    SpoolLine& line = run.spool.line;
    LineEnd end = LineEnd::Data;
    for (;;) {
        std::size_t n = window_available(run);
        if (n == 0) return LineEnd::Data;
        std::size_t stop = w.pos + n;
        while (w.pos < stop) {
            unsigned char c = w.data[w.pos];
            if (c < 0x80) {
                if (take_ascii(w, line, true, &end)) return end;
                continue;
            }
            if (line.chars == kSpoolLineMax) return LineEnd::Limit;
            int more = continuation_count(c);
            std::size_t width = 1;
            if (more < 0) {
                if (report) warn_invalid(run, c);
            } else {
                bool fits = true;
                for (int k = 1; k <= more && fits; ++k) {
                    int b = window_peek(w, static_cast<std::size_t>(k));
                    fits = b >= 0 && (b & 0xC0) == 0x80;
                }
                // A lead byte whose followers do not fit stands alone, without a message.
                if (fits) width = static_cast<std::size_t>(more) + 1;
            }
            line.text.append(reinterpret_cast<const char*>(w.data.data() + w.pos), width);
            line.widths.push_back(static_cast<unsigned char>(width));
            ++line.chars;
            window_consume(w, width);
        }
    }
}

// Tab expansion: each tab becomes blanks up to the next multiple of the tab width,
// columns counted from 0. The result is bounded while it is built, so a huge tab
// width costs no more than a full line. Both return whether the line was too long.

// Byte mode copies the stretches between tabs whole.
bool expand_byte_tabs(const std::string& in, int width, std::string& out, int* col) {
    std::size_t at = 0;
    while (at < in.size()) {
        std::size_t tab = std::min(in.find('\t', at), in.size());
        std::size_t stretch = std::min(tab - at, static_cast<std::size_t>(kSpoolLineMax - *col));
        out.append(in, at, stretch);
        *col += static_cast<int>(stretch);
        if (stretch < tab - at) return true;
        if (tab == in.size()) return false;
        int wanted = width - *col % width;
        int blanks = std::min(wanted, kSpoolLineMax - *col);
        out.append(static_cast<std::size_t>(blanks), ' ');
        *col += blanks;
        if (blanks < wanted) return true;
        at = tab + 1;
    }
    return false;
}

bool expand_utf8_tabs(const SpoolLine& line, int width, std::string& out,
                      std::vector<unsigned char>& out_widths, int* col) {
    std::size_t at = 0;
    for (int i = 0; i < line.chars; ++i) {
        std::size_t cw = line.widths[static_cast<std::size_t>(i)];
        int wanted = (cw == 1 && line.text[at] == '\t') ? width - *col % width : 1;
        int room = kSpoolLineMax - *col;
        int put = std::min(wanted, room);
        if (cw == 1 && line.text[at] == '\t') {
            out.append(static_cast<std::size_t>(put), ' ');
            out_widths.insert(out_widths.end(), static_cast<std::size_t>(put), 1);
        } else if (put == 1) {
            out.append(line.text, at, cw);
            out_widths.push_back(static_cast<unsigned char>(cw));
        }
        *col += put;
        if (put < wanted) return true;
        at += cw;
    }
    return false;
}

void expand_tabs(Run& run, const LineMode& mode) {
    SpoolLine& line = run.spool.line;
    if (line.text.find('\t') == std::string::npos) return;
    int width = std::max(mode.tab_width, 1);
    line.scratch.clear();
    line.scratch_widths.clear();
    int col = 0;
    bool too_long = mode.utf8
                        ? expand_utf8_tabs(line, width, line.scratch, line.scratch_widths, &col)
                        : expand_byte_tabs(line.text, width, line.scratch, &col);
    if (too_long && mode.report)
        report_error(run, 0, "Spool line is too long. Max length allowed is %d", kSpoolLineMax);
    line.text.swap(line.scratch);
    line.widths.swap(line.scratch_widths);
    line.chars = col;
}

}  // namespace

LineEnd read_line(Run& run, const LineMode& mode) {
    SpoolReader& r = run.spool;
    SpoolLine& line = r.line;
    line.text.clear();
    line.widths.clear();
    line.chars = 0;
    if (window_available(run) == 0) return LineEnd::None;
    LineEnd end = mode.utf8 ? scan_utf8(run, mode.report) : scan_bytes(run);
    if (line.chars > 0) expand_tabs(run, mode);
    if (mode.set_variable && variable_is_watched(run, Internal::SpoolLine))
        set_text_variable(run, Internal::SpoolLine, Text(line.text));
    return end;
}

}  // namespace spool_detail
}  // namespace morvel
