#include "language/tokens.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace morvel {

namespace {

struct TokenInfo {
    Tok code;
    const char* text;
    bool keyword;
};

constexpr TokenInfo kTokens[] = {
#define TOKEN(name, code, text) {Tok::name, text, false},
#define KEYWORD(name, code, text) {Tok::name, text, true},
#include "language/tokens.def"
#undef TOKEN
#undef KEYWORD
};

// Names by code, built once at compile time.
constexpr std::array<const char*, 256> make_names() {
    std::array<const char*, 256> names{};
    for (const TokenInfo& t : kTokens) names[static_cast<std::size_t>(t.code)] = t.text;
    return names;
}
constexpr std::array<const char*, 256> kNames = make_names();

bool equal_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) !=
            std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

bool token_has_text(Tok code) {
    switch (code) {
        case Tok::REAL:
        case Tok::INTEGER:
        case Tok::STRING:
        case Tok::IDENT:
        case Tok::REM:
        case Tok::NOTE:
            return true;
        default:
            return false;
    }
}

const char* token_name(Tok code) {
    const char* n = kNames[static_cast<std::size_t>(code)];
    return n ? n : "<unknown>";
}

bool is_token_code(int code) {
    return code >= 0 && code < 256 && kNames[static_cast<std::size_t>(code)] != nullptr;
}

std::optional<Tok> keyword_lookup(std::string_view word) {
    // Keywords are few and short; a linear scan keeps the table the single source.
    for (const TokenInfo& t : kTokens)
        if (t.keyword && equal_nocase(word, t.text)) return t.code;
    return std::nullopt;
}

}  // namespace morvel
