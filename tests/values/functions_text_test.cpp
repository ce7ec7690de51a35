#include <gtest/gtest.h>

#include "test_support.h"
#include "values/functions_internal.h"

namespace morvel {
namespace {

const std::string kEuro = "\xE2\x82\xAC";

TEST(FunctionsText, LengthCountsCharactersOnlyInModeOne) {
    std::string text = "a" + kEuro + "b";
    EXPECT_EQ(fn_length(text, 0), "5");
    EXPECT_EQ(fn_length(text, 1), "3");
    EXPECT_EQ(fn_length(text, 2), "5");
    // A broken sequence counts byte by byte.
    EXPECT_EQ(fn_length("\xE2\x82x", 1), "3");
    EXPECT_EQ(fn_length("", 1), "0");
}

TEST(FunctionsText, Substring) {
    test::CapturedRun c;
    struct Case {
        std::string text, start, length;
        int mode;
        std::string want;
    };
    const Case cases[] = {
        {"abcdef", "3", "2", 0, "cd"},
        {"abc", "5", "2", 0, ""},
        {"abc", "4", "1", 0, ""},
        {"abcdef", "5", "10", 0, "ef"},
        {"a" + kEuro + "bc", "2", "2", 1, kEuro + "b"},
        {"a" + kEuro + "bc", "2", "2", 0, "\xE2\x82"},
        {kEuro + kEuro, "3", "1", 1, ""},
    };
    for (const Case& k : cases)
        EXPECT_EQ(fn_substring(c.run, k.text, k.start, k.length, k.mode), k.want)
            << k.text << k.start;
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST(FunctionsText, SubstringRefusesBadPositions) {
    test::CapturedRun c;
    c.run.current_line = 4;
    c.run.current_file = "t.def";
    EXPECT_EQ(fn_substring(c.run, "abc", std::string("0"), std::string("1"), 0), std::nullopt);
    EXPECT_EQ(fn_substring(c.run, "abc", std::string("1"), std::string("0"), 0), std::nullopt);
    EXPECT_EQ(fn_substring(c.run, "abc", std::string("x"), std::string("1"), 0), std::nullopt);
    EXPECT_EQ(fn_substring(c.run, "abc", std::string("1"), std::nullopt, 0), std::nullopt);
    EXPECT_EQ(c.log(),
              "Starts value for SUBSTRING is invalid at line 4 of t.def\n"
              "Length value for SUBSTRING is invalid at line 4 of t.def\n"
              "Null or invalid value for starts in SUBSTRING at line 4 of t.def\n"
              "Null or invalid value for length in SUBSTRING at line 4 of t.def\n");
}

TEST(FunctionsText, InstrInBothModes) {
    test::CapturedRun c;
    EXPECT_EQ(fn_instr(c.run, "Hello World", "WORLD", "1", 0), "7");
    EXPECT_EQ(fn_instr(c.run, "Hello World", "WORLD", "1", 1), "0");
    EXPECT_EQ(fn_instr(c.run, "Hello World", "World", "1", 1), "7");
    // Start at or after the occurrence; below 1 counts as 1.
    EXPECT_EQ(fn_instr(c.run, "abcabc", "b", "3", 0), "5");
    EXPECT_EQ(fn_instr(c.run, "abcabc", "b", "-4", 0), "2");
    EXPECT_EQ(fn_instr(c.run, "abc", "c", "4", 0), "0");
    // UTF-8 positions count characters, before and after the start.
    std::string text = kEuro + "a" + kEuro + "b";
    EXPECT_EQ(fn_instr(c.run, text, "b", "1", 1), "4");
    EXPECT_EQ(fn_instr(c.run, text, kEuro, "2", 1), "3");
    EXPECT_EQ(fn_instr(c.run, text, "b", "1", 0), "8");
    // An empty search text is found where the search starts.
    EXPECT_EQ(fn_instr(c.run, "abc", "", "2", 0), "2");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_instr(c.run, "abc", "b", "two", 0), std::nullopt);
    EXPECT_EQ(c.log(), "INSTR start value is not a number >two< at line 0 of \n");
}

TEST(FunctionsText, PadNeverCuts) {
    test::CapturedRun c;
    EXPECT_EQ(fn_pad(c.run, true, "42", "0", "5", 0), "00042");
    EXPECT_EQ(fn_pad(c.run, false, "abcdef", "x", "3", 0), "abcdef");
    EXPECT_EQ(fn_pad(c.run, false, "ab", "", "4", 0), "ab  ");
    EXPECT_EQ(fn_pad(c.run, false, "ab", "xyz", "3", 0), "abx");
    EXPECT_EQ(fn_pad(c.run, true, "ab", "x", "-3", 0), "ab");
    // UTF-8: the pad character is a whole character and the length counts characters.
    EXPECT_EQ(fn_pad(c.run, true, kEuro, kEuro, "3", 1), kEuro + kEuro + kEuro);
    EXPECT_EQ(fn_pad(c.run, true, kEuro, "-", "3", 0), kEuro);
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_pad(c.run, true, "a", "x", "5a", 0), std::nullopt);
    EXPECT_EQ(fn_pad(c.run, false, "a", "x", "", 0), "a");
    // The longest pad and one past it.
    EXPECT_EQ(fn_pad(c.run, true, "", "x", "16777216", 0)->size(), 16777216u);
    EXPECT_EQ(fn_pad(c.run, false, "a", "x", "16777217", 0), std::nullopt);
    EXPECT_EQ(c.log(),
              "LEFT_PAD length value is not a number >5a< at line 0 of \n"
              "RIGHT_PAD length value is too large >16777217< at line 0 of \n");
}

TEST(FunctionsText, Delete) {
    test::CapturedRun c;
    EXPECT_EQ(fn_delete(c.run, "abcdef", std::string("3"), std::string("2")), "abef");
    EXPECT_EQ(fn_delete(c.run, "abcdef", std::string("3"), std::string("10")), "ab");
    EXPECT_EQ(fn_delete(c.run, "abc", std::string("4"), std::string("1")), "abc");
    EXPECT_EQ(fn_delete(c.run, "abc", std::string("3"), std::string("1")), "ab");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_delete(c.run, "abc", std::string("0"), std::string("1")), std::nullopt);
    EXPECT_EQ(fn_delete(c.run, "abc", std::nullopt, std::string("1")), std::nullopt);
    EXPECT_EQ(fn_delete(c.run, "abc", std::string("1"), std::string("-1")), std::nullopt);
    EXPECT_EQ(c.log(),
              "Starts value for DELETE is invalid at line 0 of \n"
              "Null or invalid value for starts in DELETE at line 0 of \n"
              "Length value for DELETE is invalid at line 0 of \n");
}

