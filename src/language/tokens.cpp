#include "language/tokens.h"

#include <array>
#include <cstdint>

#include "core/ascii.h"

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
constexpr std::size_t kTokenCount = sizeof(kTokens) / sizeof(kTokens[0]);

// Names by code, built once at compile time.
constexpr std::array<const char*, 256> make_names() {
    std::array<const char*, 256> names{};
    for (const TokenInfo& t : kTokens) names[static_cast<std::size_t>(t.code)] = t.text;
    return names;
}
constexpr std::array<const char*, 256> kNames = make_names();

// FNV-1a over the upper-cased bytes, so every letter case of a word hashes alike.
// Keywords are ASCII; the locale must not change which words they match.
constexpr std::uint32_t hash_nocase(std::string_view word) {
    std::uint32_t h = 2166136261u;
    for (char c : word) {
        h ^= static_cast<unsigned char>(fold_upper(c));
        h *= 16777619u;
    }
    return h;
}

constexpr std::size_t string_length(const char* s) {
    std::size_t n = 0;
    while (s[n] != '\0') ++n;
    return n;
}

constexpr std::size_t max_keyword_length() {
    std::size_t longest = 0;
    for (const TokenInfo& t : kTokens)
        if (t.keyword && string_length(t.text) > longest) longest = string_length(t.text);
    return longest;
}
constexpr std::size_t kMaxKeywordLength = max_keyword_length();

// Open addressing with linear probing; the table is kept at most a quarter full so
// probes stay short. Every identifier the scanner reads is looked up here.
constexpr std::size_t kSlots = 1024;
static_assert(kTokenCount * 4 <= kSlots);
static_assert(kTokenCount < 0x7fff);

constexpr std::array<std::int16_t, kSlots> make_keyword_slots() {
    std::array<std::int16_t, kSlots> slots{};
    for (std::int16_t& s : slots) s = -1;
    for (std::size_t i = 0; i < kTokenCount; ++i) {
        if (!kTokens[i].keyword) continue;
        std::size_t h = hash_nocase(kTokens[i].text) & (kSlots - 1);
        while (slots[h] >= 0) h = (h + 1) & (kSlots - 1);
        slots[h] = static_cast<std::int16_t>(i);
    }
    return slots;
}
constexpr std::array<std::int16_t, kSlots> kKeywordSlots = make_keyword_slots();

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
    if (word.empty() || word.size() > kMaxKeywordLength) return std::nullopt;
    std::size_t h = hash_nocase(word) & (kSlots - 1);
    while (kKeywordSlots[h] >= 0) {
        const TokenInfo& t = kTokens[static_cast<std::size_t>(kKeywordSlots[h])];
        if (equal_ignore_case(word, t.text)) return t.code;
        h = (h + 1) & (kSlots - 1);
    }
    return std::nullopt;
}

}  // namespace morvel
