// Reformat statements beyond placement: functions, DATE, REPEAT limits, raw writers and
// the set-up of text and XML files.
#include <gtest/gtest.h>

#include <cerrno>

#include "core/printer_out.h"
#include "reformat/reformat.h"
#include "reformat/reformat_fixture.h"
#include "reformat/reformat_function.h"

namespace morvel {
namespace {

using test::list;
using test::ReformatFixture;
using test::text_program;
using test::text_st;

std::unique_ptr<Statement> expression_statement(Tok kind, std::unique_ptr<Expression> e) {
    auto st = std::make_unique<Statement>();
    st->kind = kind;
    st->line = 3;
    st->payload = ExpressionStatement{std::move(e)};
    return st;
}

// (FUNCTION [ "name" a1 ... ]) as the grammar builds a call of a reformat program.
Expression call_of(const std::string& name, std::vector<std::string> args) {
    Expression call(Tok::FUNCTION, 3);
    call.has_arguments = true;
    call.arguments.push_back(test::lit_expr(name));
    for (const std::string& a : args) call.arguments.push_back(test::lit_expr(a));
    return call;
}

TEST(ReformatFunction, RunsInsideTheCallerAndReturnsItsResult) {
    ReformatFixture b;
    auto caller = text_program(8, 2);
    caller->pad = 0;
    caller->trim_lines = 1;
    auto fn = text_program(1, 1);
    VariableRecord first;
    fn->parameters.push_back({&first, 1});
    Value arg;
    arg.kind = ValueKind::Identifier;
    arg.record = &first;
    auto result = std::make_unique<Expression>(Tok::PLUS, 3);
    result->left.emplace(Operand{}).set_value(arg);
    fn->statements = list(text_st(Tok::MESSAGE, 1, 0, "fn"),
                          expression_statement(Tok::FUNCTION, std::move(result)));
    b.declare_program("twice", std::move(fn));

    // Stand inside a running caller, as an expression of one of its statements would.
    PclOut out(b.file);
    b.run.reformat.program = caller.get();
    b.run.reformat.output = &b.output;
    b.run.reformat.out = &out;
    ASSERT_TRUE(b.run.reformat.page.allocate(8, 2, false));
    b.run.reformat.parameters[1] = std::string("outer");

    Expression call = call_of("TWICE", {"arg1"});
    EXPECT_EQ(eval_r_function(b.run, call), std::string("arg1"));
    EXPECT_EQ(*first.cell.value, "arg1");
    // The caller's slots are back; its page holds what the function placed.
    EXPECT_EQ(eval_r_parameter(b.run, 1), std::string("outer"));
    EXPECT_EQ(eval_r_parameter(b.run, 2), std::string(""));
    EXPECT_EQ(std::string(b.run.reformat.page.cell(0, 1), 2), "fn");
    b.run.reformat.page.release();
    EXPECT_EQ(b.c.log(), "");
}

TEST(ReformatFunction, Failures) {
    ReformatFixture b;
    b.run.current_line = 1;
    Expression call = call_of("nothing", {});
    EXPECT_EQ(eval_r_function(b.run, call), std::nullopt);
    EXPECT_EQ(eval_r_parameter(b.run, 10), std::nullopt);
    EXPECT_EQ(eval_r_parameter(b.run, -1), std::nullopt);
    EXPECT_EQ(eval_r_parameter(b.run, 9), std::string(""));

    auto caller = text_program(8, 2);
    PclOut out(b.file);
    b.run.reformat.program = caller.get();
    b.run.reformat.out = &out;
    EXPECT_EQ(eval_r_function(b.run, call), std::nullopt);
    Expression not_a_program = call_of("repeat_count", {});
    EXPECT_EQ(eval_r_function(b.run, not_a_program), std::nullopt);
    Expression bare(Tok::FUNCTION, 3);
    errno = 0;  // a level-3 message adds the system's error text when there is one
    EXPECT_EQ(eval_r_function(b.run, bare), std::nullopt);
    EXPECT_EQ(b.c.log(),
              "Not inside a reformat program, cannot use reformat function at line 1 of \n"
              "eval_r_parameter(10) not a valid value, must be 0-9 at line 1 of \n"
              "eval_r_parameter(-1) not a valid value, must be 0-9 at line 1 of \n"
              "Unable to find reformat function \"nothing\" at line 1 of \n"
              "\"repeat_count\" found but is not a reformat function at line 1 of \n"
              "Missing parameter list in eval_r_function at line 1 of \n");
}

TEST(ReformatStatements, DateIsFormattedAndEmptyResultsAreRefused) {
    ReformatFixture b;
    auto p = text_program(20, 1);
    p->pad = 0;
    p->trim_lines = 1;
    p->statements = list(text_st(Tok::DATE, 0, 0, "[%%]"), text_st(Tok::DATE, 5, 0, ""),
                         text_st(Tok::DATE, 5, 0, std::string(300, 'x')));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "[%]\n");
    std::string log = b.c.log();
    EXPECT_EQ(log.find("Unable to get time/date for DATE"), 0u);
    EXPECT_NE(log.find("Unable to get time/date for DATE", 10), std::string::npos);
}

TEST(ReformatStatements, RepeatLimits) {
    ReformatFixture b;
    auto p = text_program(5, 3);
    p->pad = 0;
    p->trim_lines = 1;
    VariableRecord passes;
    passes.cell.value = std::string("0");
    auto count = std::make_unique<Statement>();
    count->kind = Tok::LET;
    LetStatement let;
    let.target = &passes;
    let.value = std::make_unique<Expression>(Tok::PLUS, 3);
    Value counter;
    counter.kind = ValueKind::Identifier;
    counter.record = &passes;
    let.value->left.emplace(Operand{}).set_value(counter);
    let.value->right.emplace(Operand{}).set_value(test::lit("1"));
    count->payload = std::move(let);
    p->statements =
        list(test::repeat(std::nullopt, list(std::move(count)), std::nullopt, std::nullopt, "0"),
             test::repeat(std::nullopt, list(text_st(Tok::MESSAGE, 0, 0, "x"))),
             test::repeat("3", list(text_st(Tok::MESSAGE, 0, 0, "s")), std::nullopt, "0"));
    b.run_program(*p);
    EXPECT_EQ(*passes.cell.value, "10000.000000");
    EXPECT_EQ(b.contents(), "");
    EXPECT_EQ(b.c.log(), "Endless REPEAT in reformat program\n");
}

TEST(ReformatStatements, IfChoosesItsBranch) {
    ReformatFixture b;
    auto p = text_program(3, 1);
    p->pad = 0;
    p->trim_lines = 1;
    for (const char* condition : {"1", "0"}) {
        auto st = std::make_unique<Statement>();
        st->kind = Tok::IF;
        IfStatement s;
        s.condition = test::lit_expr(condition);
        s.then_list = list(text_st(Tok::MESSAGE, 0, 0, "T"));
        s.else_list = list(text_st(Tok::MESSAGE, 1, 0, "E"));
        st->payload = std::move(s);
        p->statements.push_back(std::move(st));
    }
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "TE\n");
}

