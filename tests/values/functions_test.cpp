// The dispatch of the built-in functions: argument shapes, the order in which
// arguments are evaluated, arguments that fail, and the character mode.
#include "values/functions.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>

#include "test_support.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/tree_builders.h"

namespace morvel {
namespace {

using test::args;
using test::bin;
using test::fn;
using test::lit;
using test::sub;
using test::un;
using test::val;

// An argument that fails to evaluate, after its own message.
test::ExprPtr failing() {
    return bin(Tok::MINUS, lit("a"), lit("b"));
}

Text call(Run& run, const test::ExprPtr& e) {
    return evaluate(run, e.get());
}

TEST(Functions, OneAndTwoArgumentsAsOperandsMoreAsAList) {
    test::CapturedRun c;
    EXPECT_EQ(call(c.run, un(Tok::UCASE, lit("ab"))), "AB");
    EXPECT_EQ(call(c.run, bin(Tok::MODULUS, lit("7"), lit("3"))), "1");
    // name[r, c] arrives as CSV_VALUE over a two-entry list.
    EXPECT_EQ(call(c.run, fn(Tok::CSV_VALUE, nullptr, args(val(lit("a,b")), val(lit("2"))))), "b");
    EXPECT_EQ(call(c.run, bin(Tok::CSV_VALUE, lit("a;b"), lit("2"))), "");
    EXPECT_EQ(call(c.run, fn(Tok::CSV_VALUE, nullptr,
                             args(val(lit("a;b")), val(lit("2")), val(lit(";")), val(lit("0"))))),
              "b");
    EXPECT_EQ(c.run.csv.delimiter, ';');
    EXPECT_EQ(c.run.MEMORY_ERROR, 0) << c.log();
}

TEST(Functions, StrcatEvaluatesItsSecondTextFirst) {
    test::CapturedRun c;
    std::string f = c.dir.file("order.txt");
    auto append = [&](const char* text) {
        return sub(fn(Tok::APPEND_FILE, nullptr, args(val(lit(f)), val(lit(text)), val(lit("2")))));
    };
    EXPECT_EQ(call(c.run, bin(Tok::STRCAT, append("a"), append("b"))), f + f);
    EXPECT_EQ(test::read_file(f), "ba");
}

TEST(Functions, AFailedArgumentGivesNullWithoutAFurtherMessage) {
    test::CapturedRun c;
    EXPECT_EQ(call(c.run, un(Tok::LENGTH, sub(failing()))), std::nullopt);
    EXPECT_EQ(call(c.run, bin(Tok::STRCAT, lit("a"), sub(failing()))), std::nullopt);
    EXPECT_EQ(call(c.run, fn(Tok::INSTR, nullptr, args(val(lit("a")), failing(), val(lit("1"))))),
              std::nullopt);
    EXPECT_EQ(c.log(),
              "Can only subtract numbers at line 1 of \n"
              "Can only subtract numbers at line 1 of \n"
              "Can only subtract numbers at line 1 of \n");
}

TEST(Functions, ArgumentMessages) {
    test::CapturedRun c;
    c.run.current_file = "a.def";
    EXPECT_EQ(call(c.run, bin(Tok::SUBSTRING, lit("abc"), lit("1"), 5)), std::nullopt);
    // The start of INSTR is blamed on its own line.
    EXPECT_EQ(call(c.run, fn(Tok::INSTR, nullptr,
                             args(val(lit("abc")), val(lit("b")), un(Tok::PLUS, lit("x"), 9)), 8)),
              std::nullopt);
    EXPECT_EQ(call(c.run, un(Tok::FORMAT, lit("99"), 6)), "99");
    EXPECT_EQ(call(c.run, bin(Tok::FORMAT, sub(failing()), lit("1"), 6)), std::nullopt);
    EXPECT_EQ(call(c.run, un(Tok::PARAMETER, sub(failing()), 4)), std::nullopt);
    EXPECT_EQ(call(c.run, un(Tok::LOOK_AHEAD, lit("x"), 3)), std::nullopt);
    EXPECT_EQ(call(c.run, bin(Tok::DELETE_LINE, lit("a"), lit("x"), 2)), std::nullopt);
    EXPECT_EQ(c.log(),
              "Missing value in SUBSTRING\n"
              "INSTR start value is not a number >x< at line 9 of a.def\n"
              "Number in FORMAT is NULL at line 6 of a.def\n"
              "Can only subtract numbers at line 1 of a.def\n"
              "Unable to get format string for FORMAT at line 6 of a.def\n"
              "Can only subtract numbers at line 1 of a.def\n"
              "Unable to evaluate parameter position in PARAMETER() at line 4 of a.def\n"
              "Look ahead has a non field parameter, this should not occur at line 3 of a.def\n"
              "Line number for delete line does not appear to be a line at line 2 of a.def\n");
}

TEST(Functions, CharacterModeComesFromTheArgumentThenUtf8ThenDashU) {
    test::CapturedRun c;
    const std::string euro = "\xE2\x82\xAC";
    EXPECT_EQ(call(c.run, un(Tok::LENGTH, lit(euro))), "3");
    c.run.options.utf8_mode = 1;
    EXPECT_EQ(call(c.run, un(Tok::LENGTH, lit(euro))), "1");
    ASSERT_EQ(create_internal_variables(c.run), 0);
    ASSERT_TRUE(create_objects(c.run));
    set_text_variable(c.run, "utf8", std::string("0"));
    EXPECT_EQ(call(c.run, un(Tok::LENGTH, lit(euro))), "3");
    set_text_variable(c.run, "utf8", std::string("1"));
    EXPECT_EQ(call(c.run, un(Tok::LENGTH, lit(euro))), "1");
    EXPECT_EQ(call(c.run, bin(Tok::LENGTH, lit(euro), lit("0"))), "3");
    EXPECT_EQ(call(c.run, bin(Tok::CHR, lit("8364"), lit("1"))), euro);
    EXPECT_EQ(call(c.run, bin(Tok::ASC, lit(euro), lit("7"))), "8364");
    // LENGTH counts characters for mode 1 only.
    EXPECT_EQ(call(c.run, bin(Tok::LENGTH, lit(euro), lit("2"))), "3");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0) << c.log();
}

TEST(Functions, LineFunctionsReadTheWholeVariable) {
    test::CapturedRun c;
    auto v = test::variable("v", std::string("a\nb\nc"));
    v->cell.line_index = 2;
    EXPECT_EQ(call(c.run, fn(Tok::INSERT_LINE, test::var(*v), args(val(lit("x")), val(lit("2"))))),
              "a\nx\nb\nc");
    EXPECT_EQ(call(c.run, fn(Tok::INSERT_LINE, test::var(*v), args(val(lit("x"))))), "a\nb\nc\nx");
    EXPECT_EQ(call(c.run, bin(Tok::DELETE_LINE, test::var(*v), lit("3"))), "a\nb");
    // The variable itself is not changed.
    EXPECT_EQ(v->cell.value, "a\nb\nc");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0) << c.log();
    EXPECT_EQ(call(c.run, fn(Tok::INSERT_LINE, test::var(*v), args(val(lit("x")), val(lit("p"))))),
              std::nullopt);
    v->cell.value.reset();
    EXPECT_EQ(call(c.run, fn(Tok::INSERT_LINE, test::var(*v), args(val(lit("x"))))), std::nullopt);
    EXPECT_EQ(c.log(),
              "Unable to get value for position in INSERT_LINE at line 1 of \n"
              "Value is NULL in INSERT_LINE at line 1 of \n");
}

