// The value functions of the evaluator: line access, text tests, ROUND and TOTAL.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>

#include "core/messages.h"
#include "core/shell_quote.h"
#include "core/strfmt.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/evaluate_internal.h"

namespace morvel {

namespace {

// The longest line TOTAL reads; longer lines are reported and skipped.
constexpr std::size_t kTotalLineLimit = 249;
// Decimals ROUND writes at most, so its text stays bounded for any n.
constexpr long kRoundMaxDecimals = 99;

Text truth(bool b) {
    return std::string(b ? "1" : "0");
}

bool is_variable_or_field(const Value* v) {
    return v && (v->kind == ValueKind::Identifier || v->kind == ValueKind::Field);
}

// The whole text of an operand: all lines of a name's value, or the result of a
// nested expression. A name holding no text (after a failed LET) reads as empty,
// as its plain read does.
Text operand_whole_text(Run& run, const Operand* o) {
    const Value* v = name_value(o);
    if (!v) return evaluate_operand(run, o);
    Text whole = whole_text(run, *v);
    if (!whole && held_text(*v)) return std::string();
    return whole;
}

std::string last_line(const std::string& text) {
    std::size_t lf = text.rfind('\n');
    return lf == std::string::npos ? text : text.substr(lf + 1);
}

bool is_blank_text(const std::string& text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; });
}

std::string trim_right(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    return s;
}

std::string trim_left(std::string s) {
    std::size_t start = s.find_first_not_of(' ');
    return start == std::string::npos ? std::string() : s.substr(start);
}

// The existence test counts only "no such file" as absent; any other failure
// (permissions, for one) leaves the path counted as existing.
bool path_exists(const std::string& path) {
    struct stat st;
    if (stat(path.c_str(), &st) == 0) return true;
    return errno != ENOENT && errno != ENOTDIR;
}

}  // namespace

Text eval_line_function(Run& run, const Expression& e) {
    const Value* v = name_value(e.left.get());
    switch (e.op) {
        case Tok::LBRACKET: {
            Text whole = operand_whole_text(run, e.left.get());
            if (!whole) return std::nullopt;
            Text n = evaluate_operand(run, e.right.get());
            if (!n) return std::nullopt;
            return line_of(run, *whole, to_integer(run, *n));
        }
        case Tok::FIRST:
            if (v) return first_line(run, *v);
            return evaluate_operand(run, e.left.get());
        case Tok::CURRENT:
            if (v) return current_line(run, *v);
            return evaluate_operand(run, e.left.get());
        case Tok::NEXT:
            if (v) return next_line(run, *v);
            return evaluate_operand(run, e.left.get());
        case Tok::LAST: {
            Text whole = operand_whole_text(run, e.left.get());
            return last_line(whole.value_or(""));
        }
        case Tok::WHOLE:
            return operand_whole_text(run, e.left.get());
        case Tok::NUM_LINES: {
            if (!is_variable_or_field(v)) return std::string("0");
            // A name holding no text has no lines; any text has one more line than line feeds.
            long lines = line_count(whole_text(run, *v));
            return from_integer(lines < 0 ? 0 : lines);
        }
        default: {  // BLANK
            Text whole = operand_whole_text(run, e.left.get());
            return truth(!whole || is_blank_text(*whole));
        }
    }
}

Text eval_text_test(Run& run, const Expression& e) {
    Text a = evaluate_operand(run, e.left.get());
    if (!a) return std::nullopt;
    switch (e.op) {
        case Tok::IS_NUMERIC: {
            std::string rest = trim_left(trim_right(*a));
            return truth(!rest.empty() && is_number(rest));
        }
        case Tok::FILE_EXISTS:
            return truth(path_exists(*a));
        case Tok::TRIM:
            return trim_left(trim_right(*a));
        case Tok::LTRIM:
            return trim_left(*a);
        case Tok::RTRIM:
            return trim_right(*a);
        default:  // QUOTED: one word for /bin/sh, whatever the value holds
            return shell_quoted(*a);
    }
}

Text eval_round(Run& run, const Expression& e) {
    if (!e.left || !e.right) {
        report_error(run, 2, "Missing operand in ROUND");
        return std::nullopt;
    }
    // The number of decimals is read before the number itself.
    Text n_text = evaluate_operand(run, e.right.get());
    if (!n_text) return std::nullopt;
    long n = to_integer(run, *n_text);
    Text a = evaluate_operand(run, e.left.get());
    if (!a) return std::nullopt;
    double x = to_number(run, *a);
    // A negative count keeps printf's meaning (six decimals); a huge one is cut so
    // the text stays bounded.
    int decimals = static_cast<int>(std::clamp<long>(n, INT_MIN, kRoundMaxDecimals));
    // A tiny nudge makes halves round up (2.5 -> 3, -2.5 -> -2, 1.005 -> 1.01). The
    // absolute 1e-14 vanishes in the rounding of larger numbers (1234.5 would give
    // 1234, printf rounding the exact half to even), so it grows with x's magnitude.
    double nudge = std::max(0.00000000000001, std::fabs(x) * 4 * DBL_EPSILON);
    return strfmt("%.*f", decimals, x + nudge);
}

Text eval_total(Run& run, const Expression& e) {
    const Value* v = name_value(e.left.get());
    if (!is_variable_or_field(v)) return std::string("0");
    Text whole = whole_text(run, *v);
    double sum = 0;
    if (whole) {
        std::string kept;
        std::size_t start = 0;
        while (start <= whole->size()) {
            std::size_t lf = whole->find('\n', start);
            std::size_t end = lf == std::string::npos ? whole->size() : lf;
            if (end - start > kTotalLineLimit) {
                report_error(run, 1,
                             "Length of a string in TOTAL function is exceeds %d characters",
                             static_cast<int>(kTotalLineLimit));
            } else {
                // Thousands separators, currency words and blanks fall away: 1,234.50 adds 1234.5.
                kept.clear();
                for (std::size_t i = start; i < end; ++i) {
                    char c = (*whole)[i];
                    if ((c >= '0' && c <= '9') || c == '-' || c == '.') kept += c;
                }
                if (!kept.empty()) {
                    // A trailing minus is the bookkeeping way of writing a debit.
                    bool debit = kept.back() == '-';
                    if (debit) kept.pop_back();
                    double x = to_number(run, kept);
                    sum += debit ? -x : x;
                }
            }
            if (lf == std::string::npos) break;
            start = lf + 1;
        }
    }
    return from_number(sum);
}

}  // namespace morvel