TEST(ReformatStatements, AbsentFieldAdvancesNothingAndEmptyFieldOneLine) {
    for (bool absent : {true, false}) {
        ReformatFixture b;
        auto p = text_program(3, 4);
        p->pad = 0;
        p->trim_lines = 1;
        LineCell cell;
        if (!absent) cell.value = std::string();
        p->statements =
            list(test::repeat("2", list(test::field(0, 0, test::ref(ValueKind::Field, cell)),
                                        text_st(Tok::MESSAGE, 2, 0, "m"))));
        b.run_program(*p);
        EXPECT_EQ(b.contents(), absent ? "  m\n  m\n" : "  m\n\n  m\n") << absent;
    }
}

TEST(ReformatStatements, PrintWritesRawText) {
    ReformatFixture b;
    auto p = text_program(5, 2);
    p->pad = 0;
    p->crlf = 1;
    p->statements = list(expression_statement(Tok::PRINT, test::lit_expr("a")),
                         expression_statement(Tok::PRINT_LINE, test::lit_expr("b")));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "ab\r\n");
}

TEST(ReformatStatements, XmlSetUpWritesPrologueAndRoot) {
    ReformatFixture b;
    auto p = text_program(80, 66);
    p->xml = true;
    p->pad = 0;
    p->crlf = 1;
    b.output.xml_encoding = test::lit_expr("UTF-8");
    b.output.xml_root = test::lit_expr("Invoices");
    p->statements = list(expression_statement(Tok::PRINT_LINE, test::lit_expr("<a/>")));
    b.run_program(*p);
    b.run_program(*p);
    EXPECT_EQ(b.contents(),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<Invoices>\r\n<a/>\r\n<a/>\r\n");
    EXPECT_EQ(b.output.output_kind, 3);
}

TEST(ReformatStatements, RunFailures) {
    ReformatFixture b;
    auto p = text_program(10, 10);
    EXPECT_EQ(run_reformat(b.run, *p, b.output, nullptr), -1);
    auto huge = text_program(1 << 20, 1 << 20);
    EXPECT_EQ(b.run_program(*huge), -1);
    EXPECT_EQ(b.c.log(),
              "Can't run output file, as no output file given\n"
              "Unable to get memory for output page\n");
    EXPECT_EQ(b.contents(), "");
}

TEST(ReformatStatements, EpsonPagesPlaceNothing) {
    ReformatFixture b;
    auto p = text_program(10, 2);
    p->kind = ReformatKind::Epson;
    b.output.pre_init = test::lit_expr("ESC");
    p->statements = list(text_st(Tok::MESSAGE, 0, 0, "x"), test::eject(),
                         expression_statement(Tok::PRINT, test::lit_expr("raw")));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "ESCraw");
    EXPECT_EQ(b.output.page_counter, 3);
}

}  // namespace
}  // namespace morvel
