// The evaluator's value functions: line access, text tests, ROUND, TOTAL.
#include <gtest/gtest.h>

#include "test_support.h"
#include "values/evaluate.h"
#include "values/tree_builders.h"

namespace morvel::test {
namespace {

class ValueFunctions : public ::testing::Test {
  protected:
    ValueFunctions() { cr.run.current_file = "test.def"; }
    Text eval(const ExprPtr& e) { return evaluate(cr.run, e.get()); }
    bool logged(const std::string& line) {
        return ("\n" + cr.log()).find("\n" + line + "\n") != std::string::npos;
    }
    CapturedRun cr;
};

TEST_F(ValueFunctions, LinesOfAVariable) {
    auto v = variable("v", "a\nb\nc");
    EXPECT_EQ(eval(bin(Tok::LBRACKET, var(*v), lit("2"))), "b");
    EXPECT_EQ(eval(bin(Tok::LBRACKET, var(*v), lit("3"))), "c");
    EXPECT_EQ(eval(un(Tok::WHOLE, var(*v))), "a\nb\nc");
    EXPECT_EQ(eval(un(Tok::LAST, var(*v))), "c");
    EXPECT_EQ(eval(un(Tok::NUM_LINES, var(*v))), "3");
    // Advancing reads after an assignment: line 1, 2, then the current line without advancing.
    EXPECT_EQ(eval(un(Tok::NEXT, var(*v))), "a");
    EXPECT_EQ(eval(un(Tok::NEXT, var(*v))), "b");
    EXPECT_EQ(eval(un(Tok::CURRENT, var(*v))), "c");
    EXPECT_EQ(eval(un(Tok::CURRENT, var(*v))), "c");
    EXPECT_EQ(eval(un(Tok::FIRST, var(*v))), "a");
    EXPECT_EQ(eval(un(Tok::CURRENT, var(*v))), "a");
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
    EXPECT_FALSE(eval(bin(Tok::LBRACKET, var(*v), lit("0"), 11)));
    EXPECT_TRUE(logged("Index of string can not be < 1 at line 11 of test.def"));
}

TEST_F(ValueFunctions, LineCountsAndBlankness) {
    auto empty = variable("e", "");
    auto null = variable("n", std::nullopt);
    auto blank = variable("b", " \n\t\r ");
    LineCell text;
    text.value = "x\ny";
    EXPECT_EQ(eval(un(Tok::NUM_LINES, var(*empty))), "1");
    EXPECT_EQ(eval(un(Tok::NUM_LINES, var(*null))), "0");
    EXPECT_EQ(eval(un(Tok::NUM_LINES, field(text))), "2");
    EXPECT_EQ(eval(un(Tok::NUM_LINES, lit("a\nb"))), "0");  // not a name
    // A variable left NULL by a failed LET reads as empty, as its plain read does.
    EXPECT_EQ(eval(un(Tok::LAST, var(*null))), "");
    EXPECT_EQ(eval(un(Tok::WHOLE, var(*null))), "");
    EXPECT_EQ(eval(bin(Tok::LBRACKET, var(*null), lit("2"))), "");
    EXPECT_EQ(eval(un(Tok::LAST, field(text))), "y");
    EXPECT_EQ(eval(un(Tok::BLANK, var(*blank))), "1");
    EXPECT_EQ(eval(un(Tok::BLANK, var(*null))), "1");
    EXPECT_EQ(eval(un(Tok::BLANK, var(*empty))), "1");
    EXPECT_EQ(eval(un(Tok::BLANK, field(text))), "0");
}

TEST_F(ValueFunctions, TextTests) {
    const std::pair<const char*, const char*> numeric[] = {
        {" 12 ", "1"}, {"12a", "0"},  {"", "0"},    {"-1.5", "1"}, {"1e5", "1"},
        {"   ", "0"},  {"12\t", "1"}, {"1 2", "0"}, {"\t", "0"},
    };
    for (const auto& [text, expected] : numeric)
        EXPECT_EQ(eval(un(Tok::IS_NUMERIC, lit(text))), expected) << '"' << text << '"';
    EXPECT_EQ(eval(un(Tok::TRIM, lit("  a b \t"))), "a b");
    EXPECT_EQ(eval(un(Tok::LTRIM, lit("  a b \t"))), "a b \t");
    EXPECT_EQ(eval(un(Tok::RTRIM, lit("  a b \t"))), "  a b");
    EXPECT_EQ(eval(un(Tok::LTRIM, lit("\tx"))), "\tx");  // blanks only
    // QUOTED makes one shell word: the characters /bin/sh reads inside double quotes
    // are escaped.
    EXPECT_EQ(eval(un(Tok::QUOTED, lit("a b"))), "\"a b\"");
    EXPECT_EQ(eval(un(Tok::QUOTED, lit("say \"hi\" $(id) `x` \\"))),
              "\"say \\\"hi\\\" \\$(id) \\`x\\` \\\\\"");
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
}

TEST_F(ValueFunctions, FileExists) {
    std::string present = cr.dir.write("here.txt", "x");
    EXPECT_EQ(eval(un(Tok::FILE_EXISTS, lit(present))), "1");
    EXPECT_EQ(eval(un(Tok::FILE_EXISTS, lit(cr.dir.path().string()))), "1");
    EXPECT_EQ(eval(un(Tok::FILE_EXISTS, lit(cr.dir.file("missing.txt")))), "0");
    EXPECT_EQ(eval(un(Tok::FILE_EXISTS, lit(present + "/below"))), "0");
    EXPECT_EQ(eval(un(Tok::FILE_EXISTS, lit(""))), "0");
}

TEST_F(ValueFunctions, RoundKnownAnswers) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"2.345", "2", "2.35"},
        {"2.5", "0", "3"},
        {"-2.5", "0", "-2"},
        {"1.005", "2", "1.01"},
        {"2.345", "1", "2.3"},
        {"7", "3", "7.000"},
        {"", "1", "0.0"},
        {"0.125", "2", "0.13"},
        // Halves of larger numbers round up too (an absolute 1e-14 would vanish in them).
        {"1234.5", "0", "1235"},
        {"-1234.5", "0", "-1234"},
        {"100000.125", "2", "100000.13"},
        {"1234.4", "0", "1234"},
    };
    for (const auto& [a, n, expected] : cases)
        EXPECT_EQ(eval(bin(Tok::ROUND, lit(a), lit(n))), expected) << a << ", " << n;
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
}

