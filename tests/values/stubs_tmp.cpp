// Temporary stand-ins for the value helpers, only so the evaluator tests link
// before those helpers are merged. Delete this file after merging main.
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "driver/messages.h"
#include "driver/run.h"
#include "driver/strfmt.h"
#include "values/evaluate_internal.h"
#include "values/identifiers.h"

namespace morvel {

namespace {
std::map<const Run*, std::map<std::string, long>>& integer_variables() {
    static std::map<const Run*, std::map<std::string, long>> vars;
    return vars;
}

Text split_line(const std::string& text, long n) {
    std::size_t start = 0;
    for (long i = 1; i < n; ++i) {
        std::size_t lf = text.find('\n', start);
        if (lf == std::string::npos) return std::string();
        start = lf + 1;
    }
    std::size_t lf = text.find('\n', start);
    return text.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
}

long count_lines(const std::string& t) {
    long n = 1;
    for (char c : t) n += c == '\n';
    return n;
}
}  // namespace

bool is_number(const Text& text) {
    if (!text) return false;
    if (text->empty()) return true;
    char* end = nullptr;
    std::strtod(text->c_str(), &end);
    return end != text->c_str() && *end == '\0';
}

double to_number(Run& run, const std::string& text) {
    if (!is_number(text)) {
        report_error(run, 0, "Trying to convert a '%s' non numeric string to a floating point number",
                     text.c_str());
        return 0;
    }
    return std::strtod(text.c_str(), nullptr);
}

long to_integer(Run& run, const std::string& text) {
    if (!is_number(text)) {
        report_error(run, 0, "Trying to convert a non numeric string '%s' to a number", text.c_str());
        return 0;
    }
    return static_cast<long>(std::strtod(text.c_str(), nullptr));
}

std::string from_number(double x) { return strfmt("%f", x); }
std::string from_integer(long n) { return strfmt("%ld", n); }

Text whole_text(Run&, const Value& v) {
    if (v.kind == ValueKind::Literal) return v.literal;
    return v.cell ? v.cell->value : std::nullopt;
}

Text line_of(Run& run, const std::string& text, long n) {
    if (n < 1) {
        report_error(run, 1, "Index of string can not be < 1");
        return std::nullopt;
    }
    long have = count_lines(text);
    if (!text.empty() && n > have) {
        report_error(run, 1, "Tried to get index of string beyond number of strings");
        return std::string();
    }
    return split_line(text, n);
}

Text current_line(Run& run, const Value& v) {
    if (v.kind == ValueKind::Literal) return v.literal;
    LineCell& c = *v.cell;
    if (!c.value) return std::nullopt;
    if (c.line_index == 0 || (c.exhausted && run.reformat_repeat_depth == 0)) {
        c.line_index = 1;
        if (!c.value->empty()) c.exhausted = false;
        return split_line(*c.value, 1);
    }
    if (c.exhausted) return std::string();
    return split_line(*c.value, c.line_index);
}

Text operand_text(Run& run, const Value& v) { return current_line(run, v); }

Text first_line(Run&, const Value& v) {
    if (v.kind == ValueKind::Literal) return v.literal;
    LineCell& c = *v.cell;
    c.line_index = 1;
    if (v.kind == ValueKind::Field || (c.value && !c.value->empty())) c.exhausted = false;
    return c.value ? split_line(*c.value, 1) : std::nullopt;
}

Text next_line(Run& run, const Value& v) {
    if (v.kind == ValueKind::Literal) return v.literal;
    LineCell& c = *v.cell;
    bool restart = c.line_index == 0 || (c.exhausted && run.reformat_repeat_depth == 0);
    Text t = current_line(run, v);
    if (restart && v.kind == ValueKind::Identifier) return t;
    if (!c.exhausted && c.value) {
        ++c.line_index;
        if (c.line_index > count_lines(*c.value)) c.exhausted = true;
    }
    return t;
}

bool set_integer_variable(Run& run, std::string_view name, long value) {
    integer_variables()[&run][std::string(name)] = value;
    return true;
}

long get_integer_variable(Run& run, std::string_view name) {
    auto& vars = integer_variables()[&run];
    auto it = vars.find(std::string(name));
    return it == vars.end() ? -1 : it->second;
}

}  // namespace morvel
