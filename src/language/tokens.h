#pragma once
// Token codes, keyword lookup and token names.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvel {

/// One code per keyword, operator and literal class; also the statement kinds and
/// expression operators of the program tree, and the bytes of token files.
enum class Tok : std::uint8_t {
#define TOKEN(name, code, text) name = code,
#define KEYWORD(name, code, text) name = code,
#include "language/tokens.def"
#undef TOKEN
#undef KEYWORD
};

// Token files store these codes: they must never move.
static_assert(static_cast<int>(Tok::LET) == 76);
static_assert(static_cast<int>(Tok::REPEAT) == 117);
static_assert(static_cast<int>(Tok::STRING) == 127);
static_assert(static_cast<int>(Tok::IDENT) == 146);
static_assert(static_cast<int>(Tok::ARCH_QUERY) == 218);

/// A scanned token: its code and, for numbers, strings, identifiers and comments, its text.
struct Token {
    Tok code = Tok::END;
    std::string text;
    int line = 0;    ///< line of its first character (0: not from a text, e.g. replayed)
    int column = 0;  ///< column of its first character, counted in bytes from 1
};

/// Whether tokens of this code carry a text (real, integer, string, identifier, REM, NOTE).
bool token_has_text(Tok code);
/// The keyword or punctuation of a code as written in definitions, "<identifier>" etc. for classes.
const char* token_name(Tok code);
/// The keyword token of a word (letter case ignored), including section headers and "BOLD:"-style
/// words.
std::optional<Tok> keyword_lookup(std::string_view word);
/// Whether the byte is a code that some token has.
bool is_token_code(int code);

}  // namespace morvel
