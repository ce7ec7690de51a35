#include "values/text_util.h"

#include <gtest/gtest.h>

namespace morvel {
namespace {

TEST(TextUtil, EqualityIgnoresOnlyAsciiLetterCase) {
    EXPECT_TRUE(equal_ignore_case("Total", "TOTAL"));
    EXPECT_TRUE(equal_ignore_case("", ""));
    EXPECT_FALSE(equal_ignore_case("Total", "Totals"));
    EXPECT_FALSE(equal_ignore_case("a_b", "a-b"));
    // Bytes above 0x7f are not letters to fold: é in Latin-1 and É differ.
    EXPECT_FALSE(equal_ignore_case("\xe9", "\xc9"));
}

TEST(TextUtil, OrderFoldsToLowerCaseAndComparesBytesUnsigned) {
    // Folding to upper case would put "_" after the letters; lower case puts it before.
    EXPECT_LT(compare_ignore_case("_x", "M"), 0);
    EXPECT_LT(compare_ignore_case("abc", "ABCD"), 0);
    EXPECT_EQ(compare_ignore_case("AbC", "aBc"), 0);
    EXPECT_GT(compare_ignore_case("\xe9", "z"), 0);
    EXPECT_EQ(folded("Default_HP_Font"), "default_hp_font");
}

TEST(TextUtil, Utf8SequenceLength) {
    struct Case {
        std::string text;
        std::size_t pos;
        int length;
    } cases[] = {
        {"", 0, 0},
        {"ab", 2, 0},
        {"ab", 9, 0},
        {"a", 0, 1},
        {"\xc3\xa9", 0, 2},
        {"x\xe2\x82\xac", 1, 3},
        {"\xf0\x9f\x98\x80", 0, 4},
        {"\xc3", 0, 1},  // lead byte cut off by the end
        {"\xe2\x82", 0, 1},
        {"\xc3"
         "a",
         0, 1},  // no continuation byte
        {"\xe2\x82"
         "a",
         0, 1},
        {"\x80\x80", 0, 1},  // stray continuation byte
        {"\xf8\x80\x80\x80\x80", 0, 1},
        {std::string("\0", 1), 0, 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(utf8_sequence_length(c.text, c.pos), c.length) << "pos " << c.pos;
}

TEST(TextUtil, NameCheckModes) {
    struct Case {
        const char* text;
        bool mode0, mode1, mode2;
    } cases[] = {
        {"", false, false, false},         {"name", true, true, true},
        {"two words", true, false, false}, {"tab\there", true, false, false},
        {"cr\r", true, false, false},      {"lf\n", true, false, false},
        {"_x:y-1.z", true, true, true},    {":ns", true, true, true},
        {"1abc", true, true, false},       {"-abc", true, true, false},
        {"a/b", true, true, false},        {"a\xc3\xa9", true, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(check_name(c.text, 0), c.mode0) << c.text;
        EXPECT_EQ(check_name(c.text, 1), c.mode1) << c.text;
        EXPECT_EQ(check_name(c.text, 2), c.mode2) << c.text;
    }
    EXPECT_FALSE(check_name("name", 3));
}

}  // namespace
}  // namespace morvel
