#pragma once
// Byte-text helpers shared by the compiler and the evaluators: names of the
// definition language are compared without regard to ASCII letter case, and
// character functions walk UTF-8 sequences.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/ascii.h"

namespace morvel {

/// Length of the UTF-8 sequence starting at pos: 0 at or past the end; 1 for a byte
/// below 0x80; 2, 3 or 4 for a lead byte of that length followed by that many - 1
/// continuation bytes (10xxxxxx); otherwise 1.
int utf8_sequence_length(std::string_view text, std::size_t pos);

/// Name check. Mode 0: not empty. Mode 1: not empty and without blank, tab, CR or LF.
/// Mode 2: an XML name: first a letter, "_" or ":", then letters, digits, "-", ".", "_"
/// or ":". Any other mode accepts nothing.
bool check_name(std::string_view text, int mode);

/// Line feeds in text.
long count_line_feeds(std::string_view text);

}  // namespace morvel
