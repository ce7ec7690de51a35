#include "driver/settings.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "core/ascii.h"
#include "core/messages.h"
#include "run.h"
#include "values/value.h"

namespace morvel {

namespace {

constexpr std::size_t kMaxLine = 248;

// Reads the next line of at most 248 characters (a longer line goes on as the next one);
// the line end, and a CR before it, are removed.
bool next_line(std::FILE* f, std::string& line) {
    line.clear();
    int c;
    bool any = false;
    while (line.size() < kMaxLine && (c = std::fgetc(f)) != EOF) {
        any = true;
        if (c == '\n') break;
        line += static_cast<char>(c);
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return any;
}

std::vector<std::string> split_commas(const std::string& value) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        std::size_t comma = value.find(',', start);
        fields.push_back(
            value.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) return fields;
        start = comma + 1;
    }
}

int clamp_int(long n) {
    return static_cast<int>(std::clamp<long>(n, INT_MIN, INT_MAX));
}

}  // namespace

void read_settings_file(Run& run, const std::string& path) {
    std::FILE* f = std::fopen(path.c_str(), "r");
    if (!f) return;
    Settings& s = run.settings;
    std::string line;
    while (next_line(f, line)) {
        std::size_t eq = line.find('=');
        if (eq == std::string::npos) continue;
        std::string name = line.substr(0, eq);
        std::vector<std::string> fields = split_commas(line.substr(eq + 1));
        if (equal_ignore_case(name, "printer_width") || equal_ignore_case(name, "printer_height")) {
            long n = to_integer(run, fields[0]);
            long& target =
                equal_ignore_case(name, "printer_width") ? s.printable_width : s.printable_height;
            if (n > 100 && n < 10000) target = n;
        } else if (equal_ignore_case(name, "auto_form")) {
            AutoForm form;
            if (fields.size() >= 1) form.definition = fields[0];
            if (fields.size() >= 2) form.x = clamp_int(to_integer(run, fields[1]));
            if (fields.size() >= 3) form.y = clamp_int(to_integer(run, fields[2]));
            if (fields.size() >= 4) form.text = fields[3];
            if (form.definition.empty() || form.text.empty() || form.x <= 0 || form.y <= 0) {
                report_error(run, 0, "Invalid values in auto form");
                continue;
            }
            s.auto_forms.push_back(std::move(form));
        } else if (equal_ignore_case(name, "strict_delivery")) {
            // Only switches strictness on: --strict-delivery on the command line stays.
            const std::string& v = fields[0];
            if (v == "1" || equal_ignore_case(v, "yes") || equal_ignore_case(v, "true"))
                run.options.strict_delivery = true;
        }
    }
    std::fclose(f);
}

}  // namespace morvel
