#include "values/text_util.h"

namespace morvel {

namespace {

bool is_ascii_letter(unsigned char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool is_ascii_digit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool equal_ignore_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold_lower(a[i]) != fold_lower(b[i])) return false;
    return true;
}

int compare_ignore_case(std::string_view a, std::string_view b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(fold_lower(a[i]));
        auto cb = static_cast<unsigned char>(fold_lower(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

std::string folded(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = fold_lower(c);
    return out;
}

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
        return text.find_first_of(" \t\r\n") == std::string_view::npos;
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

}  // namespace morvel
