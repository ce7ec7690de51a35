// List functions: cells of CSV lines, "name: value" lines, inserting and deleting
// lines, and sorting the lines of several values together.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <limits>

#include "core/messages.h"
#include "run.h"
#include "values/functions_internal.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) break;
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    lines.push_back(text.substr(start));
    return lines;
}

std::string_view trim_blanks(std::string_view s) {
    std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// Sort key of one line; `valid` is false for a date that cannot be read, which sorts
// before every date.
struct SortKey {
    std::string_view text;
    double number = 0;
    long long day = 0;
    bool valid = true;
};

// Days since 1 March of year 0 of the proleptic calendar: a date order free of time zones.
long long day_number(const BaseDate& d) {
    long long y = d.year, m = d.month - 1;
    y += m >= 0 ? m / 12 : (m - 11) / 12;
    m = ((m % 12) + 12) % 12 + 1;
    if (m <= 2) --y;
    long long era = (y >= 0 ? y : y - 399) / 400;
    long long yoe = y - era * 400;
    long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d.day - 1;
    return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy;
}

}  // namespace

Text fn_csv_value(Run& run, std::string_view text, long position, std::optional<char> delimiter,
                  int flags) {
    if (position < 1) {
        report_error(run, 1, "Position for CSV_VALUE < 1");
        return std::string();
    }
    if (delimiter) run.csv.delimiter = *delimiter;
    const char sep = run.csv.delimiter;
    const bool quotes = (flags & 1) == 0;
    long cell = 1;
    std::string value;
    bool in_quotes = false;
    bool closed = false;  // the cell's quoted part has ended: the rest of the cell is dropped
    for (std::size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (in_quotes) {
            if (c != '"') {
                value += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                value += "\"\"";
                ++i;
            } else {
                in_quotes = false;
                closed = true;
            }
            continue;
        }
        if (c == '\r' || c == '\n') break;
        if (c == sep) {
            if (cell == position) break;
            ++cell;
            value.clear();
            closed = false;
            continue;
        }
        if (closed) continue;
        if (c == '"' && quotes) {
            in_quotes = true;
            value.clear();
            continue;
        }
        value += c;
    }
    if (cell != position) return std::string();
    if (run.csv.auto_trim) return std::string(trim_blanks(value));
    return value;
}

Text fn_colon_field(std::string_view text, std::string_view label) {
    if (text.empty() || label.empty()) return std::string();
    std::size_t pos = 0;
    for (;;) {
        std::size_t colon = text.find(':', pos);
        if (colon == std::string_view::npos) return std::string();
        if (equal_ignore_case(text.substr(pos, colon - pos), label)) {
            std::size_t end = text.find_first_of("\r\n", colon + 1);
            if (end == std::string_view::npos) end = text.size();
            return std::string(text.substr(colon + 1, end - colon - 1));
        }
        std::size_t nl = text.find('\n', colon);
        if (nl == std::string_view::npos) return std::string();
        pos = nl + 1;
    }
}

Text fn_insert_line(std::string_view value, std::string_view line, long position) {
    if (value.empty()) return std::string(line);
    if (position < 1) position = 1;
    std::size_t start = 0;
    for (long n = 1; n < position; ++n) {
        std::size_t nl = value.find('\n', start);
        if (nl == std::string_view::npos) {
            std::string out(value);
            out += '\n';
            out += line;
            return out;
        }
        start = nl + 1;
    }
    std::string out(value.substr(0, start));
    out += line;
    out += '\n';
    out += value.substr(start);
    return out;
}

Text fn_delete_line(std::string_view value, long n) {
    if (n < 1) return std::string(value);
    std::size_t start = 0;
    for (long i = 1; i < n; ++i) {
        std::size_t nl = value.find('\n', start);
        if (nl == std::string_view::npos) return std::string(value);
        start = nl + 1;
    }
    std::size_t nl = value.find('\n', start);
    if (nl != std::string_view::npos)
        return std::string(value.substr(0, start)) + std::string(value.substr(nl + 1));
    // The last line takes the line feed before it along.
    return std::string(value.substr(0, start == 0 ? 0 : start - 1));
}

Text fn_sort_values(Run& run, std::string_view type, std::string_view direction,
                    const std::vector<SortTarget>& targets) {
    enum { Alpha, Numeric, Date } kind;
    if (type.empty() || equal_ignore_case(type, "alpha"))
        kind = Alpha;
    else if (equal_ignore_case(type, "numeric"))
        kind = Numeric;
    else if (equal_ignore_case(type, "date"))
        kind = Date;
    else {
        report_error(run, 1,
                     "Unknown sort type in SORT_VALUES, valid types are ALPHA or NUMERIC or DATE");
        return std::nullopt;
    }
    bool descending = equal_ignore_case(direction, "desc") ||
                      equal_ignore_case(direction, "down") ||
                      equal_ignore_case(direction, "descending");
    if (targets.empty() || !targets[0].cell || !targets[0].cell->value) {
        report_error(run, 1, "Unable to get values in SORT_VALUES");
        return std::nullopt;
    }
    const std::string key_text = *targets[0].cell->value;
    std::vector<std::string_view> lines = split_lines(key_text);
    if (key_text.empty() || lines.size() < 2) return key_text;

    // Each line is converted once, so a bad line is reported once, not per comparison.
    std::vector<SortKey> keys(lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        keys[i].text = lines[i];
        if (kind == Numeric) {
            keys[i].number = to_number(run, std::string(lines[i]));
        } else if (kind == Date) {
            if (auto d = read_base_date(lines[i])) {
                keys[i].day = day_number(*d);
            } else {
                keys[i].valid = false;
                std::string bad(lines[i]);
                report_error(run, 1, "Invalid date passed to SORT_VALUES for date sorting (%s)",
                             bad.c_str());
            }
        }
    }
    auto before = [&](const SortKey& a, const SortKey& b) {
        switch (kind) {
            case Numeric:
                return a.number < b.number;
            case Date:
                return a.valid != b.valid ? !a.valid : a.day < b.day;
            default:
                return compare_ignore_case(a.text, b.text) < 0;
        }
    };
    std::vector<std::size_t> order(lines.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return descending ? before(keys[b], keys[a]) : before(keys[a], keys[b]);
    });

    std::vector<const LineCell*> done;
    for (const SortTarget& target : targets) {
        // A value named twice is already in its new order.
        if (std::find(done.begin(), done.end(), target.cell) != done.end()) continue;
        std::vector<std::string_view> own;
        std::string text;
        if (target.cell && target.cell->value) {
            text = *target.cell->value;
            own = split_lines(text);
        }
        if (own.size() != lines.size()) {
            errno = 0;  // a level 3 report adds the system text, and no system call failed
            report_error(run, 3, "%s does not have %d lines as the sort field/value does",
                         target.name.c_str(), static_cast<int>(lines.size()));
            return std::string("0");
        }
        std::string sorted;
        for (std::size_t i = 0; i < order.size(); ++i) {
            if (i > 0) sorted += '\n';
            sorted += own[order[i]];
        }
        LineCell& cell = *target.cell;
        cell.previous = std::move(cell.value);
        cell.previous_is_value = false;
        cell.value = std::move(sorted);
        cell.cursor = {};
        cell.exhausted = false;
        if (target.is_variable) cell.line_index = 1;
        done.push_back(target.cell);
    }
    return std::string("1");
}

}  // namespace morvel
