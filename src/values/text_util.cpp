#include "values/text_util.h"

#include <cstring>

namespace morvel {

namespace {

bool is_ascii_letter(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_ascii_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

int utf8_sequence_length(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return 0;
    auto lead = static_cast<unsigned char>(text[pos]);
    if (lead < 0x80) return 1;
    int length;
    if ((lead & 0xE0) == 0xC0)
        length = 2;
    else if ((lead & 0xF0) == 0xE0)
        length = 3;
    else if ((lead & 0xF8) == 0xF0)
        length = 4;
    else
        return 1;
    // A sequence cut short by the end of the text is a stray byte, not a character.
    if (text.size() - pos < static_cast<std::size_t>(length)) return 1;
    for (int i = 1; i < length; ++i)
        if ((static_cast<unsigned char>(text[pos + static_cast<std::size_t>(i)]) & 0xC0) != 0x80)
            return 1;
    return length;
}

bool check_name(std::string_view text, int mode) {
    if (text.empty()) return false;
    switch (mode) {
        case 0:
            return true;
        case 1:
            for (char c : text)
                if (c == ' ' || c == '\t' || c == '\r' || c == '\n') return false;
            return true;
        case 2: {
            auto first = static_cast<unsigned char>(text[0]);
            if (!is_ascii_letter(first) && first != '_' && first != ':') return false;
            for (std::size_t i = 1; i < text.size(); ++i) {
                auto c = static_cast<unsigned char>(text[i]);
                if (!is_ascii_letter(c) && !is_ascii_digit(c) && c != '-' && c != '.' && c != '_' &&
                    c != ':')
                    return false;
            }
            return true;
        }
        default:
            return false;
    }
}

long count_line_feeds(std::string_view text) {
    long count = 0;
    const char* at = text.data();
    const char* const end = at + text.size();
    while (at < end) {
        const void* lf = std::memchr(at, '\n', static_cast<std::size_t>(end - at));
        if (!lf) break;
        ++count;
        at = static_cast<const char*>(lf) + 1;
    }
    return count;
}

}  // namespace morvel
