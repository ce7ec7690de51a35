// CHANGE: the change test and the table-cell replacement.
#include <gtest/gtest.h>

#include "test_support.h"
#include "values/evaluate.h"
#include "values/tree_builders.h"

namespace morvel::test {
namespace {

class Change : public ::testing::Test {
  protected:
    Change() { cr.run.current_file = "test.def"; }
    Text eval(const ExprPtr& e) { return evaluate(cr.run, e.get()); }
    // CHANGE(t, row, column, value [, separator]) with literal arguments.
    Text change(VariableRecord& t, const char* row, const char* column, const char* value,
                const char* separator = nullptr) {
        std::vector<ExprPtr> a = args(val(lit(row)), val(lit(column)), val(lit(value)));
        if (separator) a.push_back(val(lit(separator)));
        return eval(fn(Tok::CHANGE, var(t), std::move(a), 6));
    }
    CapturedRun cr;
};

struct CellCase {
    const char* table;
    const char* row;
    const char* column;
    const char* separator;
    const char* result;
};

TEST_F(Change, ReplacesOneCell) {
    const CellCase cases[] = {
        {"a,b,c\nd,e,f", "2", "3", nullptr, "a,b,c\nd,e,x"},
        {"a,b,c\nd,e,f", "1", "1", nullptr, "x,b,c\nd,e,f"},
        {"a,b,c\nd,e,f", "1", "2", nullptr, "a,x,c\nd,e,f"},
        {"a,b,c\nd,e,f", "2", "0", nullptr, "a,b,c\nx"},  // column 0 is the whole row
        {"a,b,c", "1", "0", nullptr, "x"},
        {"a;b,c;d", "1", "2", ";", "a;x;d"},
        {"a;b,c;d", "1", "2", "", "a;b,x"},             // empty separator: the default
        {"\"p,q\",b\nz", "1", "1", nullptr, "x,b\nz"},  // a quoted cell includes its quotes
        {"\"p,q\",b\nz", "1", "2", nullptr, "\"p,q\",x\nz"},
        {"\"p\"\"q\",b", "1", "2", nullptr, "\"p\"\"q\",x"},  // doubled quote stays inside
        {"\"p\nq\",b\nz", "1", "2", nullptr,
         "\"p\nq\",x\nz"},  // a quoted line end does not end the row
        {"a,b\r\nc", "1", "2", nullptr, "a,x\r\nc"},
        {"a,\"b\"c,d", "1", "2", nullptr, "a,xc,d"},  // the quoted cell ends after its quote
        {"a,b,c", "1", "2.9", nullptr, "a,x,c"},      // positions are read as integers
    };
    for (const auto& c : cases) {
        auto t = variable("t", c.table);
        t->cell.previous = "before";
        t->cell.line_index = 2;
        Text r = change(*t, c.row, c.column, "x", c.separator);
        EXPECT_EQ(r, c.result) << c.table << " row " << c.row << " col " << c.column;
        EXPECT_EQ(t->cell.value, c.result);
        EXPECT_EQ(t->cell.previous, "before");
        EXPECT_EQ(t->cell.line_index, 2);
    }
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
}

TEST_F(Change, DefaultSeparatorIsTheRunsCsvDelimiter) {
    cr.run.csv.delimiter = '|';
    auto t = variable("t", "a|b,c|d");
    EXPECT_EQ(change(*t, "1", "2", "x"), "a|x|d");
}

struct ErrorCase {
    const char* table;
    const char* row;
    const char* column;
    const char* message;
};

TEST_F(Change, RefusalsGiveAnEmptyTextAndLeaveTheTable) {
    const ErrorCase cases[] = {
        {"a,b,c\nd,,f", "2", "2", "unable to find column 2 in CHANGE at line 6 of test.def"},
        {"a,b,c\nd,e,f", "2", "4", "unable to find column 4 in CHANGE at line 6 of test.def"},
        {"a,b,c\nd,e,f", "3", "1",
         "reference row beyond number of rows in CHANGE at line 6 of test.def"},
        {"a,b,c", "0", "1", "row position (0) is less than 1 at line 6 of test.def"},
        {"a,b,c", "1", "q", "col position (q) is not a number in CHANGE at line 6 of test.def"},
        {"a,b,c", "r", "1", "row position (r) is not a number in CHANGE at line 6 of test.def"},
        {"a,b,c", "1", "-1", "col position (-1) is less than 0 at line 6 of test.def"},
        {"", "1", "1", "unable to find column 1 in CHANGE at line 6 of test.def"},
    };
    for (const auto& c : cases) {
        CapturedRun fresh;
        fresh.run.current_file = "test.def";
        auto t = variable("t", c.table);
        ExprPtr e =
            fn(Tok::CHANGE, var(*t), args(val(lit(c.row)), val(lit(c.column)), val(lit("x"))), 6);
        EXPECT_EQ(evaluate(fresh.run, e.get()), "") << c.message;
        EXPECT_EQ(fresh.log(), std::string(c.message) + "\n");
        EXPECT_EQ(t->cell.value, c.table);
    }
}

TEST_F(Change, NeedsAVariableAndThreeArguments) {
    LineCell text;
    text.value = "a,b";
    EXPECT_EQ(
        eval(fn(Tok::CHANGE, field(text), args(val(lit("1")), val(lit("1")), val(lit("x"))), 6)),
        "");
    auto t = variable("t", "a,b");
    EXPECT_EQ(eval(fn(Tok::CHANGE, var(*t), args(val(lit("1")), val(lit("1"))), 6)), "");
    EXPECT_EQ(eval(fn(Tok::CHANGE, var(*t),
                      args(val(lit("1")), val(lit("1")), un(Tok::MINUS, lit("v"), 6)), 6)),
              "");
    EXPECT_EQ(cr.log(),
              "Unknown value for CHANGE at line 6 of test.def\n"
              "Missing parameter for CHANGE at line 6 of test.def\n"
              "Can only negate numbers at line 6 of test.def\n"
              "Cannot determine value in CHANGE at line 6 of test.def\n");
    EXPECT_EQ(t->cell.value, "a,b");
}

TEST_F(Change, ChangeTestComparesWithThePreviousText) {
    auto t = variable("t", "abc");
    t->cell.previous = "ABC";
    EXPECT_EQ(eval(un(Tok::CHANGE, var(*t))), "0");
    t->cell.previous = "abd";
    EXPECT_EQ(eval(un(Tok::CHANGE, var(*t))), "1");
    LineCell text;
    text.value = "new";
    EXPECT_EQ(eval(un(Tok::CHANGE, field(text))), "1");  // no previous text yet
    text.previous = "new";
    EXPECT_EQ(eval(un(Tok::CHANGE, field(text))), "0");
    text.previous.reset();
    text.previous_is_value = true;  // a field's first text, held once
    EXPECT_EQ(eval(un(Tok::CHANGE, field(text))), "0");
    EXPECT_EQ(eval(un(Tok::CHANGE, lit("x"))), "0");
}

}  // namespace
}  // namespace morvel::test
