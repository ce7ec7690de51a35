// Functions that reach outside the value world: files, temporary names, the
// environment, settings texts and the parameters of reformat functions.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "core/file_handle.h"
#include "core/messages.h"
#include "core/temp_file.h"
#include "reformat/reformat_function.h"
#include "run.h"
#include "values/functions_internal.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

// READ_FILE holds the whole file in memory; a file beyond this is refused rather than
// exhausting the memory of the run.
constexpr long kMaxReadFileBytes = 256L * 1024 * 1024;
// Write errors quote at most this much of the text.
constexpr std::size_t kQuotedTextMax = 128;

std::string_view trim_blanks(std::string_view s) {
    std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string_view without_cr(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

}  // namespace

Text fn_read_file(Run& run, const std::string& name, long keep) {
    FileHandle file = open_file(name, "rb");
    if (!file) {
        report_error(run, 1, "Unable to open file %s", name.c_str());
        return std::nullopt;
    }
    struct stat st {};
    if (fstat(fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode) &&
        st.st_size > kMaxReadFileBytes) {
        report_error(run, 1, "Unable to allocate %ld bytes for buffer for file %s",
                     static_cast<long>(st.st_size) + 1, name.c_str());
        return std::nullopt;
    }
    std::string data;
    // The text ends at the first zero byte, so reading can stop there.
    ReadStatus status = read_stream(
        file.get(), data, {static_cast<std::size_t>(kMaxReadFileBytes), /*stop_after_zero=*/true});
    if (status == ReadStatus::TooLarge) {
        report_error(run, 1, "Unable to allocate %ld bytes for buffer for file %s",
                     static_cast<long>(data.size()) + 1, name.c_str());
        return std::nullopt;
    }
    if (status != ReadStatus::Ok) {
        report_error(run, 1, "Error reading file %s", name.c_str());
        return std::nullopt;
    }
    if (std::size_t zero = data.find('\0'); zero != std::string::npos) data.resize(zero);
    if (keep <= 0) std::erase(data, '\r');
    return data;
}

Text fn_create_file(Run& run, const std::string& name, const Text& text) {
    std::string file_name = name;
    if (file_name.empty()) {
        auto temp = make_temp_file(run);
        if (!temp) {
            report_error(run, 1, "Unable to create file %s", "");
            return std::nullopt;
        }
        file_name = *temp;
    }
    FileHandle file = open_file(file_name, "wb");
    if (!file) {
        report_error(run, 1, "Unable to create file %s", file_name.c_str());
        return std::nullopt;
    }
    std::string_view bytes = text ? std::string_view(*text) : std::string_view();
    bool ok =
        bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size();
    ok = close_checked(file) && ok;
    if (!ok) {
        if (bytes.size() > kQuotedTextMax) {
            std::string start(bytes.substr(0, kQuotedTextMax));
            report_error(run, 1, "Error writing string starting >%s< to file >%s<", start.c_str(),
                         file_name.c_str());
        } else {
            std::string all(bytes);
            report_error(run, 1, "Error writing string >%s< to file >%s<", all.c_str(),
                         file_name.c_str());
        }
        return std::nullopt;
    }
    return file_name;
}

Text fn_append_file(Run& run, const std::string& name, std::string_view text, long flags) {
    if (name.empty()) {
        report_error(run, 1, "Empty file name passed to APPEND_FILE");
        return std::nullopt;
    }
    if (flags < 0 || flags > 3) flags = 0;
    const bool lf_only = (flags & 1) != 0;
    const bool no_final = (flags & 2) != 0;
    std::string out;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string_view::npos; start = nl + 1) {
        std::string_view piece = text.substr(start, nl - start);
        out += piece;
        // A piece that already ends in CR keeps its own; an empty line gets the same line
        // end as every other line, so the file never mixes CR LF and LF.
        if (!lf_only && (piece.empty() || piece.back() != '\r')) out += '\r';
        out += '\n';
    }
    out += text.substr(start);
    // A text that ends with its own line feed has its last line ended already.
    bool ended = !text.empty() && text.back() == '\n';
    if (!no_final && !ended) out += lf_only ? "\n" : "\r\n";

    FileHandle file = open_file(name, "ab");
    if (!file) {
        report_error(run, 1, "Unable to open file %s for appending", name.c_str());
        return std::nullopt;
    }
    bool ok = std::fwrite(out.data(), 1, out.size(), file.get()) == out.size();
    ok = close_checked(file) && ok;
    if (!ok) {
        report_error(run, 1, "Error appending to file >%s<", name.c_str());
        return std::nullopt;
    }
    return name;
}

Text fn_tempnam(Run& run, const std::string& prefix) {
    return make_temp_file(run, prefix);
}

Text fn_getenv(const std::string& name, const Text& fallback) {
    if (const char* value = std::getenv(name.c_str())) return std::string(value);
    return fallback ? *fallback : std::string();
}

Text fn_get_setting(Run& run, std::string_view text, const std::string& section,
                    const std::string& key, std::string_view separator) {
    if (section.empty()) {
        report_error(run, 1, "Empty section in GET_SETTING");
        return std::nullopt;
    }
    if (key.empty()) {
        report_error(run, 1, "Empty param in GET_SETTING");
        return std::nullopt;
    }
    const char sep = separator.empty() ? '=' : separator[0];
    bool in_section = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t nl = text.find('\n', start);
        bool has_lf = nl != std::string_view::npos;
        // Settings texts may come with CR LF line ends; the CR belongs to no value.
        std::string_view line =
            without_cr(text.substr(start, has_lf ? nl - start : std::string_view::npos));
        start = has_lf ? nl + 1 : text.size();
        if (!line.empty() && line[0] == '[') {
            if (in_section) break;  // only the first matching section is searched
            std::string_view name = line.substr(1);
            name = name.substr(0, name.find(']'));
            in_section = has_lf && equal_ignore_case(name, section);
            continue;
        }
        if (!in_section) continue;
        std::size_t at = line.find(sep);
        if (at == std::string_view::npos) continue;
        if (!equal_ignore_case(trim_blanks(line.substr(0, at)), key)) continue;
        std::string_view value = trim_blanks(line.substr(at + 1));
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
            value = value.substr(1, value.size() - 2);
        return std::string(value);
    }
    return std::string();
}

Text fn_parameter(Run& run, const std::string& n) {
    if (!is_number(n)) {
        report_error(run, 1, "parameter position is not a number in PARAMETER()");
        return std::nullopt;
    }
    return eval_r_parameter(run, to_integer(run, n));
}

}  // namespace morvel
