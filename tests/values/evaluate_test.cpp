// The evaluator's operators: arithmetic, comparison, logic, and their messages.
#include "values/evaluate.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "values/tree_builders.h"

namespace morvel::test {
namespace {

class Evaluate : public ::testing::Test {
  protected:
    Evaluate() { cr.run.current_file = "test.def"; }
    Text eval(const ExprPtr& e) { return evaluate(cr.run, e.get()); }
    // Whether the log holds this whole line.
    bool logged(const std::string& line) {
        return ("\n" + cr.log()).find("\n" + line + "\n") != std::string::npos;
    }
    CapturedRun cr;
};

struct BinaryCase {
    const char* a;
    Tok op;
    const char* b;
    const char* result;
};

TEST_F(Evaluate, BinaryOperatorsKnownAnswers) {
    const BinaryCase cases[] = {
        {"10", Tok::PLUS, "5", "15.000000"},
        {"10", Tok::PLUS, "abc", "10abc"},
        {"", Tok::PLUS, "", "0.000000"},
        {"", Tok::PLUS, "abc", "abc"},
        {" 12", Tok::PLUS, "1", "13.000000"},
        {"12 ", Tok::PLUS, "1", "12 1"},
        {"3", Tok::MINUS, "4", "-1.000000"},
        {"2", Tok::STAR, "3.5", "7.000000"},
        {"7", Tok::SLASH, "2", "3.500000"},
        {"1", Tok::SLASH, "0", "inf"},
        {"abc", Tok::EQ, "ABC", "1"},
        {"10", Tok::EQ, "10.0", "1"},
        {"10", Tok::LT, "9", "0"},
        {"10a", Tok::LT, "9a", "1"},
        {"a", Tok::NE, "A", "0"},
        {"b", Tok::GT, "A", "1"},
        {"B", Tok::GE, "b", "1"},
        {"a", Tok::LE, "ab", "1"},
        {"_", Tok::LT, "A", "1"},  // letters fold to lower case before bytes compare
        {"", Tok::EQ, "0", "1"},
        {"abc", Tok::AND, "0", "1"},
        {"5", Tok::AND, "0", "0"},
        {"5", Tok::AND, "", "0"},
        {"5", Tok::AND, "x", "1"},
        {"", Tok::AND, "1", "0"},
        {"0", Tok::OR, "0", "0"},
        {"", Tok::OR, "", "0"},
        {"0", Tok::OR, "abc", "1"},
        {"0", Tok::OR, "2", "1"},
        {"abc", Tok::OR, "0", "1"},
    };
    for (const auto& c : cases) {
        Text r = eval(bin(c.op, lit(c.a), lit(c.b)));
        ASSERT_TRUE(r) << c.a << " " << token_name(c.op) << " " << c.b;
        EXPECT_EQ(*r, c.result) << c.a << " " << token_name(c.op) << " " << c.b;
    }
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
}

// A + B + C ... nests to the left: a chain long enough to exhaust the stack is refused
// with a message, one that is merely long still evaluates, and the depth count recovers.
TEST_F(Evaluate, LongChainsEvaluateAndTooDeepOnesAreRefused) {
    auto chain = [](int n) {
        ExprPtr e = val(lit("1"));
        for (int i = 1; i < n; ++i) e = bin(Tok::STAR, sub(std::move(e)), lit("1"));
        return e;
    };
    ExprPtr fine = chain(1500);
    EXPECT_EQ(eval(fine), "1.000000");
    ExprPtr too_deep = chain(100000);
    EXPECT_EQ(eval(too_deep), std::nullopt);
    EXPECT_TRUE(logged("Expression nested too deeply to evaluate")) << cr.log();
    EXPECT_EQ(cr.run.evaluation_depth, 0);
    EXPECT_EQ(eval(fine), "1.000000");
}

TEST_F(Evaluate, NestedOperandsAndSingleValue) {
    // (1 + 2) * 4 with the sum as a nested expression, and a bare value.
    EXPECT_EQ(eval(bin(Tok::STAR, sub(bin(Tok::PLUS, lit("1"), lit("2"))), lit("4"))), "12.000000");
    EXPECT_EQ(eval(val(lit("as is"))), "as is");
    EXPECT_EQ(eval(un(Tok::MINUS, lit("5"))), "-5.000000");
    EXPECT_EQ(eval(un(Tok::MINUS, lit("0"))), "0.000000");
}

TEST_F(Evaluate, NotWarnsOnNonNumbers) {
    EXPECT_EQ(eval(un(Tok::NOT, lit("0"))), "1");
    EXPECT_EQ(eval(un(Tok::NOT, lit("5"))), "0");
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
    EXPECT_EQ(eval(un(Tok::NOT, lit("abc"), 8)), "1");
    std::string log = cr.log();
    EXPECT_EQ(log,
              "Trying to NOT a non numeric value at line 8 of test.def\n"
              "Trying to convert a non numeric string 'abc' to a number\n");
}

struct ErrorCase {
    const char* what;
    ExprPtr (*build)();
    const char* line;
};

TEST_F(Evaluate, OperatorErrorsGiveNullWithTheirMessage) {
    const ErrorCase cases[] = {
        {"a - 1", [] { return bin(Tok::MINUS, lit("a"), lit("1"), 4); },
         "Can only subtract numbers at line 4 of test.def"},
        {"a * 2", [] { return bin(Tok::STAR, lit("a"), lit("2"), 5); },
         "Can only multiply or divide numbers at line 5 of test.def"},
        {"6 / b", [] { return bin(Tok::SLASH, lit("6"), lit("b"), 6); },
         "Can only multiply or divide numbers at line 6 of test.def"},
        {"-c", [] { return un(Tok::MINUS, lit("c"), 7); },
         "Can only negate numbers at line 7 of test.def"},
        {"1 *", [] { return un(Tok::STAR, lit("1"), 3); },
         "Missing operand in * operation at line 3 of test.def"},
        {"1 /", [] { return un(Tok::SLASH, lit("1"), 3); },
         "Missing operand in / operation at line 3 of test.def"},
        {"1 =", [] { return un(Tok::EQ, lit("1"), 3); },
         "Missing operand in comparison operation at line 3 of test.def"},
        {"+ without left", [] { return fn(Tok::PLUS, nullptr, args(val(lit("1"))), 3); },
         "Missing operand in + operation at line 3 of test.def"},
        {"- without left", [] { return fn(Tok::MINUS, nullptr, args(val(lit("1"))), 3); },
         "Missing operand in - operation at line 3 of test.def"},
        {"no operand", [] { return bin(Tok::PLUS, nullptr, nullptr, 3); }, "Invalid expression"},
        {"BOX is no operator", [] { return un(Tok::BOX, lit("1"), 9); },
         "Unknown operator at line 9 of test.def"},
        {"NULL left of *",
         [] { return bin(Tok::STAR, sub(bin(Tok::MINUS, lit("x"), lit("1"), 1)), lit("2"), 2); },
         "Missing number for parameter 1 in eval_multdiv at line 2 of test.def"},
        {"NULL right of /",
         [] { return bin(Tok::SLASH, lit("2"), sub(un(Tok::MINUS, lit("x"), 2)), 2); },
         "Missing number for parameter 2 in eval_multdiv at line 2 of test.def"},
    };
    for (const auto& c : cases) {
        CapturedRun fresh;
        fresh.run.current_file = "test.def";
        ExprPtr e = c.build();
        EXPECT_FALSE(evaluate(fresh.run, e.get())) << c.what;
        EXPECT_NE(("\n" + fresh.log()).find(std::string("\n") + c.line + "\n"), std::string::npos)
            << c.what << "\n"
            << fresh.log();
        EXPECT_EQ(fresh.run.MEMORY_ERROR, 1) << c.what;
    }
    EXPECT_FALSE(evaluate(cr.run, nullptr));
    EXPECT_TRUE(logged("Invalid expression"));
}

TEST_F(Evaluate, NullOperandMakesTheResultNull) {
    for (Tok op : {Tok::PLUS, Tok::MINUS, Tok::EQ, Tok::AND, Tok::OR}) {
        // "abc" decides neither AND nor OR, so the right side is evaluated.
        EXPECT_FALSE(eval(bin(op, lit("abc"), sub(un(Tok::MINUS, lit("x")))))) << token_name(op);
        EXPECT_FALSE(eval(bin(op, sub(un(Tok::MINUS, lit("x"))), lit("1")))) << token_name(op);
    }
}

TEST_F(Evaluate, MessagesNameTheLineOfTheInnerNode) {
    // The outer node is on line 10, the failing subtraction on line 12.
    EXPECT_FALSE(eval(bin(Tok::PLUS, lit("a"), sub(bin(Tok::MINUS, lit("b"), lit("1"), 12)), 10)));
    EXPECT_TRUE(logged("Can only subtract numbers at line 12 of test.def"));
    EXPECT_EQ(cr.run.current_line, 10);
}

TEST_F(Evaluate, AndOrDoNotEvaluateADecidedRightSide) {
    std::vector<std::string> commands;
    cr.run.command_runner = std::make_unique<FakeCommandRunner>(&commands, 0);
    cr.run.options.has_temp_dir = true;
    cr.run.options.temp_dir = cr.dir.path().string();
    create_run_variables(cr.run);
    auto execute = [] { return sub(un(Tok::EXECUTE, lit("touch ran"))); };
    EXPECT_EQ(eval(bin(Tok::AND, lit("0"), execute())), "0");
    EXPECT_EQ(eval(bin(Tok::AND, lit(""), execute())), "0");
    EXPECT_EQ(eval(bin(Tok::OR, lit("2"), execute())), "1");
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(eval(bin(Tok::AND, lit("1"), execute())), "0");  // the command prints nothing: ""
    EXPECT_EQ(eval(bin(Tok::OR, lit("abc"), execute())), "1");
    EXPECT_EQ(commands.size(), 2u);
}

TEST_F(Evaluate, NoOperandOperators) {
    EXPECT_EQ(eval(bin(Tok::EURO, nullptr, nullptr)), "\033&f200y3X");
    EXPECT_EQ(eval(bin(Tok::OUTPUT_FILE, nullptr, nullptr)), "");
    cr.run.output_files.current_name = "/tmp/mrvabc123";
    EXPECT_EQ(eval(bin(Tok::OUTPUT_FILE, nullptr, nullptr)), "/tmp/mrvabc123");
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
}

TEST_F(Evaluate, TruthAndInteger) {
    const std::pair<const char*, int> truths[] = {
        {"0", 0}, {"", 0}, {"00", 1}, {"abc", 1}, {"1", 1}};
    for (const auto& [text, expected] : truths) {
        ExprPtr e = val(lit(text));
        EXPECT_EQ(evaluate_truth(cr.run, e.get()), expected) << text;
    }
    ExprPtr failing = un(Tok::MINUS, lit("x"));
    EXPECT_EQ(evaluate_truth(cr.run, failing.get()), -1);
    EXPECT_EQ(evaluate_integer(cr.run, failing.get()), -1);
    ExprPtr real = val(lit("3.7"));
    EXPECT_EQ(evaluate_integer(cr.run, real.get()), 3);
    ExprPtr negative = val(lit("-42"));
    EXPECT_EQ(evaluate_integer(cr.run, negative.get()), -42);
}

}  // namespace
}  // namespace morvel::test
