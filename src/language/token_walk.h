#pragma once
// Every token of a definition text with its line and column, for editor queries:
// the real lexer over the text alone (#include and #uses files are not entered).
#include <string>
#include <vector>

#include "language/tokens.h"

namespace morvel {

/// The tokens of text, in order. A lexical error (an unterminated string) loses the
/// rest of its line; a token too long to scan ends the walk.
std::vector<Token> scan_tokens(const std::string& text);

}  // namespace morvel
