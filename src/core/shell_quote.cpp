#include "core/shell_quote.h"

namespace morvel {

namespace {

// Characters with no meaning to the shell anywhere in a word.
bool plain_in_shell(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == '/' || c == ',' || c == ':' || c == '+' || c == '@' ||
           c == '%' || c == '=';
}

bool blank(char c) {
    return c == ' ' || c == '\t';
}

}  // namespace

std::string shell_quoted(std::string_view text) {
    std::string quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (char c : text) {
        // Inside double quotes only these four keep a meaning; a backslash takes it away.
        if (c == '$' || c == '`' || c == '"' || c == '\\') quoted += '\\';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string shell_words(std::string_view text) {
    std::string words;
    std::size_t i = 0;
    while (i < text.size()) {
        if (blank(text[i])) {
            while (i < text.size() && blank(text[i])) ++i;
            words += ' ';
            continue;
        }
        std::size_t end = i;
        bool plain = true;
        while (end < text.size() && !blank(text[end])) plain = plain_in_shell(text[end++]) && plain;
        std::string_view word = text.substr(i, end - i);
        if (plain)
            words += word;
        else
            words += shell_quoted(word);
        i = end;
    }
    return words;
}

}  // namespace morvel
