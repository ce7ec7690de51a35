// Looking past the current page without consuming it: the end-of-spool test and
// LOOK_AHEAD. Both pin the reading position so the window cannot slide it away.
#include <string>

#include "core/messages.h"
#include "run.h"
#include "spool/spool_internal.h"

namespace morvel {

using namespace spool_detail;

int at_end_of_spool(Run& run) {
    if (!require_open(run)) return 1;
    SpoolWindow& w = run.spool.window;
    if (window_at_end(run)) return 1;
    window_pin(w);
    LineMode mode;
    mode.utf8 = run.spool.utf8_mode == 1;
    mode.report = false;
    LineEnd end = read_line(run, mode);
    // An empty line at the very end counts as none: it stays consumed.
    if (end != LineEnd::None && run.spool.line.chars == 0 && window_at_end(run)) {
        window_unpin(w);
        return 1;
    }
    window_return(w);
    return window_at_end(run) ? 1 : 0;
}

Text look_ahead_line(Run& run, std::string_view field_name, bool colon_field, int x, int y,
                     int length, bool expanded) {
    if (colon_field) {
        std::string name(field_name);
        report_error(run, 0, "Cannot use look_ahead on %s as its a COLON_FIELD", name.c_str());
        return std::nullopt;
    }
    if (x <= 0 || y <= 0 || length <= 0 || x >= kSpoolLineWidth || y >= 300) {
        report_error(run, 0, "look ahead has illegal value in field %d,%d,%d", x, y, length);
        return std::nullopt;
    }
    if (!require_open(run)) return std::nullopt;
    SpoolReader& r = run.spool;
    window_pin(r.window);
    LineMode mode;
    mode.utf8 = r.utf8_mode == 1;
    mode.report = false;
    mode.set_variable = false;
    bool found = true;
    for (int i = 1; i <= y && found; ++i) {
        LineEnd end = read_line(run, mode);
        // Lines past the end of the data or past the next page end are empty.
        if (end == LineEnd::None || (i < y && ends_page(end))) found = false;
    }
    window_return(r.window);
    std::string out;
    if (found) {
        const SpoolLine& line = r.line;
        std::size_t from = static_cast<std::size_t>(x - 1);
        std::size_t count = static_cast<std::size_t>(length);
        if (!mode.utf8) {
            if (from < line.text.size()) out = line.text.substr(from, count);
        } else {
            std::size_t at = 0;
            for (std::size_t c = 0; c < line.widths.size() && c < from + count; ++c) {
                if (c >= from) out.append(line.text, at, line.widths[c]);
                at += line.widths[c];
            }
        }
    }
    if (!expanded) {
        std::size_t keep = out.find_last_not_of(' ');
        out.erase(keep == std::string::npos ? 0 : keep + 1);
    }
    return out;
}

}  // namespace morvel