TEST_F(ValueFunctions, RoundBoundsItsDecimals) {
    Text at_bound = eval(bin(Tok::ROUND, lit("1"), lit("99")));
    ASSERT_TRUE(at_bound);
    EXPECT_EQ(at_bound->size(), 2u + 99u);
    Text past = eval(bin(Tok::ROUND, lit("1"), lit("100000")));
    ASSERT_TRUE(past);
    EXPECT_EQ(*past, *at_bound);
    // A negative count keeps printf's reading: six decimals.
    EXPECT_EQ(eval(bin(Tok::ROUND, lit("1.5"), lit("-1"))), "1.500000");
}

TEST_F(ValueFunctions, RoundReadsTheCountFirstAndNeedsBoth) {
    EXPECT_EQ(eval(bin(Tok::ROUND, lit("abc"), lit("xyz"))), "0");
    EXPECT_EQ(cr.log(),
              "Trying to convert a non numeric string 'xyz' to a number\n"
              "Trying to convert a 'abc' non numeric string to a floating point number\n");
    EXPECT_FALSE(eval(un(Tok::ROUND, lit("1"), 4)));
    EXPECT_TRUE(logged("Missing operand in ROUND"));
}

TEST_F(ValueFunctions, TotalKnownAnswers) {
    const std::pair<const char*, const char*> cases[] = {
        {"10.00\n2.50-\n\nabc", "7.500000"},
        {"1,234.50\n1234.50\n12.00-", "2457.000000"},
        {"-5\nEUR 3", "-2.000000"},
        {"", "0.000000"},
        {"-\n3", "3.000000"},
        {"1.5\r\n2", "3.500000"},
    };
    for (const auto& [text, expected] : cases) {
        auto t = variable("t", text);
        EXPECT_EQ(eval(un(Tok::TOTAL, var(*t))), expected) << text;
    }
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
    LineCell amounts;
    amounts.value = "1\n2";
    EXPECT_EQ(eval(un(Tok::TOTAL, field(amounts))), "3.000000");
    EXPECT_EQ(eval(un(Tok::TOTAL, lit("5"))), "0");
    auto null = variable("n", std::nullopt);
    EXPECT_EQ(eval(un(Tok::TOTAL, var(*null))), "0.000000");
}

TEST_F(ValueFunctions, TotalLineLengthLimit) {
    // 249 characters are read; 250 are reported and skipped.
    auto t = variable("t", std::string(248, ' ') + "5\n" + std::string(249, ' ') + "7\n1");
    EXPECT_EQ(eval(un(Tok::TOTAL, var(*t), 3)), "6.000000");
    EXPECT_EQ(
        cr.log(),
        "Length of a string in TOTAL function is exceeds 249 characters at line 3 of test.def\n");
}

TEST_F(ValueFunctions, TotalOfANonNumberAddsNothing) {
    auto t = variable("t", "1-2\n4");
    EXPECT_EQ(eval(un(Tok::TOTAL, var(*t))), "4.000000");
    EXPECT_TRUE(logged("Trying to convert a '1-2' non numeric string to a floating point number"));
}

}  // namespace
}  // namespace morvel::test
