// LET, DEBUG, CALL and CASE selection.
#include "values/statements.h"

#include <gtest/gtest.h>

#include "test_support.h"
#include "values/tree_builders.h"

namespace morvel::test {
namespace {

Statement let(VariableRecord* target, ExprPtr value) {
    Statement st;
    st.kind = Tok::LET;
    st.payload = LetStatement{target, std::move(value)};
    return st;
}

Statement expression_statement(Tok kind, ExprPtr e, int line = 1) {
    Statement st;
    st.kind = kind;
    st.line = line;
    st.payload = ExpressionStatement{std::move(e)};
    return st;
}

class Statements : public ::testing::Test {
  protected:
    Statements() {
        cr.run.current_file = "test.def";
        cr.run.options.has_temp_dir = true;
        cr.run.options.temp_dir = cr.dir.path().string();
        create_run_variables(cr.run);
    }
    void fake_commands() {
        cr.run.command_runner = std::make_unique<FakeCommandRunner>(&commands, 0);
    }
    CapturedRun cr;
    std::vector<std::string> commands;
};

TEST_F(Statements, LetAssignsAndKeepsThePreviousValue) {
    auto x = variable("x", "old");
    x->cell.line_index = 3;
    x->cell.exhausted = true;
    Statement st = let(x.get(), bin(Tok::PLUS, lit("1"), lit("a")));
    execute_let(cr.run, st);
    EXPECT_EQ(x->cell.value, "1a");
    EXPECT_EQ(x->cell.previous, "old");
    EXPECT_EQ(x->cell.line_index, 1);
    EXPECT_FALSE(x->cell.exhausted);
    EXPECT_EQ(cr.log(), "");
}

TEST_F(Statements, LetOfAFailedExpressionAssignsNull) {
    auto x = variable("x", "old");
    Statement st = let(x.get(), bin(Tok::MINUS, lit("a"), lit("1"), 5));
    execute_let(cr.run, st);
    EXPECT_FALSE(x->cell.value);
    EXPECT_EQ(x->cell.previous, "old");
    EXPECT_EQ(cr.log(), "Can only subtract numbers at line 5 of test.def\n");
}

TEST_F(Statements, LetTraces) {
    cr.run.trace_flags = 0x04 | 0x08;
    cr.set_input("x");
    auto x = variable("x", "");
    Statement good = let(x.get(), val(lit("v")));
    execute_let(cr.run, good);
    Statement bad = let(x.get(), un(Tok::MINUS, lit("v")));
    execute_let(cr.run, bad);
    std::string log = cr.log();
    EXPECT_NE(log.find("LET x=\"v\"\n"), std::string::npos);
    EXPECT_NE(log.find("LET x=NULL\n"), std::string::npos);
    // The pause is on the console only, once before each evaluation.
    EXPECT_EQ(log.find("LET x = expr"), std::string::npos);
    std::string console = cr.console();
    EXPECT_EQ(console.find("LET x = expr\n"), 0u);
    EXPECT_NE(console.find("LET x = expr\n", 1), std::string::npos);
}

TEST_F(Statements, DebugLogsTheTextWithOrWithoutItsLine) {
    Statement st = expression_statement(Tok::DEBUG, val(lit("hello")), 12);
    execute_debug_or_call(cr.run, st);
    cr.run.trace_flags = 0x20;
    execute_debug_or_call(cr.run, st);
    EXPECT_EQ(cr.log(), "hello\nLine 12:hello\n");
}

TEST_F(Statements, DebugCapAtAndPastTheBound) {
    Statement at = expression_statement(Tok::DEBUG, val(lit(std::string(199000, 'x'))));
    execute_debug_or_call(cr.run, at);
    EXPECT_EQ(cr.log(), std::string(199000, 'x') + "\n");
    CapturedRun past_run;
    Statement past = expression_statement(Tok::DEBUG, val(lit(std::string(199001, 'y'))));
    execute_debug_or_call(past_run.run, past);
    EXPECT_EQ(past_run.log(), "Following debug has been capped to 199000 bytes\n" +
                                  std::string(199000, 'y') + "\n");
    EXPECT_EQ(past_run.run.MEMORY_ERROR, 0);
}

TEST_F(Statements, DisabledDebugEvaluatesNothingButCallRuns) {
    fake_commands();
    cr.run.options.debug_disabled = true;
    Statement debug = expression_statement(Tok::DEBUG, un(Tok::EXECUTE, lit("touch debug_ran")));
    Statement failing = expression_statement(Tok::DEBUG, bin(Tok::MINUS, lit("a"), lit("1")));
    Statement call = expression_statement(Tok::CALL, un(Tok::EXECUTE, lit("touch call_ran")));
    execute_debug_or_call(cr.run, debug);
    execute_debug_or_call(cr.run, failing);
    execute_debug_or_call(cr.run, call);
    EXPECT_EQ(commands, std::vector<std::string>{"touch call_ran"});
    EXPECT_EQ(cr.log(), "");  // CALL logs nothing
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
    cr.run.options.debug_disabled = false;
    execute_debug_or_call(cr.run, debug);
    EXPECT_EQ(commands.size(), 2u);
}

TEST_F(Statements, NullStatementsAndFailures) {
    Statement null_let = let(nullptr, val(lit("v")));
    execute_let(cr.run, null_let);
    EXPECT_EQ(cr.run.MEMORY_ERROR, 1);
    Statement failing = expression_statement(Tok::CALL, bin(Tok::MINUS, lit("a"), lit("1"), 3));
    execute_debug_or_call(cr.run, failing);
    Statement empty = expression_statement(Tok::DEBUG, nullptr);
    execute_debug_or_call(cr.run, empty);
    EXPECT_EQ(cr.log(),
              "Passed a NULL LET statement\n"
              "Can only subtract numbers at line 3 of test.def\n"
              "Couldnt evaluate DEBUG/CALL expression\n"
              "Passed a NULL DEBUG/CALL statement\n");
}

// A CASE with entries given as (label, has-body, body size); bodies hold that many REM statements.
CaseStatement make_case(ExprPtr selector, std::vector<std::tuple<Value, bool, int>> entries,
                        int default_size) {
    CaseStatement c;
    c.selector = std::move(selector);
    for (auto& [label, has_body, size] : entries) {
        CaseEntry entry;
        entry.value = label;
        entry.has_body = has_body;
        for (int i = 0; i < size; ++i) entry.body.push_back(std::make_unique<Statement>());
        c.entries.push_back(std::move(entry));
    }
    for (int i = 0; i < default_size; ++i) c.default_list.push_back(std::make_unique<Statement>());
    return c;
}

Value label(const char* text) {
    Value v;
    v.literal = text;
    return v;
}

TEST_F(Statements, CaseLabelsWithoutBodyShareTheNextBody) {
    CaseStatement c = make_case(val(lit("a")), {{label("A"), false, 0}, {label("B"), true, 2}}, 1);
    EXPECT_EQ(select_case(cr.run, c), &c.entries[1].body);
    c.selector = val(lit("b"));
    EXPECT_EQ(select_case(cr.run, c), &c.entries[1].body);
    c.selector = val(lit("c"));
    EXPECT_EQ(select_case(cr.run, c), &c.default_list);
}

TEST_F(Statements, CaseSelectionRules) {
    // An entry with an empty body of its own does not fall through.
    CaseStatement empty_body =
        make_case(val(lit("1")), {{label("1"), true, 0}, {label("2"), true, 1}}, 0);
    EXPECT_EQ(select_case(cr.run, empty_body), &empty_body.entries[0].body);
    // Labels without a body at the end choose nothing.
    CaseStatement trailing =
        make_case(val(lit("z")), {{label("y"), true, 1}, {label("Z"), false, 0}}, 1);
    EXPECT_EQ(select_case(cr.run, trailing), nullptr);
    // No match and no ELSE: the empty default list, which runs nothing.
    CaseStatement no_else = make_case(val(lit("q")), {{label("p"), true, 1}}, 0);
    const StatementList* chosen = select_case(cr.run, no_else);
    ASSERT_NE(chosen, nullptr);
    EXPECT_TRUE(chosen->empty());
    // A variable label is read whole.
    auto v = variable("v", "two\nlines");
    Value by_variable;
    by_variable.kind = ValueKind::Identifier;
    by_variable.record = v.get();
    by_variable.cell = &v->cell;
    CaseStatement variable_label = make_case(val(lit("TWO\nLINES")), {{by_variable, true, 1}}, 0);
    EXPECT_EQ(select_case(cr.run, variable_label), &variable_label.entries[0].body);
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
    // A label that cannot be read (a NULL variable) chooses nothing.
    v->cell.value.reset();
    CaseStatement null_label = make_case(val(lit("x")), {{by_variable, true, 1}}, 1);
    EXPECT_EQ(select_case(cr.run, null_label), nullptr);
}

TEST_F(Statements, CaseWithoutEntriesDoesNotEvaluateTheSelector) {
    fake_commands();
    CaseStatement c = make_case(un(Tok::EXECUTE, lit("touch ran")), {}, 1);
    EXPECT_EQ(select_case(cr.run, c), &c.default_list);
    EXPECT_TRUE(commands.empty());
    // A selector that fails chooses nothing, not even the default.
    CaseStatement failing = make_case(un(Tok::MINUS, lit("x")), {{label("x"), true, 1}}, 1);
    EXPECT_EQ(select_case(cr.run, failing), nullptr);
}

TEST_F(Statements, CaseThroughItsStatement) {
    Statement st;
    st.kind = Tok::CASE;
    st.payload = make_case(val(lit("a")), {{label("a"), true, 1}}, 0);
    EXPECT_EQ(select_case(cr.run, st), &st.as<CaseStatement>().entries[0].body);
    Statement not_case;
    EXPECT_EQ(select_case(cr.run, not_case), nullptr);
}

}  // namespace
}  // namespace morvel::test
