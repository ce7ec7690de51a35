#include "reformat/eject.h"

#include <algorithm>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/printer_out.h"
#include "language/programs.h"
#include "run.h"
#include "values/text_util.h"

namespace morvel {

namespace {

constexpr char kFormFeed = '\f';

// Bytes a wide cell contributes to its line: a blank cell is one space.
std::string_view cell_bytes(const OutputPage& page, int row, int column) {
    const char* c = page.cell(row, column);
    if (*c == ' ') return std::string_view(c, 1);
    std::string_view four(c, 4);
    return four.substr(0, static_cast<std::size_t>(utf8_sequence_length(four, 0)));
}

struct Extent {
    int last_row = -1;
    int last_column = -1;
};

Extent find_extent(const OutputPage& page, bool whole) {
    if (whole) return {page.height() - 1, page.width() - 1};
    if (page.width() <= 0 || page.height() <= 0 || page.used_rows() <= 0) return {};
    const int rows = std::min(page.used_rows(), page.height());
    if (!page.wide()) {
        // One-byte cells lie in one run of bytes: scan it backwards as a whole, from the
        // end of the last row written.
        const char* first = page.cell(0, 0);
        const char* p = page.cell(rows - 1, page.width() - 1) + 1;
        while (p != first && p[-1] == ' ') --p;
        if (p == first) return {};
        auto index = static_cast<long>(p - 1 - first);
        return {static_cast<int>(index / page.width()), static_cast<int>(index % page.width())};
    }
    for (int r = rows - 1; r >= 0; --r)
        for (int c = page.width() - 1; c >= 0; --c)
            if (!page.blank(r, c)) return {r, c};
    return {};
}

int eject_text_page(Run& run, ReformatProgram& program, OutputProgram& output, PclOut& out,
                    bool explicit_eject) {
    OutputPage& page = run.reformat.page;
    if (!page.allocated()) {
        report_error(run, 0, "Unable to eject page for text output");
        return -1;
    }
    if (program.form_feed_pending && output.page_counter > 1 && program.form_feed &&
        (!output.last_page_full || program.force_form_feed))
        out.put(kFormFeed);

    Extent e = find_extent(page, program.pad || explicit_eject);
    output.last_page_full = e.last_row == page.height() - 1 && e.last_row >= 0 &&
                            (e.last_column == page.width() - 1 || program.trim_lines);

    const char* line_end = program.crlf ? "\r\n" : "\n";
    bool whole_rows = program.trim_lines || page.wide();
    std::string line;
    line.reserve(static_cast<std::size_t>(page.width()) * 4 + 5);
    std::vector<std::size_t> marks;    // byte offsets in line of this row's placeholders
    std::vector<std::size_t> offsets;  // wide cells: byte offset in line of each column
    if (page.wide()) offsets.reserve(static_cast<std::size_t>(page.width()));
    for (int r = 0; r <= e.last_row; ++r) {
        bool last = r == e.last_row;
        int columns = whole_rows || !last ? page.width() : e.last_column + 1;
        if (page.wide()) {
            line.clear();
            offsets.clear();
            for (int c = 0; c < columns; ++c) {
                offsets.push_back(line.size());
                line.append(cell_bytes(page, r, c));
            }
        } else {
            line.assign(page.cell(r, 0), static_cast<std::size_t>(columns));
        }
        marks.clear();
        for (const PlaceholderCell& p : page.placeholders)
            if (p.row == r && p.column >= 0 && p.column < columns)
                marks.push_back(page.wide() ? offsets[static_cast<std::size_t>(p.column)]
                                            : static_cast<std::size_t>(p.column));
        std::sort(marks.begin(), marks.end());
        if (program.trim_lines) trim_trailing(line);
        long start = out.position();
        for (std::size_t m : marks)
            if (m + 4 <= line.size() && start >= 0)
                output.total_page_placeholders.push_back(start + static_cast<long>(m));
        out.write_bytes(line);
        bool end_line =
            whole_rows ? (program.trim_lines || !last || program.pad) : (!last || program.pad);
        if (end_line) out.write_bytes(line_end);
    }
    page.clear();
    return 0;
}

}  // namespace

int eject_page(Run& run, bool explicit_eject) {
    ReformatProgram* program = run.reformat.program;
    OutputProgram* output = run.reformat.output;
    PclOut* out = run.reformat.out;
    if (!program || !output || !out) return -1;
    switch (program->kind) {
        case ReformatKind::TextPage:
            if (eject_text_page(run, *program, *output, *out, explicit_eject) != 0) return -1;
            break;
        case ReformatKind::Printer:
            // Without PAD a printer page runs on into the next run until EJECT_PAGE.
            if (explicit_eject || program->pad) out->put(kFormFeed);
            break;
        case ReformatKind::Epson:
            break;
    }
    if (explicit_eject || program->pad || program->form_feed) ++output->page_counter;
    return 0;
}

}  // namespace morvel
