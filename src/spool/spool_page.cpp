// Pages: line pages in byte or UTF-8 cells, byte pages, and cutting text out of them.
#include <algorithm>
#include <cstring>
#include <exception>

#include "core/messages.h"
#include "run.h"
#include "spool/spool_internal.h"
#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {
namespace spool_detail {

namespace {

std::size_t row_bytes(bool utf8) {
    return utf8 ? static_cast<std::size_t>(kSpoolLineWidth) * kSpoolCellBytes
                : static_cast<std::size_t>(kSpoolLineWidth);
}

// Bytes of the character in a UTF-8 cell: its first byte always counts (it may be a
// zero byte of the spool); the rest up to the zero padding.
std::size_t cell_width(const char* cell) {
    std::size_t n = 1;
    while (n < static_cast<std::size_t>(kSpoolCellBytes) && cell[n] != 0) ++n;
    return n;
}

char padding(bool utf8) {
    return utf8 ? '\0' : ' ';
}

// Makes rows [0, lines) of the page buffer hold only padding, rewriting only what
// earlier pages used.
void prepare_rows(SpoolPage& page, int lines, bool utf8) {
    std::size_t rows = static_cast<std::size_t>(lines);
    std::size_t width = row_bytes(utf8);
    if (page.padded_utf8 != utf8) page.padded_rows = 0;
    if (page.padded_rows == 0) {
        page.buffer.assign(rows * width, padding(utf8));
        page.used.assign(rows, 0);
    } else {
        for (std::size_t i = 0; i < std::min(rows, page.padded_rows); ++i) {
            std::memset(page.buffer.data() + i * width, padding(utf8), page.used[i]);
            page.used[i] = 0;
        }
        if (rows > page.padded_rows) {
            page.buffer.resize(rows * width, padding(utf8));
            page.used.resize(rows, 0);
        }
    }
    page.padded_rows = std::max(page.padded_rows, rows);
    page.padded_utf8 = utf8;
}

void store_line(SpoolPage& page, int index, const SpoolLine& line) {
    std::size_t i = static_cast<std::size_t>(index);
    char* row = page.buffer.data() + i * row_bytes(page.utf8);
    page.length[i] = line.chars;
    if (!page.utf8) {
        std::memcpy(row, line.text.data(), line.text.size());
        page.used[i] = line.text.size();
        return;
    }
    std::size_t at = 0;
    for (int c = 0; c < line.chars; ++c) {
        std::size_t w = line.widths[static_cast<std::size_t>(c)];
        std::memcpy(row + static_cast<std::size_t>(c) * kSpoolCellBytes, line.text.data() + at, w);
        at += w;
    }
    page.used[i] = static_cast<std::size_t>(line.chars) * kSpoolCellBytes;
}

// Appends the text of a UTF-8 line's cells [from, to).
void append_cells(std::string& out, const SpoolPage& page, int index, int from, int to) {
    const char* row = page.buffer.data() + static_cast<std::size_t>(index) * row_bytes(true);
    for (int c = from; c < to; ++c) {
        const char* cell = row + static_cast<std::size_t>(c) * kSpoolCellBytes;
        out.append(cell, cell_width(cell));
    }
}

// spool_page: byte pages show every line as its full 1023 columns; UTF-8 pages each
// line's text only.
void build_page_text(std::string& out, const SpoolPage& page) {
    out.clear();
    for (int i = 0; i < page.lines; ++i) {
        if (i > 0) out.push_back('\n');
        if (page.utf8)
            append_cells(out, page, i, 0, page.length[static_cast<std::size_t>(i)]);
        else
            out.append(page.buffer.data() + static_cast<std::size_t>(i) * kSpoolLineWidth,
                       kSpoolLineMax);
    }
}

}  // namespace

void free_page(SpoolPage& page) {
    page.lines = 0;
    page.byte_page = false;
    page.byte_count = 0;
    page.first_offset = -1;
    page.last_offset = -1;
}

int fill_page(Run& run, int lines, const LineMode& mode) {
    SpoolPage& page = run.spool.page;
    free_page(page);
    // assign() keeps the capacity of earlier pages, so steady reading allocates nothing.
    try {
        prepare_rows(page, lines, mode.utf8);
        page.length.assign(static_cast<std::size_t>(lines), 0);
    } catch (const std::exception&) {
        page.padded_rows = 0;
        report_error(run, 0, "Unable to get memory for spool page");
        return -1;
    }
    page.utf8 = mode.utf8;
    long first = spool_offset(run);
    int read = 0;
    bool first_empty = false;
    for (int i = 0; i < lines; ++i) {
        LineEnd end = read_line(run, mode);
        if (end == LineEnd::None) break;
        store_line(page, i, run.spool.line);
        if (i == 0) first_empty = run.spool.line.chars == 0;
        ++read;
        if (ends_page(end)) break;
    }
    // A final line feed or form feed leaves an empty line at the end: no extra page.
    if (read == 0 || (read == 1 && first_empty && window_at_end(run))) return 0;
    page.lines = lines;
    page.first_offset = first;
    page.last_offset = spool_offset(run) - 1;
    return lines;
}

}  // namespace spool_detail

