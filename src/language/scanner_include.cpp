// #include and #uses: switching to a nested file, and the CSV preferences.
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "core/file_handle.h"
#include "core/messages.h"
#include "language/parse_error.h"
#include "language/scanner_impl.h"
#include "run.h"

namespace morvel {

namespace {

constexpr std::size_t kMaxPreferenceLine = 1023;

std::string_view trim_blanks(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

[[noreturn]] void bad_include(Run& run) {
    parse_error(run, 1, "Problem with include file, check file name");
}

// The leading decimal integer of a text, like atoi but bounded to int.
int leading_integer(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
    long long value = 0;
    for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        value = value * 10 + (s[i] - '0');
        if (value > std::numeric_limits<int>::max()) value = std::numeric_limits<int>::max();
    }
    return static_cast<int>(negative ? -value : value);
}

// "*NAME=value" from a #uses line: a run-wide preference instead of a file.
void apply_preference(Run& run, std::string_view text) {
    std::size_t eq = text.find('=');
    if (eq == std::string_view::npos) bad_include(run);
    std::string_view name = trim_blanks(text.substr(1, eq - 1));
    std::string_view value = text.substr(eq + 1);
    if (name.empty() || value.empty()) bad_include(run);
    if (equal_ignore_case(name, "CSV_DEFAULT_DELIMITER")) {
        if (value[0] == '\\') {
            // Each digit shifts the value by one hexadecimal place; only the low byte is kept.
            unsigned code = 0;
            for (std::size_t i = 1; i < value.size() && value[i] >= '0' && value[i] <= '9'; ++i)
                code = code * 16 + static_cast<unsigned>(value[i] - '0');
            run.csv.delimiter = static_cast<char>(code & 0xff);
        } else {
            run.csv.delimiter = value[0];
        }
    } else if (equal_ignore_case(name, "CSV_AUTO_TRIM")) {
        run.csv.auto_trim = leading_integer(value);
    } else {
        bad_include(run);
    }
}

// A uses file may start with "#READ_ONLY"; that line is not definition text.
bool take_read_only_line(Run& run, ScanInput& in) {
    if (in.peek() != '#') return false;
    std::size_t end = in.data.find('\n');
    std::size_t next = end == std::string::npos ? in.data.size() : end + 1;
    if (end == std::string::npos) end = in.data.size();
    while (end > 0 && (in.data[end - 1] == '\r' || in.data[end - 1] == '\n')) --end;
    std::string_view line = std::string_view(in.data).substr(0, end);
    if (line.size() > kMaxPreferenceLine || !equal_ignore_case(line.substr(1), "READ_ONLY"))
        parse_error(run, 1, "Unknown # preference in uses file");
    in.pos = next;
    in.line_start = next;
    return true;
}

}  // namespace

std::string expand_include_name(std::string_view name) {
    if (name.size() >= 2 && name[0] == '%' && name[1] == '%') return std::string(name.substr(1));
    if (name.empty() || name[0] != '%') return std::string(name);
    std::size_t close = name.find('%', 1);
    if (close == std::string_view::npos) return std::string(name);
    std::string variable(name.substr(1, close - 1));
    const char* value = std::getenv(variable.c_str());
    std::string path = value ? value : "";
    path += name.substr(close + 1);
    return path;
}

void switch_input(Run& run, bool uses) {
    Scanner::Impl& impl = *run.scanner.impl;
    ScanInput& in = impl.nested_active ? impl.nested : impl.main;

    // The name is a string token, optionally after "="; a further directive is no name.
    Lexed name = lex_one(run, in);
    if (name.kind == LexKind::Token && name.token.code == Tok::EQ) name = lex_one(run, in);
    if (name.kind != LexKind::Token || name.token.code != Tok::STRING) {
        if (uses)
            report_error(run, 1, "Format for #uses is: #uses \"filename\"");
        else
            report_error(run, 1, "Format for #include is: #include \"filename\"");
        bad_include(run);
    }
    if (impl.nested_active)
        parse_error(run, 1, "Cant use include file, already in an include file");

    const std::string& written = name.token.text;
    if (uses && !written.empty() && written[0] == '*') {
        apply_preference(run, written);
        return;
    }

    std::string bytes;
    if (read_file(expand_include_name(written), bytes) != ReadStatus::Ok) bad_include(run);

    impl.outer_file = std::move(run.current_file);
    impl.outer_line = run.current_line;
    impl.nested.data = std::move(bytes);
    impl.nested.pos = 0;
    impl.nested.line_start = 0;
    impl.nested_active = true;
    run.current_file = written;
    run.current_line = 1;

    if (uses) {
        bool read_only = take_read_only_line(run, impl.nested);
        if (read_only) run.current_line = 2;
        run.scanner.source_index = register_source_file(run, written, read_only);
    }
}

}  // namespace morvel
