// FIELD, MESSAGE, DATE, PAGE and INCLUDE: the statements that put text on the page.
#include <array>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>

#include "core/messages.h"
#include "core/printer_out.h"
#include "core/strfmt.h"
#include "reformat/fonts.h"
#include "reformat/job_setup.h"
#include "reformat/place_text.h"
#include "reformat/reformat_internal.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

// The buffer a DATE format is expanded into, as a C buffer of that size.
constexpr std::size_t kDateBufferSize = 249;

LineCell* cell_of(const Value& value) {
    if (value.cell) return value.cell;
    if (value.kind == ValueKind::Identifier)
        if (auto* var = dynamic_cast<VariableRecord*>(value.record)) return &var->cell;
    return nullptr;
}

// The next line of a reference, one line per FIELD, into out: an exhausted reference
// stays empty while a REPEAT runs, and starts again at line 1 outside one. False for
// NULL.
bool next_field_line(Run& run, const Value& value, std::string& out) {
    LineCell* cell = value.kind == ValueKind::Literal ? nullptr : cell_of(value);
    if (!cell) {
        Text text = operand_text(run, value);
        if (!text) return false;
        out = std::move(*text);
        return true;
    }
    if (!cell->value) return false;
    if (cell->line_index == 0 || (cell->exhausted && run.reformat.repeat_depth == 0)) {
        cell->line_index = 1;
        cell->exhausted = false;
    } else if (cell->exhausted) {
        out.clear();
        return true;
    }
    bool last = false;
    bool found = cell_line_into(run, *cell, cell->line_index, last, out);
    ++cell->line_index;
    if (last) cell->exhausted = true;
    return found;
}

double line_step_of(Run& run, const TextStatement& t) {
    if (t.line_step) return argument_number(run, *t.line_step, "FIELD(incval)");
    return run.reformat.program ? run.reformat.program->line_height : 1.0;
}

const FontOverride* override_of(const TextStatement& t) {
    return t.font_override ? &*t.font_override : nullptr;
}

// %n becomes the page number; %t stays for place_text, which turns it into the
// total-page placeholder of the program's kind.
std::string expand_page_pattern(std::string_view pattern, int page) {
    std::string text;
    text.reserve(pattern.size() + 16);
    for (std::size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 'n') {
            appendf(text, "%d", page);
            ++i;
        } else {
            text.push_back(pattern[i]);
        }
    }
    return text;
}

int place_date(Run& run, const TextStatement& t, int x, int y, const std::string& format) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    std::array<char, kDateBufferSize> buffer{};
    std::size_t n = 0;
    if (localtime_r(&now, &local)) {
        // The format is the definition's DATE text by design; strftime only reads it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
        n = std::strftime(buffer.data(), buffer.size(), format.c_str(), &local);
#pragma GCC diagnostic pop
    }
    if (n == 0) {
        report_error(run, 2, "Unable to get time/date for DATE");
        return -1;
    }
    return place_text(run, x, y, std::string_view(buffer.data(), n), t.inverse, t.hp_font,
                      override_of(t), false);
}

int include_file(Run& run, const TextStatement& t, int x, int y, const std::string& name) {
    ReformatProgram* program = run.reformat.program;
    if (!program || program->kind != ReformatKind::Printer || name.empty()) return 0;
    PclOut& out = *run.reformat.out;
    FileHandle file = open_include_file(run, name);
    if (!file) return -1;
    set_cursor(run, out, x, y);
    out.copy_from(file.get());
    // An included file may leave the printer in any state; put the page set-up back.
    if (!(t.font_override && t.font_override->no_reset)) {
        page_setup(run, *program, out);
        select_default_font(run, out);
    }
    return 0;
}

}  // namespace

int execute_field(Run& run, const Statement& st, int base_y, double& advance) {
    const auto* t = st.get_if<TextStatement>();
    if (!t) {
        report_error(run, 0, "Tried to display a NULL field");
        return -1;
    }
    // The line is read into a buffer of the reformat state, so that a field placed line
    // by line allocates nothing. Nothing below reads a field line again.
    std::string& line = run.reformat.field_line;
    const bool found = next_field_line(run, t->text, line);
    double step = line_step_of(run, *t);
    const long lines = found ? 1 + count_line_feeds(line) : 0;
    advance += static_cast<double>(truncate_to_long(static_cast<double>(lines) * step));
    int x = clamp_to_int(argument_integer(run, t->x, "FIELD(x)"));
    long y = argument_integer(run, t->y, "FIELD(y)") + base_y;
    if (!found) return 0;
    return place_lines(run, x, static_cast<double>(y), line, t->inverse, t->hp_font,
                       override_of(*t), step, false);
}

int execute_text_statement(Run& run, const Statement& st, int base_y, double& advance) {
    const auto* t = st.get_if<TextStatement>();
    if (!t || !t->expr) {
        report_error(run, 0, "Tried to display a NULL field");
        return -1;
    }
    Text text = evaluate(run, t->expr.get());
    if (!text) {
        report_error(run, 0, "Unable to get name or value of a field");
        return -1;
    }
    double step = line_step_of(run, *t);
    advance += static_cast<double>(text_lines(&text)) * step;
    int x = clamp_to_int(argument_integer(run, t->x, "FIELD(x)"));
    int y = clamp_to_int(argument_integer(run, t->y, "FIELD(y)") + base_y);
    switch (st.kind) {
        case Tok::MESSAGE:
            return place_lines(run, x, y, *text, t->inverse, t->hp_font, override_of(*t), step,
                               false);
        case Tok::DATE:
            return place_date(run, *t, x, y, *text);
        case Tok::PAGE: {
            int page = run.reformat.output ? run.reformat.output->page_counter : 1;
            return place_lines(run, x, y, expand_page_pattern(*text, page), t->inverse, t->hp_font,
                               override_of(*t), step, true);
        }
        case Tok::INCLUDE:
            return include_file(run, *t, x, y, *text);
        default:
            return 0;
    }
}

}  // namespace morvel
