#include "cups/job_options.h"

#include "core/ascii.h"

namespace morvel {

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A quoted part starting at text[i] (the quote); i ends after the closing quote.
void read_quoted(std::string_view text, std::size_t& i, std::string& out) {
    char quote = text[i++];
    while (i < text.size() && text[i] != quote) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        out += text[i++];
    }
    if (i < text.size()) ++i;
}

// A {...} group starting at text[i], braces and nested groups kept as written.
void read_group(std::string_view text, std::size_t& i, std::string& out) {
    int depth = 0;
    while (i < text.size()) {
        char c = text[i];
        if (c == '\\' && i + 1 < text.size()) {
            out += c;
            out += text[i + 1];
            i += 2;
            continue;
        }
        out += c;
        ++i;
        if (c == '{') ++depth;
        if (c == '}' && --depth == 0) return;
    }
}

}  // namespace

std::vector<JobOption> parse_job_options(std::string_view text) {
    std::vector<JobOption> options;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && is_blank(text[i])) ++i;
        if (i >= text.size()) break;
        JobOption option;
        while (i < text.size() && !is_blank(text[i]) && text[i] != '=') option.name += text[i++];
        if (i < text.size() && text[i] == '=') {
            ++i;
            while (i < text.size() && !is_blank(text[i])) {
                char c = text[i];
                if (c == '"' || c == '\'') {
                    read_quoted(text, i, option.value);
                } else if (c == '{') {
                    read_group(text, i, option.value);
                } else {
                    if (c == '\\' && i + 1 < text.size()) ++i;
                    option.value += text[i++];
                }
            }
        } else {
            option.value = "true";
        }
        options.push_back(std::move(option));
    }
    return options;
}

std::optional<std::string> find_job_option(const std::vector<JobOption>& options,
                                           std::string_view name) {
    std::optional<std::string> found;
    for (const JobOption& option : options)
        if (equal_ignore_case(option.name, name)) found = option.value;
    return found;
}

}  // namespace morvel