TEST(FunctionsText, ReplaceStringIgnoresCaseAndDoesNotOverlap) {
    test::CapturedRun c;
    EXPECT_EQ(fn_replace_string(c.run, "Abc abc ABC", "abc", "x"), "x x x");
    EXPECT_EQ(fn_replace_string(c.run, "aaaa", "aa", "a"), "aa");
    EXPECT_EQ(fn_replace_string(c.run, "Mr X", "x", "xx"), "Mr xx");
    EXPECT_EQ(fn_replace_string(c.run, "abc", "abcd", "x"), "abc");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_replace_string(c.run, "abc", "", "x"), std::nullopt);
    EXPECT_EQ(c.log(), "REPLACE_STRING has empty search parameter at line 0 of \n");
}

TEST(FunctionsText, AscAndChr) {
    EXPECT_EQ(fn_chr("8364", 1), kEuro);
    EXPECT_EQ(fn_asc(kEuro, 1), "8364");
    EXPECT_EQ(fn_asc(kEuro, 0), "-30");
    EXPECT_EQ(fn_asc("A", 0), "65");
    EXPECT_EQ(fn_asc("", 1), "0");
    EXPECT_EQ(fn_asc("", 0), "0");
    EXPECT_EQ(fn_asc("\xE2\x82", 1), "226");
    struct Case {
        const char* n;
        int mode;
        std::string want;
    };
    const Case cases[] = {
        {"65", 0, "A"},
        {"0", 0, ""},
        {"0", 1, ""},
        {"233", 0, "\xE9"},
        {"321", 0, "A"},
        {"127", 1, "\x7F"},
        {"128", 1, "\xC2\x80"},
        {"2047", 1, "\xDF\xBF"},
        {"2048", 1, "\xE0\xA0\x80"},
        {"65535", 1, "\xEF\xBF\xBF"},
        {"65536", 1, "\xF0\x90\x80\x80"},
        {"1114111", 1, "\xF4\x8F\xBF\xBF"},
        {"1114112", 1, ""},
        {"-1", 1, ""},
        {"abc", 1, ""},
    };
    for (const Case& k : cases) EXPECT_EQ(fn_chr(k.n, k.mode), k.want) << k.n;
    // Every encoding reads back to its code point.
    for (const char* n : {"127", "128", "2047", "2048", "65535", "65536", "1114111"})
        EXPECT_EQ(fn_asc(*fn_chr(n, 1), 1), n);
}

}  // namespace
}  // namespace morvel
