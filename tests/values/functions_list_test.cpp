#include <gtest/gtest.h>

#include "test_support.h"
#include "values/functions_internal.h"

namespace morvel {
namespace {

TEST(FunctionsList, CsvValueQuotes) {
    test::CapturedRun c;
    const std::string line = "a,\"b,c\",d";
    EXPECT_EQ(fn_csv_value(c.run, line, 1, std::nullopt, 0), "a");
    EXPECT_EQ(fn_csv_value(c.run, line, 2, std::nullopt, 0), "b,c");
    EXPECT_EQ(fn_csv_value(c.run, line, 3, std::nullopt, 0), "d");
    EXPECT_EQ(fn_csv_value(c.run, line, 4, std::nullopt, 0), "");
    // Flag 1: quotes are ordinary characters.
    EXPECT_EQ(fn_csv_value(c.run, line, 2, std::nullopt, 1), "\"b");
    struct Case {
        std::string text;
        long pos;
        std::string want;
    };
    const Case cases[] = {
        // Two quotes inside quotes stay as they are; text around a quoted part is dropped.
        {"x,\"say \"\"hi\"\"\",y", 2, "say \"\"hi\"\""},
        {"x, pre\"q\"post ,y", 2, "q"},
        {"x, pre\"q\"post ,y", 3, "y"},
        // A quoted part may run over a line end; outside quotes a line end ends the line.
        {"\"a\nb\",c\nd,e", 1, "a\nb"},
        {"\"a\nb\",c\nd,e", 2, "c"},
        {"\"a\nb\",c\nd,e", 3, ""},
        {"a,b\r\nc", 2, "b"},
        {"a,,c", 2, ""},
        {"", 1, ""},
        {" a , b ", 2, " b "},
    };
    for (const Case& k : cases)
        EXPECT_EQ(fn_csv_value(c.run, k.text, k.pos, std::nullopt, 0), k.want) << k.text << k.pos;
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST(FunctionsList, CsvDelimiterSticksAndTrim) {
    test::CapturedRun c;
    EXPECT_EQ(fn_csv_value(c.run, "a;b,c", 2, ';', 0), "b,c");
    EXPECT_EQ(c.run.csv.delimiter, ';');
    EXPECT_EQ(fn_csv_value(c.run, "x;y", 2, std::nullopt, 0), "y");
    c.run.csv.auto_trim = 1;
    EXPECT_EQ(fn_csv_value(c.run, "x;\t y \t;z", 2, std::nullopt, 0), "y");
    EXPECT_EQ(fn_csv_value(c.run, "x; \" y \" ;z", 2, std::nullopt, 0), "y");
    EXPECT_EQ(fn_csv_value(c.run, "x;y", 0, std::nullopt, 0), "");
    EXPECT_EQ(c.log(), "Position for CSV_VALUE < 1 at line 0 of \n");
}

TEST(FunctionsList, ColonField) {
    const std::string text = "Name: Smith\r\nTotal:12.50\nnote\nDate: 1/1";
    EXPECT_EQ(fn_colon_field(text, "name"), " Smith");
    EXPECT_EQ(fn_colon_field(text, "TOTAL"), "12.50");
    // A line without a colon joins the next line's name part, which then matches nothing.
    EXPECT_EQ(fn_colon_field(text, "Date"), "");
    EXPECT_EQ(fn_colon_field(text, "Missing"), "");
    EXPECT_EQ(fn_colon_field("a:b:c", "a"), "b:c");
    EXPECT_EQ(fn_colon_field("", "a"), "");
    EXPECT_EQ(fn_colon_field("a:b", ""), "");
    EXPECT_EQ(fn_colon_field(":x", ""), "");
}

TEST(FunctionsList, InsertAndDeleteLines) {
    struct Ins {
        std::string value, line;
        long pos;
        std::string want;
    };
    const Ins ins[] = {
        {"a\nb", "x", 1, "x\na\nb"},      {"a\nb", "x", 2, "a\nx\nb"},  {"a\nb", "x", 3, "a\nb\nx"},
        {"a\nb", "x", 999999, "a\nb\nx"}, {"a\nb", "x", -5, "x\na\nb"}, {"", "x", 2, "x"},
        {"a\n", "x", 2, "a\nx\n"},
    };
    for (const Ins& k : ins) EXPECT_EQ(fn_insert_line(k.value, k.line, k.pos), k.want) << k.pos;
    struct Del {
        std::string value;
        long n;
        std::string want;
    };
    const Del del[] = {
        {"a\nb\nc", 1, "b\nc"},    {"a\nb\nc", 2, "a\nc"},    {"a\nb\nc", 3, "a\nb"},
        {"a\nb\nc", 4, "a\nb\nc"}, {"a\nb\nc", 0, "a\nb\nc"}, {"a", 1, ""},
        {"a\nb\n", 3, "a\nb"},
    };
    for (const Del& k : del) EXPECT_EQ(fn_delete_line(k.value, k.n), k.want) << k.n;
}

class SortValues : public ::testing::Test {
  protected:
    SortTarget target(LineCell& cell, const char* text, const char* name, bool variable = true) {
        cell.value = std::string(text);
        cell.previous = std::string("old");
        cell.line_index = 3;
        cell.exhausted = true;
        return {&cell, variable, name};
    }
    test::CapturedRun c;
    LineCell amounts, names, other;
};

TEST_F(SortValues, NumericWithCompanion) {
    std::vector<SortTarget> t = {target(amounts, "10\n9\n100", "amounts"),
                                 target(names, "a\nb\nc", "names", false)};
    EXPECT_EQ(fn_sort_values(c.run, "numeric", "asc", t), "1");
    EXPECT_EQ(amounts.value, "9\n10\n100");
    EXPECT_EQ(names.value, "b\na\nc");
    EXPECT_EQ(amounts.previous, "10\n9\n100");
    EXPECT_EQ(amounts.line_index, 1);
    EXPECT_FALSE(amounts.exhausted);
    // A field keeps its reading position; only its exhausted flag is cleared.
    EXPECT_EQ(names.line_index, 3);
    EXPECT_FALSE(names.exhausted);
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST_F(SortValues, AlphaDescendingAndDates) {
    std::vector<SortTarget> t = {target(names, "b\nA\nc", "names")};
    EXPECT_EQ(fn_sort_values(c.run, "ALPHA", "Descending", t), "1");
    EXPECT_EQ(names.value, "c\nb\nA");
    EXPECT_EQ(fn_sort_values(c.run, "", "up", t), "1");
    EXPECT_EQ(names.value, "A\nb\nc");
    t = {target(amounts, "01/02/2024\n15/01/24\n31122023", "dates")};
    EXPECT_EQ(fn_sort_values(c.run, "date", "asc", t), "1");
    EXPECT_EQ(amounts.value, "31122023\n15/01/24\n01/02/2024");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    // An unreadable date sorts before every date.
    t = {target(amounts, "01/02/2024\nsoon\n15/01/24", "dates")};
    EXPECT_EQ(fn_sort_values(c.run, "date", "down", t), "1");
    EXPECT_EQ(amounts.value, "01/02/2024\n15/01/24\nsoon");
    EXPECT_EQ(c.log(),
              "Invalid date passed to SORT_VALUES for date sorting (soon) at line 0 of \n");
}

TEST_F(SortValues, ValuesOfDifferentLengths) {
    std::vector<SortTarget> t = {target(amounts, "2\n1", "amounts"),
                                 target(names, "x\ny\nz", "names"), target(other, "p\nq", "other")};
    EXPECT_EQ(fn_sort_values(c.run, "numeric", "asc", t), "0");
    EXPECT_EQ(amounts.value, "1\n2");
    EXPECT_EQ(names.value, "x\ny\nz");
    EXPECT_EQ(other.value, "p\nq");
    EXPECT_EQ(c.log(), "names does not have 2 lines as the sort field/value does at line 0 of \n");
}

TEST_F(SortValues, ShortKeysAndBadTypes) {
    std::vector<SortTarget> t = {target(amounts, "7", "amounts"), target(names, "x\ny", "names")};
    EXPECT_EQ(fn_sort_values(c.run, "numeric", "asc", t), "7");
    EXPECT_EQ(names.value, "x\ny");
    t = {target(amounts, "", "amounts")};
    EXPECT_EQ(fn_sort_values(c.run, "numeric", "asc", t), "");
    // The same value named twice is reordered once.
    t = {target(amounts, "b\na", "amounts"), target(amounts, "b\na", "amounts")};
    EXPECT_EQ(fn_sort_values(c.run, "alpha", "asc", t), "1");
    EXPECT_EQ(amounts.value, "a\nb");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_sort_values(c.run, "size", "asc", t), std::nullopt);
    amounts.value.reset();
    EXPECT_EQ(fn_sort_values(c.run, "alpha", "asc", t), std::nullopt);
    EXPECT_EQ(
        c.log(),
        "Unknown sort type in SORT_VALUES, valid types are ALPHA or NUMERIC or DATE at line 0 of \n"
        "Unable to get values in SORT_VALUES at line 0 of \n");
}

}  // namespace
}  // namespace morvel