// The reordering itself, with a companion value, runs in the functions_in_a_definition job.
TEST(Functions, SortValuesNeedsNamedValues) {
    test::CapturedRun c;
    EXPECT_EQ(call(c.run, fn(Tok::SORT_VALUES, nullptr,
                             args(val(lit("alpha")), val(lit("asc")), val(lit("b\na"))))),
              std::nullopt);
    EXPECT_EQ(call(c.run, fn(Tok::SORT_VALUES, nullptr, args(val(lit("alpha")), val(lit("asc"))))),
              std::nullopt);
    EXPECT_EQ(c.log(),
              "Unable to get values in SORT_VALUES at line 1 of \n"
              "Missing value in SORT_VALUES\n");
}

// DATE with three arguments and GET_SETTING over READ_FILE run in the
// functions_in_a_definition job.
TEST(Functions, DateShapes) {
    test::CapturedRun c;
    const char* zone = getenv("TZ");
    std::optional<std::string> saved = zone ? std::optional<std::string>(zone) : std::nullopt;
    setenv("TZ", "UTC0", 1);
    tzset();
    c.run.clock = [] { return std::time_t{1710505800}; };
    EXPECT_EQ(call(c.run, fn(Tok::DATE, nullptr, {})), "15/03/2024");
    EXPECT_EQ(call(c.run, fn(Tok::DATE, nullptr, args(val(lit("%Y"))))), "2024");
    EXPECT_EQ(call(c.run, un(Tok::DATE, lit("%m"))), "03");
    if (saved)
        setenv("TZ", saved->c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
    EXPECT_EQ(c.run.MEMORY_ERROR, 0) << c.log();
}

TEST(Functions, OtherOperatorsAreNotHandled) {
    test::CapturedRun c;
    bool handled = true;
    auto e = un(Tok::NOT, lit("a"));
    EXPECT_EQ(eval_function(c.run, *e, handled), std::nullopt);
    EXPECT_FALSE(handled);
    EXPECT_EQ(c.log(), "");
}

}  // namespace
}  // namespace morvel
