#pragma once
// Byte-text helpers shared by the compiler and the evaluators: names of the
// definition language are compared without regard to ASCII letter case, and
// character functions walk UTF-8 sequences.
#include <cstddef>
#include <string>
#include <string_view>

namespace morvel {

/// ASCII lower case of one byte; other bytes unchanged (no locale).
inline char fold_lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

/// Whether a and b are equal ignoring ASCII letter case.
bool equal_ignore_case(std::string_view a, std::string_view b);

/// <0, 0 or >0 as a sorts before, with or after b after folding letters to lower case
/// (bytes compared unsigned; a proper prefix sorts first).
int compare_ignore_case(std::string_view a, std::string_view b);

/// The text with ASCII letters folded to lower case (a key for case-insensitive maps).
std::string folded(std::string_view text);

/// Length of the UTF-8 sequence starting at pos: 0 at or past the end; 1 for a byte
/// below 0x80; 2, 3 or 4 for a lead byte of that length followed by that many - 1
/// continuation bytes (10xxxxxx); otherwise 1.
int utf8_sequence_length(std::string_view text, std::size_t pos);

/// Name check. Mode 0: not empty. Mode 1: not empty and without blank, tab, CR or LF.
/// Mode 2: an XML name: first a letter, "_" or ":", then letters, digits, "-", ".", "_"
/// or ":". Any other mode accepts nothing.
bool check_name(std::string_view text, int mode);

}  // namespace morvel
