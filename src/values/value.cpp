#include "values/value.h"

#include <array>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/messages.h"
#include "core/strfmt.h"
#include "run.h"
#include "values/text_util.h"

namespace morvel {

namespace {

// What "%s" shows for an absent text, as the C library would print it.
const char* shown(const Text& text) {
    return text ? text->c_str() : "(null)";
}

// The line cell behind a variable or field operand, or nullptr.
LineCell* cell_of(const Value& value) {
    if (value.cell) return value.cell;
    if (value.kind == ValueKind::Identifier)
        if (auto* var = dynamic_cast<VariableRecord*>(value.record)) return &var->cell;
    return nullptr;
}

bool is_line_kind(const Value& value) {
    return value.kind == ValueKind::Identifier || value.kind == ValueKind::Field;
}

bool holds_nothing(const Text& text) {
    return !text || text->empty();
}

// The line-wise read shared by the plain read, CURRENT and NEXT. An exhausted value
// starts over at line 1 unless a reformat REPEAT is running, where it stays empty so the
// loop's later records print blank. A field that restarts on an advancing read moves on
// past line 1 at once; a variable stays on line 1, so its next advancing read gives line
// 1 again.
Text read_lines(Run& run, LineCell& cell, bool is_field, bool advance) {
    if (cell.line_index == 0 || (cell.exhausted && run.reformat.repeat_depth == 0)) {
        cell.line_index = 1;
        if (!holds_nothing(cell.value)) cell.exhausted = false;
        if (!advance || !is_field) return line_of(run, cell.value, 1);
    } else if (cell.exhausted) {
        return std::string();
    }
    bool last = false;
    Text line = cell_line(run, cell, cell.line_index, last);
    if (advance) {
        ++cell.line_index;
        if (last) cell.exhausted = true;
    }
    return line;
}

// The plain operand read and CURRENT/NEXT word their failure differently.
enum class ReadKind { Plain, Current, Next };

Text read_operand(Run& run, const Value& value, ReadKind how) {
    if (value.kind == ValueKind::Literal) return value.literal;
    LineCell* cell = is_line_kind(value) ? cell_of(value) : nullptr;
    if (!cell) {
        if (how == ReadKind::Plain)
            report_error(run, 0, "Uknown value");
        else
            report_error(run, 1, "Unknown value");
        return std::nullopt;
    }
    bool advance = how == ReadKind::Next;
    return read_lines(run, *cell, value.kind == ValueKind::Field, advance);
}

}  // namespace

// ---- numbers and truth -------------------------------------------------------

namespace {

// Most numbers in definitions and spools are a sign and up to 15 digits: exact as a
// long and as a double. Gives their value without the C library's conversions, or
// false for any other text (leading blanks, decimals, exponents, "-0", ...).
bool plain_integer(std::string_view text, long& value) {
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == '-' || text[0] == '+')) {
        negative = text[0] == '-';
        i = 1;
    }
    std::size_t digits = text.size() - i;
    if (digits == 0 || digits > 15) return false;
    long n = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    if (negative && n == 0) return false;
    value = negative ? -n : n;
    return true;
}

// strtod reads a terminated text; begin[size] must be the terminator. Comparing against
// the size keeps an embedded NUL from passing for the end of the text.
bool reads_whole_number(const char* begin, std::size_t size) {
    long plain = 0;
    if (plain_integer(std::string_view(begin, size), plain)) return true;
    char* end = nullptr;
    std::strtod(begin, &end);
    return end == begin + size;
}

}  // namespace

bool is_number(std::string_view text) {
    long plain = 0;
    if (plain_integer(text, plain)) return true;
    std::string copy(text);
    return reads_whole_number(copy.c_str(), copy.size());
}

bool is_number(const std::string& text) {
    return reads_whole_number(text.c_str(), text.size());
}

bool is_number(const Text& text) {
    return text && is_number(*text);
}

bool is_number(const char* text) {
    return text && reads_whole_number(text, std::strlen(text));
}

double to_number(Run& run, const Text& text) {
    if (!is_number(text)) {
        report_error(run, 0,
                     "Trying to convert a '%s' non numeric string to a floating point number",
                     shown(text));
        return 0.0;
    }
    long plain = 0;
    if (plain_integer(*text, plain)) return static_cast<double>(plain);
    return std::strtod(text->c_str(), nullptr);
}

