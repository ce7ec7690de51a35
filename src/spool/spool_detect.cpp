// What the spool is, decided before it is read for the run: XML or text, bytes or
// UTF-8, and which definition an "auto" run uses.
#include <algorithm>
#include <cerrno>
#include <string>

#include "core/ascii.h"
#include "core/messages.h"
#include "run.h"
#include "spool/spool_internal.h"

namespace morvel {

using namespace spool_detail;

namespace {

bool starts_with(const unsigned char* b, std::initializer_list<unsigned char> bytes) {
    return std::equal(bytes.begin(), bytes.end(), b);
}

// Length of a byte-order mark at the front of b (8 bytes), 0 when there is none.
std::size_t byte_order_mark(const unsigned char* b) {
    if (starts_with(b, {0x00, 0x00, 0xFE, 0xFF}) || starts_with(b, {0xFF, 0xFE, 0x00, 0x00}) ||
        starts_with(b, {0x00, 0x00, 0xFF, 0xFE}) || starts_with(b, {0xFE, 0xFF, 0x00, 0x00}))
        return 4;
    if ((starts_with(b, {0xFE, 0xFF}) || starts_with(b, {0xFF, 0xFE})) &&
        !(b[2] == 0x00 && b[3] == 0x00))
        return 2;
    if (starts_with(b, {0xEF, 0xBB, 0xBF})) return 3;
    return 0;
}

// The first bytes of an XML document in each encoding family (XML 1.0, appendix F).
bool xml_signature(const unsigned char* b) {
    static const unsigned char patterns[][4] = {
        {0x00, 0x00, 0x00, 0x3C}, {0x3C, 0x00, 0x00, 0x00}, {0x00, 0x00, 0x3C, 0x00},
        {0x00, 0x3C, 0x00, 0x00}, {0x00, 0x3C, 0x00, 0x3F}, {0x3C, 0x00, 0x3F, 0x00},
        {0x3C, 0x3F, 0x78, 0x6D}, {0x4C, 0x6F, 0xA7, 0x94},
    };
    for (const auto& p : patterns)
        if (std::equal(p, p + 4, b)) return true;
    return false;
}

// Columns an auto-form text covers: its characters in UTF-8 mode, its bytes otherwise.
int text_columns(const std::string& text, bool utf8) {
    if (!utf8) return static_cast<int>(text.size());
    return static_cast<int>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

}  // namespace

int is_xml(Run& run, std::string_view spool_name) {
    if (!spool_is_open(run)) {
        if (spool_name.empty()) {
            report_error(run, 0, "passed NULL spool_name to is_xml");
            return -1;
        }
        if (!open_spool(run, spool_name)) {
            std::string name(spool_name);
            report_error(run, 2, "Unable to open spool file %s", name.c_str());
            return -1;
        }
    }
    // The signature is a matter of the raw first bytes; missing bytes read as blanks,
    // which no mark or pattern contains.
    SpoolWindow& w = run.spool.window;
    window_available(run);
    unsigned char b[8];
    for (std::size_t k = 0; k < sizeof b; ++k) {
        int v = window_peek(w, k);
        b[k] = v < 0 ? ' ' : static_cast<unsigned char>(v);
    }
    std::size_t mark = byte_order_mark(b);
    window_consume(w, mark);
    free_page(run.spool.page);
    return xml_signature(b + mark) ? 1 : 0;
}

namespace {

enum class Utf8Verdict { Bytes, Utf8, Unreadable };

// Whether the spool's first window holds UTF-8 with at least one character beyond ASCII
// (or began with the UTF-8 byte-order mark); nothing is consumed.
Utf8Verdict utf8_verdict(Run& run) {
    SpoolReader& r = run.spool;
    if (!require_open(run)) return Utf8Verdict::Bytes;
    SpoolWindow& w = r.window;
    window_available(run);
    if (w.base == 0 && w.pos == 3 && w.count >= 3 && w.data[0] == 0xEF && w.data[1] == 0xBB &&
        w.data[2] == 0xBF)
        return Utf8Verdict::Utf8;  // the UTF-8 byte-order mark was skipped
    std::size_t limit = window_limit(w);
    if (w.pos >= limit) return Utf8Verdict::Unreadable;
    // A character cut by the window's end says nothing against UTF-8: the stream goes on.
    bool cut_by_window = !w.eof && limit == w.count;
    bool multi = false;
    std::size_t i = w.pos;
    while (i < limit) {
        unsigned char c = w.data[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        int more = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0) return Utf8Verdict::Bytes;
        std::size_t k = 1;
        for (; k <= static_cast<std::size_t>(more) && i + k < limit; ++k)
            if ((w.data[i + k] & 0xC0) != 0x80) return Utf8Verdict::Bytes;
        if (k <= static_cast<std::size_t>(more)) {
            if (cut_by_window) break;
            return Utf8Verdict::Bytes;
        }
        multi = true;
        i += k;
    }
    return multi ? Utf8Verdict::Utf8 : Utf8Verdict::Bytes;
}

}  // namespace

void detect_utf8(Run& run) {
    Utf8Verdict verdict = utf8_verdict(run);
    if (verdict == Utf8Verdict::Unreadable)
        report_error(run, 0, "Unable to read spool file to determine if UTF-8");
    run.spool.utf8_mode = verdict == Utf8Verdict::Utf8 ? 1 : 0;
}

bool spool_looks_utf8(Run& run) {
    return utf8_verdict(run) == Utf8Verdict::Utf8;
}

std::optional<std::string> recognise_auto_form(Run& run, std::string_view spool_name,
                                               const std::vector<AutoForm>& forms) {
    if (forms.empty()) {
        errno = 0;  // no system call failed; a stale error text would mislead
        report_error(run, 2, "No auto_forms defined");
        return std::nullopt;
    }
    if (!spool_is_open(run) && !open_spool(run, spool_name)) {
        std::string name(spool_name);
        report_error(run, 2, "Unable to open spool file %s", name.c_str());
        return std::nullopt;
    }
    int lines = 0;
    for (const AutoForm& f : forms) lines = std::max(lines, f.y);
    if (lines > kSpoolMaxPageLines) {
        report_error(run, 0, "Auto form line %d is beyond the %d lines read to recognise a spool",
                     lines, kSpoolMaxPageLines);
        return std::nullopt;
    }
    SpoolReader& r = run.spool;
    window_pin(r.window);
    LineMode mode;
    mode.utf8 = r.utf8_mode == 1;
    mode.report = false;
    mode.set_variable = false;
    std::optional<std::string> match;
    if (lines > 0 && fill_page(run, lines, mode) > 0) {
        for (const AutoForm& f : forms) {
            Text t = cut_text(run, f.x, f.y, text_columns(f.text, mode.utf8));
            if (t && equal_ignore_case(*t, f.text)) {
                match = f.definition;
                break;
            }
        }
    }
    // The run reads the spool from its first byte whatever was found.
    window_return(r.window);
    free_page(r.page);
    if (!match) report_error(run, 0, "Unable to recognise spool file");
    return match;
}

}  // namespace morvel