using namespace spool_detail;

int read_page(Run& run, int lines, int tab_width) {
    if (!require_open(run)) return -1;
    SpoolReader& r = run.spool;
    if (lines < 1 || lines > kSpoolMaxPageLines) {
        free_page(r.page);
        report_error(run, 0, "Spool page of %d lines asked for, a page holds 1 to %d lines", lines,
                     kSpoolMaxPageLines);
        return -1;
    }
    LineMode mode;
    mode.tab_width = tab_width;
    mode.utf8 = r.utf8_mode == 1;
    int got = fill_page(run, lines, mode);
    if (got <= 0 || !variable_is_watched(run, Internal::SpoolPage)) return got;
    try {
        if (!r.variable) r.variable.emplace();
        // The text moves into the variable below, so each page is built once and not
        // copied; byte pages have a known size.
        if (!r.page.utf8)
            r.variable->reserve(static_cast<std::size_t>(r.page.lines) * (kSpoolLineMax + 1));
        build_page_text(*r.variable, r.page);
    } catch (const std::exception&) {
        report_error(run, 2, "Unable to allocate space for spool page variable");
        r.variable.emplace();
    }
    set_text_variable(run, Internal::SpoolPage, std::move(r.variable));
    r.variable.reset();
    return got;
}

int read_byte_page(Run& run, long bytes) {
    if (!require_open(run)) return -1;
    SpoolReader& r = run.spool;
    SpoolPage& page = r.page;
    free_page(page);
    // BYTES_PER_PAGE is read at run time; a count below one would read nothing forever.
    if (bytes <= 0) {
        report_error(run, 0, "Invalid number of bytes for spool page %ld", bytes);
        return -1;
    }
    std::size_t want = static_cast<std::size_t>(bytes);
    page.padded_rows = 0;
    try {
        page.buffer.assign(want, ' ');
    } catch (const std::exception&) {
        report_error(run, 0, "Unable to allocate memory for spool page");
        return -1;
    }
    long first = spool_offset(run);
    SpoolWindow& w = r.window;
    std::size_t done = 0;
    while (done < want) {
        std::size_t n = std::min(window_available(run), want - done);
        if (n == 0) break;
        std::memcpy(page.buffer.data() + done, w.data.data() + w.pos, n);
        window_consume(w, n);
        done += n;
    }
    if (done < want) return -1;
    page.lines = 1;
    page.byte_page = true;
    page.utf8 = false;
    page.byte_count = want;
    page.length.assign(1, static_cast<int>(std::min<std::size_t>(want, kSpoolLineMax)));
    page.first_offset = first;
    page.last_offset = first + bytes - 1;
    return 0;
}

Text cut_text(const Run& run, int x, int y, int length) {
    const SpoolPage& page = run.spool.page;
    if (x <= 0 || y <= 0 || y > page.lines || x >= kSpoolLineWidth) return std::nullopt;
    long len = length;
    if (static_cast<long>(x) + len > kSpoolLineWidth) len = kSpoolLineWidth - x;
    if (len <= 0) return std::string();
    std::size_t from = static_cast<std::size_t>(x - 1);
    std::size_t count = static_cast<std::size_t>(len);
    if (page.byte_page) {
        // The buffer holds exactly the bytes asked for, which may be fewer than a line.
        if (from >= page.byte_count) return std::string();
        return std::string(page.buffer.data() + from, std::min(count, page.byte_count - from));
    }
    std::size_t index = static_cast<std::size_t>(y - 1);
    if (!page.utf8) return std::string(page.buffer.data() + index * kSpoolLineWidth + from, count);
    int end = std::min(page.length[index], x - 1 + static_cast<int>(len));
    std::string out;
    if (x - 1 < end) append_cells(out, page, y - 1, x - 1, end);
    return out;
}

bool append_trimmed_cut(const Run& run, int x, int y, int length, std::string& out) {
    const SpoolPage& page = run.spool.page;
    // A line of a byte page is padding after its text: cut only up to there.
    if (!page.byte_page && !page.utf8 && x > 0 && y > 0 && y <= page.lines && x < kSpoolLineWidth) {
        int text_end = page.length[static_cast<std::size_t>(y - 1)];
        long end = std::min<long>(
            {static_cast<long>(x - 1) + std::max(length, 0), kSpoolLineWidth - 1, text_end});
        const char* row = page.buffer.data() + static_cast<std::size_t>(y - 1) * kSpoolLineWidth;
        while (end > x - 1 && (row[end - 1] == ' ' || row[end - 1] == '\t')) --end;
        if (end > x - 1) out.append(row + (x - 1), static_cast<std::size_t>(end - (x - 1)));
        return true;
    }
    Text text = cut_text(run, x, y, length);
    if (!text) return false;
    trim_trailing(*text);
    out.append(*text);
    return true;
}

Text cut_trimmed_text(const Run& run, int x, int y, int length) {
    std::string text;
    if (!append_trimmed_cut(run, x, y, length, text)) return std::nullopt;
    return text;
}

}  // namespace morvel
