// CHANGE: the change test of a name, and the replacement of one cell of a table
// held in a variable (the form LET t[row, column, separator] = value compiles to).
#include <optional>
#include <string_view>

#include "core/messages.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/evaluate_internal.h"
#include "values/text_util.h"

namespace morvel {

namespace {

struct Span {
    std::size_t begin = 0;
    std::size_t end = 0;
};

Text truth(bool b) {
    return std::string(b ? "1" : "0");
}

// The text cell of a variable or field operand, or nullptr for anything else.
LineCell* cell_of(const Value* v, bool variables_only) {
    if (!v) return nullptr;
    if (v->kind == ValueKind::Identifier) {
        if (v->cell) return v->cell;
        auto* var = dynamic_cast<VariableRecord*>(v->record);
        return var ? &var->cell : nullptr;
    }
    return v->kind == ValueKind::Field && !variables_only ? v->cell : nullptr;
}

// CHANGE(a): whether the current text differs from the text before the last
// assignment or extraction. An absent text compares as empty.
Text change_test(const Expression& e) {
    const LineCell* cell = cell_of(name_value(e.left.get()), false);
    if (!cell) return truth(false);
    if (cell->previous_is_value) return truth(false);
    // Views, not copies: the texts may be large.
    std::string_view current = cell->value ? std::string_view(*cell->value) : std::string_view();
    std::string_view previous =
        cell->previous ? std::string_view(*cell->previous) : std::string_view();
    return truth(compare_ignore_case(current, previous) != 0);
}

// Finds cell `column` (from 1) of the line starting at `start`. A quoted cell
// runs from its opening quote to just after its closing quote and may hold
// separators and line ends; an empty cell counts as missing.
std::optional<Span> find_cell(const std::string& text, std::size_t start, long column,
                              char separator) {
    long cell = 1;
    std::size_t cell_begin = start;
    std::size_t quoted_end = std::string::npos;  // set once the cell's quoted part closes
    bool quoted = false;                         // the current cell has a quoted part
    bool in_quotes = false;
    std::size_t pos = start;
    for (; pos < text.size(); ++pos) {
        char c = text[pos];
        if (in_quotes) {
            if (c != '"') continue;
            if (pos + 1 < text.size() && text[pos + 1] == '"') {
                ++pos;  // an escaped quote
                continue;
            }
            in_quotes = false;
            quoted_end = pos + 1;
            continue;
        }
        if (c == '"') {
            in_quotes = true;
            quoted = true;
            cell_begin = pos;
            quoted_end = std::string::npos;
            continue;
        }
        if (c == '\r' || c == '\n') break;
        if (c == separator) {
            if (cell == column) break;
            ++cell;
            cell_begin = pos + 1;
            quoted = false;
            quoted_end = std::string::npos;
        }
    }
    if (cell != column) return std::nullopt;
    std::size_t cell_end = pos;
    if (quoted && quoted_end != std::string::npos) cell_end = quoted_end;
    if (cell_end <= cell_begin) return std::nullopt;
    return Span{cell_begin, cell_end};
}

// Reads an argument that must be a number; reports with `what` ("row" or "col").
std::optional<long> number_argument(Run& run, const Expression* arg, const char* what) {
    Text t = evaluate_argument(run, arg);
    if (!is_number(t)) {
        report_error(run, 1, "%s position (%s) is not a number in CHANGE", what,
                     t ? t->c_str() : "(null)");
        return std::nullopt;
    }
    return to_integer(run, *t);
}

Text change_cell(Run& run, const Expression& e) {
    LineCell* target = cell_of(name_value(e.left.get()), true);
    if (!target) {
        report_error(run, 1, "Unknown value for CHANGE");
        return std::string();
    }
    if (e.arguments.size() < 3) {
        report_error(run, 1, "Missing parameter for CHANGE");
        return std::string();
    }
    std::optional<long> row = number_argument(run, e.arguments[0].get(), "row");
    if (!row) return std::string();
    if (*row < 1) {
        report_error(run, 1, "row position (%ld) is less than 1", *row);
        return std::string();
    }
    std::optional<long> column = number_argument(run, e.arguments[1].get(), "col");
    if (!column) return std::string();
    if (*column < 0) {
        report_error(run, 1, "col position (%ld) is less than 0", *column);
        return std::string();
    }
    Text value = evaluate_argument(run, e.arguments[2].get());
    if (!value) {
        report_error(run, 1, "Cannot determine value in CHANGE");
        return std::string();
    }
    char separator = run.csv.delimiter;
    if (e.arguments.size() > 3) {
        Text s = evaluate_argument(run, e.arguments[3].get());
        if (s && !s->empty()) separator = (*s)[0];
    }

    LineCell& cell = *target;
    const std::string table = cell.value.value_or("");
    std::size_t start = 0;
    for (long r = 1; r < *row; ++r) {
        std::size_t lf = table.find('\n', start);
        if (lf == std::string::npos) {
            report_error(run, 1, "reference row beyond number of rows in CHANGE");
            return std::string();
        }
        start = lf + 1;
    }
    Span span;
    if (*column == 0) {
        std::size_t lf = table.find('\n', start);
        span = {start, lf == std::string::npos ? table.size() : lf};
    } else {
        std::optional<Span> found = find_cell(table, start, *column, separator);
        if (!found) {
            report_error(run, 1, "unable to find column %ld in CHANGE", *column);
            return std::string();
        }
        span = *found;
    }
    // Only the current text changes: the previous text and the line index stay,
    // so CHANGE(t) still compares with the value before the last assignment.
    cell.value = table.substr(0, span.begin) + *value + table.substr(span.end);
    cell.cursor = {};
    return cell.value;
}

}  // namespace

Text eval_change(Run& run, const Expression& e) {
    if (e.has_arguments || !e.arguments.empty()) return change_cell(run, e);
    return change_test(e);
}

}  // namespace morvel
