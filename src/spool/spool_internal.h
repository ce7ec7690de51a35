#pragma once
// Pieces shared by the spool reader's files: the window primitives and the line reader.
#include <cstddef>

#include "spool/spool_reader.h"

namespace morvel {
namespace spool_detail {

/// False, after "Trying to get information from the spool file before its opened", when closed.
bool require_open(Run& run);

/// Bytes readable at the reading position without a slide; slides first when due.
/// 0 at the end of the data, and also when a pinned look-ahead cannot slide further.
std::size_t window_available(Run& run);
/// Valid bytes of the window, cut where a substitute character ended the data.
std::size_t window_limit(const SpoolWindow& w);
/// Byte k past the reading position when it is spool data in the window, else -1.
int window_peek(const SpoolWindow& w, std::size_t k);
/// Whether the data is exhausted (not merely out of a look-ahead's reach).
bool window_at_end(Run& run);
/// Moves the reading position over n bytes.
inline void window_consume(SpoolWindow& w, std::size_t n) {
    w.pos += n;
}
/// Keeps the current position in the window until window_return.
inline void window_pin(SpoolWindow& w) {
    w.pin = w.base + static_cast<long>(w.pos);
}
/// Goes back to the pinned position and lets the window slide freely again.
void window_return(SpoolWindow& w);
/// Releases the pin without moving.
inline void window_unpin(SpoolWindow& w) {
    w.pin = -1;
}

/// How one physical line ended.
enum class LineEnd { None, LineFeed, FormFeed, Substitute, Limit, Data };

/// How a line is read: the tab width, the character mode, and whether it reports its
/// problems and sets spool_line (look-aheads do neither; the page read that consumes
/// the line later does both, so each line is reported once).
struct LineMode {
    int tab_width = 8;
    bool utf8 = false;
    bool report = true;
    bool set_variable = true;
};

/// Reads one line into run.spool.line. LineEnd::None when no line could be read.
LineEnd read_line(Run& run, const LineMode& mode);

/// Whether a line that ended this way also ends the page.
inline bool ends_page(LineEnd e) {
    return e == LineEnd::FormFeed || e == LineEnd::Substitute;
}

/// Reads n lines into run.spool.page (bounds checked, storage reused); see read_page.
int fill_page(Run& run, int lines, const LineMode& mode);
/// Drops the current page, keeping its storage for the next.
void free_page(SpoolPage& page);

}  // namespace spool_detail
}  // namespace morvel
