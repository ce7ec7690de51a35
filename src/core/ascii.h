#pragma once
// ASCII letter case: keywords, names and options of the definition language match
// without regard to the case of ASCII letters, whatever the locale of the run.
#include <cstddef>
#include <string>
#include <string_view>

namespace morvel {

/// ASCII lower case of one byte; other bytes unchanged (no locale).
constexpr char fold_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// ASCII upper case of one byte; other bytes unchanged (no locale).
constexpr char fold_upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

/// Whether a and b are equal ignoring ASCII letter case.
constexpr bool equal_ignore_case(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (fold_lower(a[i]) != fold_lower(b[i])) return false;
    return true;
}

/// <0, 0 or >0 as a sorts before, with or after b after folding letters to lower case
/// (bytes compared unsigned; a proper prefix sorts first).
int compare_ignore_case(std::string_view a, std::string_view b);

/// The text with ASCII letters folded to lower case (a key for case-insensitive maps).
std::string folded(std::string_view text);

}  // namespace morvel