long truncate_to_long(double x) {
    // A cast of a double outside long's range is undefined; saturate instead.
    if (std::isnan(x)) return 0;
    if (x >= static_cast<double>(LONG_MAX)) return LONG_MAX;
    if (x <= static_cast<double>(LONG_MIN)) return LONG_MIN;
    return static_cast<long>(x);
}

long to_integer(Run& run, const Text& text) {
    if (!is_number(text)) {
        report_error(run, 0, "Trying to convert a non numeric string '%s' to a number",
                     shown(text));
        return 0;
    }
    long plain = 0;
    if (plain_integer(*text, plain)) return plain;
    return truncate_to_long(std::strtod(text->c_str(), nullptr));
}

bool is_true(const Text& text) {
    return text && !text->empty() && *text != "0";
}

namespace {

// The whole text of an argument when it is numeric, else nullopt after the message.
Text numeric_argument(Run& run, const Value& value, const char* role) {
    Text text = whole_text(run, value);
    if (!text) {
        report_error(run, 0, "%s passed NULL string", role);
        return std::nullopt;
    }
    if (!is_number(*text)) {
        report_error(run, 0, "%s passed %s", role, text->c_str());
        return std::nullopt;
    }
    return text;
}

}  // namespace

namespace {

// The text a value holds without copying it, or nullptr.
const std::string* held_string(const Value& value) {
    if (value.kind == ValueKind::Literal) return &value.literal;
    const Text* held = held_text(value);
    return held && *held ? &**held : nullptr;
}

}  // namespace

long argument_integer(Run& run, const Value& value, const char* role) {
    // Coordinates and lengths are mostly plain integers: read them where they are.
    long plain = 0;
    if (const std::string* held = held_string(value); held && plain_integer(*held, plain))
        return plain;
    Text text = numeric_argument(run, value, role);
    if (!text) return 0;
    if (plain_integer(*text, plain)) return plain;
    // atol reads only a sign and digits; strtol does the same but saturates instead of
    // overflowing.
    return std::strtol(text->c_str(), nullptr, 10);
}

double argument_number(Run& run, const Value& value, const char* role) {
    long plain = 0;
    if (const std::string* held = held_string(value); held && plain_integer(*held, plain))
        return static_cast<double>(plain);
    Text text = numeric_argument(run, value, role);
    if (!text) return 0.0;
    if (plain_integer(*text, plain)) return static_cast<double>(plain);
    return std::strtod(text->c_str(), nullptr);
}

std::string from_integer(long n) {
    std::array<char, 24> digits;
    auto result = std::to_chars(digits.data(), digits.data() + digits.size(), n);
    return std::string(digits.data(), result.ptr);
}

std::string from_number(double x) {
    return strfmt("%f", x);
}

// ---- reading values ----------------------------------------------------------

Text operand_text(Run& run, const Value& value) {
    return read_operand(run, value, ReadKind::Plain);
}

Text current_line(Run& run, const Value& value) {
    return read_operand(run, value, ReadKind::Current);
}

Text next_line(Run& run, const Value& value) {
    return read_operand(run, value, ReadKind::Next);
}

const Text* held_text(const Value& value) {
    if (!is_line_kind(value)) return nullptr;
    LineCell* cell = cell_of(value);
    return cell ? &cell->value : nullptr;
}

Text whole_text(Run& run, const Value& value) {
    if (value.kind == ValueKind::Literal) return value.literal;
    if (const Text* text = held_text(value)) return *text;
    report_error(run, 0, "Uknown value");
    return std::nullopt;
}

Text first_line(Run& run, const Value& value) {
    if (value.kind == ValueKind::Literal) return value.literal;
    LineCell* cell = is_line_kind(value) ? cell_of(value) : nullptr;
    if (!cell) {
        report_error(run, 0, "Uknown value");
        return std::nullopt;
    }
    cell->line_index = 1;
    if (value.kind == ValueKind::Field || !holds_nothing(cell->value)) cell->exhausted = false;
    return line_of(run, cell->value, 1);
}

// ---- lines ---------------------------------------------------------------------

long line_count(const Text& text) {
    if (!text) return -1;
    return 1 + count_line_feeds(*text);
}

