#pragma once
// What the editor shows about the language's own words: each built-in function's
// argument form and one line of what it gives, and the meaning of the statement,
// setting and section keywords. One row per word.
#include <string>
#include <vector>

#include "language/tokens.h"

namespace morvel::lsp {

/// The call form of a built-in function, as written: "SUBSTRING(text, start, length [, utf8])".
/// Empty for a token that is no built-in function.
std::string function_form(Tok token);
/// One line on what the function gives; empty when it is none.
std::string function_summary(Tok token);
/// One line on what a keyword means; empty for a word without an entry.
std::string keyword_summary(Tok token);

/// Where a word stands, for completion: statement starts of each program family,
/// settings, section headers.
enum class WordPlace { TopLevel, Input, Extract, Delivery, Output, Reformat, Settings };
/// The keywords that may start a statement or setting at that place.
std::vector<Tok> words_at(WordPlace place);

}  // namespace morvel::lsp
