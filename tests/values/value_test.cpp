#include "values/value.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "test_support.h"

namespace morvel {
namespace {

Value literal(const std::string& text) {
    Value v;
    v.kind = ValueKind::Literal;
    v.literal = text;
    return v;
}

Value over(ValueKind kind, LineCell& cell) {
    Value v;
    v.kind = kind;
    v.cell = &cell;
    return v;
}

std::vector<std::string> advance(Run& run, const Value& v, int times) {
    std::vector<std::string> lines;
    for (int i = 0; i < times; ++i) lines.push_back(next_line(run, v).value_or("<null>"));
    return lines;
}

using Lines = std::vector<std::string>;

TEST(Values, WhatCountsAsANumber) {
    struct Case {
        Text text;
        bool number;
    } cases[] = {
        {std::string(""), true},
        {std::string(" 12"), true},
        {std::string("12 "), false},
        {std::string("-1.5e3"), true},
        {std::string("+.5"), true},
        {std::string("1,5"), false},
        {std::string("abc"), false},
        {std::string("   "), false},
        {std::string("12\n"), false},
        {std::string("12\0"
                     "3",
                     4),
         false},
        {std::nullopt, false},
    };
    for (const Case& c : cases) EXPECT_EQ(is_number(c.text), c.number) << c.text.value_or("NULL");
}

TEST(Values, Conversions) {
    test::CapturedRun c;
    EXPECT_EQ(to_number(c.run, std::string("")), 0.0);
    EXPECT_EQ(to_integer(c.run, std::string("2.9")), 2);
    EXPECT_EQ(to_integer(c.run, std::string("-2.9")), -2);
    EXPECT_EQ(c.log(), "");
    // Out-of-range values saturate instead of overflowing the conversion.
    EXPECT_EQ(to_integer(c.run, std::string("1e300")), LONG_MAX);
    EXPECT_EQ(to_integer(c.run, std::string("-1e300")), LONG_MIN);
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(to_number(c.run, std::string("x1")), 0.0);
    EXPECT_EQ(to_integer(c.run, std::string("12 ")), 0);
    EXPECT_EQ(to_integer(c.run, std::nullopt), 0);
    EXPECT_EQ(c.log(),
              "Trying to convert a 'x1' non numeric string to a floating point number\n"
              "Trying to convert a non numeric string '12 ' to a number\n"
              "Trying to convert a non numeric string '(null)' to a number\n");
    EXPECT_EQ(from_number(3 + 4), "7.000000");
    EXPECT_EQ(from_number(0.0), "0.000000");
    EXPECT_EQ(from_integer(-42), "-42");
}

TEST(Values, PlainIntegersReadAsTheCLibraryReadsThem) {
    // Short sign-and-digit texts skip the C library; the rest must not change meaning.
    test::CapturedRun c;
    for (const char* text :
         {"0", "-0", "+0", "7", "-7", "+12", "999999999999999", "-999999999999999",
          "1234567890123456", "00012", "-", "+", "1-", "12a", " 3", "3.5", "1e2"}) {
        std::string t = text;
        char* end = nullptr;
        const double d = std::strtod(text, &end);
        EXPECT_EQ(is_number(t), *end == '\0') << t;
        if (*end != '\0') continue;
        EXPECT_EQ(argument_integer(c.run, literal(t), "x"), std::strtol(text, nullptr, 10)) << t;
        const double n = argument_number(c.run, literal(t), "x");
        EXPECT_EQ(n, d) << t;
        EXPECT_EQ(std::signbit(n), std::signbit(d)) << t;  // "-0" stays negative zero
        EXPECT_EQ(to_integer(c.run, t), truncate_to_long(d)) << t;
    }
    EXPECT_EQ(from_number(to_number(c.run, std::string("-0"))), "-0.000000");
    EXPECT_EQ(c.log(), "");
}

TEST(Values, LineByLineReadsGoOnFromTheLastLineRead) {
    test::CapturedRun c;
    c.run.current_line = 5;
    c.run.current_file = "t.def";
    LineCell cell;
    cell.value = std::string("a\nb\nc\nd");
    bool last = false;
    EXPECT_EQ(cell_line(c.run, cell, 1, last), "a");
    EXPECT_FALSE(last);
    EXPECT_EQ(cell_line(c.run, cell, 3, last), "c");
    EXPECT_FALSE(last);
    EXPECT_EQ(cell_line(c.run, cell, 4, last), "d");
    EXPECT_TRUE(last);
    EXPECT_EQ(cell_line(c.run, cell, 2, last), "b");  // backwards: from the top again
    EXPECT_EQ(cell_line(c.run, cell, 3, last), "c");
    // The text changed in place behind the remembered line: "a\nbxc\nd" has no line 4,
    // although one line on from where line 3 was would give "d".
    (*cell.value)[3] = 'x';
    EXPECT_EQ(cell_line(c.run, cell, 4, last), "");
    EXPECT_TRUE(last);
    EXPECT_EQ(cell_line(c.run, cell, 3, last), "d");
    EXPECT_TRUE(last);
    cell.value = std::string();
    EXPECT_EQ(cell_line(c.run, cell, 1, last), "");
    EXPECT_TRUE(last);
    EXPECT_EQ(c.log(),
              "Tried to get index of string beyond number of strings at line 5 of t.def\n");
}

TEST(Values, Truth) {
    EXPECT_FALSE(is_true(std::string("0")));
    EXPECT_FALSE(is_true(std::string("")));
    EXPECT_FALSE(is_true(std::nullopt));
    EXPECT_TRUE(is_true(std::string("00")));
    EXPECT_TRUE(is_true(std::string("0.0")));
    EXPECT_TRUE(is_true(std::string("abc")));
}

TEST(Values, ArgumentsReadWithAtolAndAtof) {
    test::CapturedRun c;
    EXPECT_EQ(argument_integer(c.run, literal("2.9"), "FIELD(y)"), 2);
    EXPECT_EQ(argument_integer(c.run, literal("1e3"), "FIELD(y)"), 1);
    EXPECT_EQ(argument_integer(c.run, literal(" -7"), "FIELD(y)"), -7);
    EXPECT_EQ(argument_integer(c.run, literal(""), "FIELD(y)"), 0);
    EXPECT_DOUBLE_EQ(argument_number(c.run, literal("2.5"), "TAB"), 2.5);
    LineCell cell;
    cell.value = "1\n2";  // the whole text, not a line of it
    cell.line_index = 2;
    EXPECT_EQ(argument_integer(c.run, over(ValueKind::Field, cell), "DISCARD"), 0);
    EXPECT_EQ(c.log(), "DISCARD passed 1\n2\n");
    EXPECT_EQ(argument_integer(c.run, literal("abc"), "FIELD(x)"), 0);
    cell.value = std::nullopt;
    EXPECT_EQ(argument_integer(c.run, over(ValueKind::Identifier, cell), "FIELD(len)"), 0);
    EXPECT_EQ(c.log(),
              "DISCARD passed 1\n2\n"
              "FIELD(x) passed abc\n"
              "FIELD(len) passed NULL string\n");
}

TEST(Values, LineOf) {
    test::CapturedRun c;
    c.run.current_line = 5;
    c.run.current_file = "t.def";
    EXPECT_EQ(line_of(c.run, std::string("a\nb"), 2), "b");
    EXPECT_EQ(line_of(c.run, std::string("a\nb\n"), 3), "");
    EXPECT_EQ(line_of(c.run, std::string(""), 7), "");
    EXPECT_EQ(c.log(), "");
    EXPECT_EQ(line_of(c.run, std::string("a\nb"), 3), "");
    EXPECT_EQ(line_of(c.run, std::string("a"), 0), std::nullopt);
    EXPECT_EQ(c.log(),
              "Tried to get index of string beyond number of strings at line 5 of t.def\n"
              "Index of string can not be < 1 at line 5 of t.def\n");
    EXPECT_EQ(line_count(std::nullopt), -1);
    EXPECT_EQ(line_count(std::string("")), 1);
    EXPECT_EQ(line_count(std::string("a\nb\n")), 3);
}

TEST(Values, FieldReadByNextRestartsOutsideARepeatAndStaysEmptyInside) {
    test::CapturedRun c;
    LineCell cell;
    cell.value = "one\ntwo\nthree";
    cell.line_index = 1;  // as extracted
    Value field = over(ValueKind::Field, cell);
    EXPECT_EQ(advance(c.run, field, 4), (Lines{"one", "two", "three", "one"}));
    EXPECT_EQ(cell.line_index, 2);
    EXPECT_FALSE(cell.exhausted);

    cell.line_index = 1;
    c.run.reformat.repeat_depth = 1;
    EXPECT_EQ(advance(c.run, field, 5), (Lines{"one", "two", "three", "", ""}));
    EXPECT_TRUE(cell.exhausted);
    EXPECT_EQ(operand_text(c.run, field), "");
    c.run.reformat.repeat_depth = 0;
    EXPECT_EQ(operand_text(c.run, field), "one");  // the plain read restarts but stays
    EXPECT_EQ(operand_text(c.run, field), "one");
    EXPECT_EQ(c.log(), "");
}

TEST(Values, VariableReadByNext) {
    test::CapturedRun c;
    LineCell cell;
    assign_cell(cell, std::string("l1\nl2\nl3"));
    Value var = over(ValueKind::Identifier, cell);
    EXPECT_EQ(advance(c.run, var, 3), (Lines{"l1", "l2", "l3"}));
    // Exhausted: the restart gives line 1 without moving on, so line 1 comes twice.
    EXPECT_EQ(advance(c.run, var, 3), (Lines{"l1", "l1", "l2"}));
    cell.line_index = 0;  // never read, as declared
    EXPECT_EQ(advance(c.run, var, 2), (Lines{"l1", "l1"}));
}

TEST(Values, FirstAndCurrent) {
    test::CapturedRun c;
    LineCell cell;
    cell.value = "a\nb";
    cell.line_index = 2;
    Value field = over(ValueKind::Field, cell);
    EXPECT_EQ(current_line(c.run, field), "b");
    EXPECT_EQ(current_line(c.run, field), "b");
    EXPECT_EQ(advance(c.run, field, 1), (Lines{"b"}));
    EXPECT_TRUE(cell.exhausted);
    c.run.reformat.repeat_depth = 1;
    EXPECT_EQ(first_line(c.run, field), "a");
    EXPECT_FALSE(cell.exhausted);
    EXPECT_EQ(cell.line_index, 1);

    // An empty variable stays exhausted after FIRST; an empty field does not.
    LineCell empty;
    empty.value = "";
    empty.exhausted = true;
    EXPECT_EQ(first_line(c.run, over(ValueKind::Identifier, empty)), "");
    EXPECT_TRUE(empty.exhausted);
    EXPECT_EQ(first_line(c.run, over(ValueKind::Field, empty)), "");
    EXPECT_FALSE(empty.exhausted);

    EXPECT_EQ(whole_text(c.run, field), "a\nb");
    EXPECT_EQ(first_line(c.run, literal("x\ny")), "x\ny");
    EXPECT_EQ(next_line(c.run, literal("x\ny")), "x\ny");
    LineCell absent;
    EXPECT_EQ(whole_text(c.run, over(ValueKind::Field, absent)), std::nullopt);
    EXPECT_EQ(operand_text(c.run, over(ValueKind::Field, absent)), "");
    EXPECT_EQ(c.log(), "");
}

TEST(Values, UnknownValueKinds) {
    test::CapturedRun c;
    c.run.current_line = 2;
    c.run.current_file = "d";
    Value odd;
    odd.kind = static_cast<ValueKind>(3);
    EXPECT_EQ(operand_text(c.run, odd), std::nullopt);
    EXPECT_EQ(whole_text(c.run, odd), std::nullopt);
    EXPECT_EQ(first_line(c.run, odd), std::nullopt);
    EXPECT_EQ(current_line(c.run, odd), std::nullopt);
    EXPECT_EQ(next_line(c.run, odd), std::nullopt);
    EXPECT_EQ(c.log(),
              "Uknown value\nUknown value\nUknown value\n"
              "Unknown value at line 2 of d\nUnknown value at line 2 of d\n");
}

TEST(Values, Concatenate) {
    EXPECT_EQ(concatenate(std::string("ab"), std::string("cd")), "abcd");
    EXPECT_EQ(concatenate(std::nullopt, std::string("cd")), std::nullopt);
    EXPECT_EQ(concatenate(std::string("ab"), std::nullopt), std::nullopt);
}

TEST(Values, BoundedCopyAndJoin) {
    test::CapturedRun c;
    std::string buffer = "old";
    EXPECT_TRUE(copy_bounded(c.run, buffer, std::string("abc"), 4));
    EXPECT_EQ(buffer, "abc");
    EXPECT_FALSE(copy_bounded(c.run, buffer, std::string("wxyz"), 4));
    EXPECT_EQ(buffer, "abc");
    EXPECT_FALSE(append_bounded(c.run, buffer, std::string("d"), 4));
    EXPECT_EQ(buffer, "abc");
    buffer = "ab";
    EXPECT_TRUE(append_bounded(c.run, buffer, std::string("c"), 4));
    EXPECT_EQ(buffer, "abc");
    EXPECT_FALSE(copy_bounded(c.run, buffer, std::nullopt, 4));
    EXPECT_FALSE(append_bounded(c.run, buffer, std::nullopt, 4));
    EXPECT_EQ(buffer, "abc");
    EXPECT_EQ(c.log(),
              "Tried to copy wxyz into a 3 size string\n"
              "Tried to join abc and d into a 3 size string\n"
              "Tried to copy a NULL string\n"
              "Tried to join one or more NULL string(s)\n");
}

TEST(Values, TrimAndEscape) {
    std::string t = "a b \t \t";
    trim_trailing(t);
    EXPECT_EQ(t, "a b");
    t = " \t ";
    trim_trailing(t);
    EXPECT_EQ(t, "");
    t = "x\n ";
    trim_trailing(t);
    EXPECT_EQ(t, "x\n");
    EXPECT_EQ(xml_escape("<a href=\"x\">&'</a>"),
              "&lt;a href=&quot;x&quot;&gt;&amp;&apos;&lt;/a&gt;");
    EXPECT_EQ(xml_escape("&amp;"), "&amp;amp;");
    EXPECT_EQ(xml_escape(""), "");
}

TEST(Values, MonthLength) {
    struct Case {
        int day, month;
        long year;
        int kept;
    } cases[] = {
        {29, 2, 2000, 29},  {29, 2, 1900, 28},  {29, 2, 2023, 28},  {29, 2, 2024, 29},
        {31, 4, 2023, 30},  {31, 12, 2023, 31}, {0, 5, 2023, 1},    {-3, 5, 2023, 1},
        {40, 13, 2023, 31}, {30, 0, 2023, 30},  {31, -5, 2023, 31},
    };
    for (const Case& c : cases)
        EXPECT_EQ(clamp_day(c.day, c.month, c.year), c.kept)
            << c.day << "/" << c.month << "/" << c.year;
}

}  // namespace
}  // namespace morvel