Text line_of(Run& run, const Text& text, long n) {
    if (n < 1) {
        report_error(run, 1, "Index of string can not be < 1");
        return std::nullopt;
    }
    if (holds_nothing(text)) return std::string();
    const std::string& s = *text;
    std::size_t start = 0;
    for (long skipped = 1; skipped < n; ++skipped) {
        std::size_t lf = s.find('\n', start);
        if (lf == std::string::npos) {
            report_error(run, 1, "Tried to get index of string beyond number of strings");
            return std::string();
        }
        start = lf + 1;
    }
    std::size_t end = s.find('\n', start);
    return s.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

Text cell_line(Run& run, LineCell& cell, long n, bool& last) {
    std::string line;
    if (!cell_line_into(run, cell, n, last, line)) return std::nullopt;
    return line;
}

bool cell_line_into(Run& run, LineCell& cell, long n, bool& last, std::string& out) {
    out.clear();
    last = true;
    if (n < 1) {
        last = !cell.value;
        report_error(run, 1, "Index of string can not be < 1");
        return false;
    }
    if (holds_nothing(cell.value)) return true;
    const std::string& s = *cell.value;
    LineCell::Cursor& at = cell.cursor;
    std::size_t start = 0;
    long line = 1;
    if (at.data == s.data() && at.size == s.size() && at.line > 1 && at.line <= n &&
        at.offset <= s.size() && s[at.offset - 1] == '\n') {
        start = at.offset;
        line = at.line;
    }
    const char* const begin = s.data();
    const char* const stop = begin + s.size();
    for (; line < n; ++line) {
        const void* lf = std::memchr(begin + start, '\n', s.size() - start);
        if (!lf) {
            report_error(run, 1, "Tried to get index of string beyond number of strings");
            return true;
        }
        start = static_cast<std::size_t>(static_cast<const char*>(lf) - begin) + 1;
    }
    at = {begin, s.size(), n, start};
    const void* lf = std::memchr(begin + start, '\n', s.size() - start);
    const char* end = lf ? static_cast<const char*>(lf) : stop;
    last = lf == nullptr;
    out.assign(begin + start, end);
    return true;
}

// ---- texts -----------------------------------------------------------------------

Text concatenate(Text a, Text b) {
    if (!a || !b) return std::nullopt;
    a->append(*b);
    return a;
}

bool copy_bounded(Run& run, std::string& buffer, const Text& text, int size) {
    if (!text) {
        report_error(run, 0, "Tried to copy a NULL string");
        return false;
    }
    if (size < 1 || text->size() > static_cast<std::size_t>(size - 1)) {
        report_error(run, 0, "Tried to copy %s into a %d size string", text->c_str(), size - 1);
        return false;
    }
    buffer = *text;
    return true;
}

bool append_bounded(Run& run, std::string& buffer, const Text& text, int size) {
    if (!text) {
        report_error(run, 0, "Tried to join one or more NULL string(s)");
        return false;
    }
    if (size < 1 || buffer.size() + text->size() > static_cast<std::size_t>(size - 1)) {
        report_error(run, 0, "Tried to join %s and %s into a %d size string", buffer.c_str(),
                     text->c_str(), size - 1);
        return false;
    }
    buffer += *text;
    return true;
}

void trim_trailing(std::string& text) {
    // Spool cuts arrive padded with blanks to their full width: a plain backward scan
    // is several times cheaper than find_last_not_of's per-character set search.
    std::size_t keep = text.size();
    while (keep > 0 && (text[keep - 1] == ' ' || text[keep - 1] == '\t')) --keep;
    text.resize(keep);
}

std::string xml_escape(std::string_view text) {
    std::size_t size = 0;
    for (char c : text) {
        switch (c) {
            case '&':
                size += 5;
                break;
            case '<':
            case '>':
                size += 4;
                break;
            case '"':
            case '\'':
                size += 6;
                break;
            default:
                size += 1;
                break;
        }
    }
    std::string out;
    out.reserve(size);
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
                break;
        }
    }
    return out;
}

// ---- calendar --------------------------------------------------------------------

bool is_leap_year(long year) {
    return year % 4 == 0 && (year % 400 == 0 || year % 100 != 0);
}

int days_in_month(int month, long year) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int index = month - 1;
    if (index < 0) index = 0;
    if (index > 11) index = 11;
    if (index == 1 && is_leap_year(year)) return 29;
    return kDays[index];
}

int clamp_day(int day, int month, long year) {
    if (day < 1) return 1;
    int length = days_in_month(month, year);
    return day > length ? length : day;
}

}  // namespace morvel
