#include "reformat/symbol_sets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvel {
namespace {

TEST(SymbolSets, KnownIdentifiers) {
    EXPECT_EQ(symbol_set_of("8U"), SymbolSet::Roman8);
    EXPECT_EQ(symbol_set_of("0n"), SymbolSet::Latin1);
    EXPECT_EQ(symbol_set_of("19U"), SymbolSet::WindowsLatin1);
    EXPECT_EQ(symbol_set_of("579L"), std::nullopt);  // a dingbat set: bytes stay as they are
    EXPECT_EQ(symbol_set_of(""), std::nullopt);
}

// Each set's byte for the characters of German, French and Euro text (-1: none).
TEST(SymbolSets, BytesOfLatinCharacters) {
    struct Case {
        SymbolSet set;
        int sharp_s, o_umlaut, e_acute, euro;
    };
    const Case cases[] = {
        {SymbolSet::Roman8, 0xDE, 0xCE, 0xC5, -1},
        {SymbolSet::Latin1, 0xDF, 0xF6, 0xE9, -1},
        {SymbolSet::Latin9, 0xDF, 0xF6, 0xE9, 0xA4},
        {SymbolSet::Pc8, 0xE1, 0x94, 0x82, -1},
        {SymbolSet::Pc850, 0xE1, 0x94, 0x82, -1},
        {SymbolSet::WindowsLatin1, 0xDF, 0xF6, 0xE9, 0x80},
        {SymbolSet::Ascii, -1, -1, -1, -1},
    };
    auto byte = [](SymbolSet set, char32_t code) {
        std::optional<unsigned char> b = symbol_byte(set, code);
        return b ? static_cast<int>(*b) : -1;
    };
    for (const Case& k : cases) {
        int set = static_cast<int>(k.set);
        EXPECT_EQ(byte(k.set, U'\u00DF'), k.sharp_s) << set;
        EXPECT_EQ(byte(k.set, U'\u00F6'), k.o_umlaut) << set;
        EXPECT_EQ(byte(k.set, U'\u00E9'), k.e_acute) << set;
        EXPECT_EQ(byte(k.set, U'\u20AC'), k.euro) << set;
        EXPECT_EQ(byte(k.set, U'A'), 'A') << set;
        EXPECT_EQ(byte(k.set, U'\u0085'), -1) << set;  // a control character is never written
    }
}

TEST(SymbolSets, TextRewrittenWithMarksMoved) {
    struct Case {
        std::string text;
        std::vector<std::size_t> marks;
        std::string expected;
        std::vector<std::size_t> moved;
        std::size_t unknown;
    };
    const Case cases[] = {
        {"Stra\xc3\x9f"
         "e %t",
         {8},
         "Stra\xdf"
         "e %t",
         {7},
         0},
        {"\xe2\x82\xac%t \xc3\xa9%t", {3, 8}, "?%t \xe9%t", {1, 5}, 1},
        {"caf\xc3", {}, "caf?", {}, 1},  // a character cut short
        {"\xff\xfe", {}, "??", {}, 2},   // bytes that are no UTF-8
        {"plain %t", {6}, "plain %t", {6}, 0},
    };
    for (const Case& k : cases) {
        std::string text = k.text;
        std::vector<std::size_t> marks = k.marks;
        EXPECT_EQ(utf8_to_symbol_set(text, marks, SymbolSet::Latin1), k.unknown) << k.text;
        EXPECT_EQ(text, k.expected);
        EXPECT_EQ(marks, k.moved) << k.text;
    }
}

}  // namespace
}  // namespace morvel

namespace morvel {
namespace {

// The set named after "cannot show some characters": the euro sign and the en dash need
// 19U; characters of no Latin set give none.
TEST(SymbolSets, SetShowingTheMissingCharacters) {
    struct Case {
        std::string text;
        const char* from;
        std::vector<char32_t> missing;
        std::optional<std::string_view> showing;
    } cases[] = {
        {"\xE2\x82\xAC 12 \xE2\x80\x93 13", "8U", {0x20AC, 0x2013}, "19U"},
        {"\xE2\x82\xAC\xE2\x82\xAC", "0N", {0x20AC}, "19U"},
        {"\xC5\x92uvre", "0N", {0x0152}, "19U"},  // OE ligature: Windows Latin 1 and Latin 9
        {"\xE6\x97\xA5", "19U", {0x65E5}, std::nullopt},
    };
    for (Case& k : cases) {
        std::vector<std::size_t> marks;
        std::vector<char32_t> missing;
        utf8_to_symbol_set(k.text, marks, *symbol_set_of(k.from), &missing);
        EXPECT_EQ(missing, k.missing) << k.text;
        EXPECT_EQ(symbol_set_showing(missing), k.showing) << k.text;
    }
    // At most kMissingKept characters are kept, each once.
    std::string many;
    for (char32_t c = 0x3041; c < 0x3041 + 40; ++c) {
        many += static_cast<char>(0xE0 | (c >> 12));
        many += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        many += static_cast<char>(0x80 | (c & 0x3F));
    }
    many += many;
    std::vector<std::size_t> marks;
    std::vector<char32_t> missing;
    EXPECT_EQ(utf8_to_symbol_set(many, marks, SymbolSet::Latin1, &missing), 80u);
    EXPECT_EQ(missing.size(), kMissingKept);
}

}  // namespace
}  // namespace morvel
