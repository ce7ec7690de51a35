#include <gtest/gtest.h>

#include "test_support.h"
#include "values/functions_internal.h"

namespace morvel {
namespace {

TEST(FunctionsNumber, IntAndModulus) {
    struct Case {
        const char* x;
        const char* want;
    };
    for (const Case& k : {Case{"3.9", "3"}, Case{"-3.9", "-3"}, Case{"1e3", "1"}, Case{" 12", "12"},
                          Case{"abc", "abc"}, Case{"12 ", "12 "}, Case{"", "0"},
                          Case{"99999999999999999999", "9223372036854775807"}})
        EXPECT_EQ(fn_int(k.x), k.want) << k.x;
    EXPECT_EQ(fn_modulus("-7", "3"), "-1");
    EXPECT_EQ(fn_modulus("7", "-3"), "1");
    EXPECT_EQ(fn_modulus("7.9", "3.9"), "1");
    EXPECT_EQ(fn_modulus("7", "0"), "");
    EXPECT_EQ(fn_modulus("7", "0.5"), "");
    EXPECT_EQ(fn_modulus("7", "x"), "");
    EXPECT_EQ(fn_modulus("x", "7"), "");
    EXPECT_EQ(fn_modulus("-9223372036854775808", "-1"), "0");
}

TEST(FunctionsNumber, FormatPictures) {
    test::CapturedRun c;
    struct Case {
        const char* picture;
        const char* number;
        const char* want;
    };
    const Case cases[] = {
        // The documented layouts.
        {"999.99", "12.5", " 12.5 "},
        {"999.ZZ", "12.5", " 12.50"},
        {"99,999.ZZ", "1234.5", " 1,234.50"},
        {"***9", "42", "**42"},
        {"9999", "-12", " -12"},
        // Printed amounts: separators dropped, a trailing minus moved to the front.
        {"99,999.ZZ-", "1,234.50-", " 1,234.50-"},
        {"99999.ZZ", "1,234.50-", "-1234.50"},
        // Separators stay blank until a digit has been placed, and after a blank.
        {"9,999", "5", "    5"},
        {"9,999,999", "1234567", "1,234,567"},
        // Z always shows its digit, 9 blanks leading zeros, * fills them.
        {"ZZZZ", "42", "0042"},
        {"9999", "0", "    "},
        {"**,**9", "42", " ***42"},
        // Other characters are copied; blanks after a leading sign are squeezed out.
        {"$9999.ZZ", "12.5", "  $12.50"},
        {"999.ZZ", "-1.5", " -1.50"},
        {"-999.ZZ", "1.5", "   1.50"},
        {"-999.ZZ", "-1.5", "-  1.50"},
        // Rounding takes the half up.
        {"9.ZZ", "2.345", "2.35"},
        {"99.ZZ", "0.005", "  .01"},
        // A picture that ends in "." keeps all its integer positions.
        {"999.", "123", "123."},
        // Without integer positions a number below 1 still fits.
        {".ZZ", "0.5", ".50"},
        // The number text keeps only digits, "-" and ".", so letters read as 0.
        {"ZZ", "abc", "00"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(fn_format(c.run, k.picture, std::string(k.number)), k.want)
            << k.picture << " " << k.number;
    EXPECT_EQ(c.run.MEMORY_ERROR, 0) << c.log();
}

TEST(FunctionsNumber, FormatPictureTooSmall) {
    test::CapturedRun c;
    c.run.current_line = 3;
    c.run.current_file = "a.def";
    EXPECT_EQ(fn_format(c.run, "99.99", std::string("123.45")), "99.99");
    // At the bound: the largest number that fits, then one past it after rounding.
    EXPECT_EQ(fn_format(c.run, "99.99", std::string("99.99")), "99.99");
    EXPECT_EQ(fn_format(c.run, "99.99", std::string("99.995")), "99.99");
    // The sign would overwrite the first digit.
    EXPECT_EQ(fn_format(c.run, "ZZ", std::string("-12")), "ZZ");
    EXPECT_EQ(c.log(),
              "Format string is to small to hold the number in FORMAT at line 3 of a.def\n"
              "FORMAT(\"99.99\", 123.45)\n"
              "Format string is to small to hold the number in FORMAT at line 3 of a.def\n"
              "FORMAT(\"99.99\", 100.00)\n"
              "Format string is to small to hold the number in FORMAT at line 3 of a.def\n"
              "FORMAT(\"ZZ\", 12)\n");
}

TEST(FunctionsNumber, FormatBadInput) {
    test::CapturedRun c;
    c.run.current_line = 2;
    c.run.current_file = "a.def";
    EXPECT_EQ(fn_format(c.run, "99.9.9", std::string("1")), "99.9.9");
    EXPECT_EQ(fn_format(c.run, "-99-", std::string("1")), "-99-");
    EXPECT_EQ(fn_format(c.run, "Z9", std::string("1")), "Z9");
    EXPECT_EQ(fn_format(c.run, "9.9Z", std::string("1")), "9.9Z");
    EXPECT_EQ(fn_format(c.run, "9.Z9", std::string("1")), "1.0 ");
    EXPECT_EQ(fn_format(c.run, "999", std::string("1-2")), std::nullopt);
    EXPECT_EQ(fn_format(c.run, "999", std::nullopt), "999");
    EXPECT_EQ(c.log(),
              "Multiple decimal places in FORMAT at line 2 of a.def\n"
              "Multiple minus signs in FORMAT at line 2 of a.def\n"
              "Got a 9 or * after a Z in FORMAT\n"
              "In FORMAT(\"Z9\", ...) each Z stands nearer the point than every 9 and * (99Z, "
              "not ZZ9); the statement is at line 2 of a.def\n"
              "Got a 9 or * after a Z in FORMAT\n"
              "In FORMAT(\"9.9Z\", ...) each Z stands nearer the point than every 9 and * (99Z, "
              "not ZZ9); the statement is at line 2 of a.def\n"
              "Number in format is not a valid number - (1-2) at line 2 of a.def\n"
              "Number in FORMAT is NULL at line 2 of a.def\n");
}

}  // namespace
}  // namespace morvel
