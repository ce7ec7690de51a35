#include "output/output_programs.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

#include "output/output_file.h"
#include "output_fixture.h"

namespace morvel::test {
namespace {

std::unique_ptr<Statement> statement(Tok kind, Payload payload = std::monostate{}) {
    auto st = std::make_unique<Statement>();
    st->kind = kind;
    st->line = 7;
    st->payload = std::move(payload);
    return st;
}

template <class... S>
StatementList list(S... s) {
    StatementList l;
    (l.push_back(std::move(s)), ...);
    return l;
}

// LET v = v + repeat_count: v records the passes ("x" keeps it a text, not a sum).
std::unique_ptr<Statement> record_pass(VariableRecord& v, VariableRecord& repeat_count) {
    LetStatement let;
    let.target = &v;
    let.value = bin(Tok::PLUS, var(v), var(repeat_count));
    return statement(Tok::LET, std::move(let));
}

std::unique_ptr<Statement> repeat(StatementList body, ExprPtr by, ExprPtr ends = nullptr,
                                  bool inclusive = true) {
    RepeatStatement r;
    r.by = std::move(by);
    r.body = std::move(body);
    r.ends = std::move(ends);
    r.inclusive = inclusive;
    return statement(Tok::REPEAT, std::move(r));
}

class OutputProgramsTest : public OutputTest {
  protected:
    std::unique_ptr<VariableRecord> seen = variable("seen", std::string("x"));
    VariableRecord& repeat_count() { return *lookup(run, "repeat_count")->as<VariableRecord>(); }
    std::string seen_text() const { return seen->cell.value.value_or("<null>"); }
};

TEST_F(OutputProgramsTest, OutputRepeatCountsPassesAndRestoresRepeatCount) {
    struct Case {
        const char* by;
        const char* ends;  // nullptr: no ENDS
        bool inclusive;
        const char* seen;
    };
    const Case cases[] = {
        {"3", nullptr, true, "x123"}, {"0", nullptr, true, "x"}, {"1", nullptr, true, "x1"},
        {nullptr, "1", true, "x1"},  // ENDS true from the start: INCLUSIVE runs once
        {nullptr, "1", false, "x"},  // EXCLUSIVE runs nothing
    };
    set_integer_variable(run, "repeat_count", 42);
    for (const Case& c : cases) {
        seen->cell.value = "x";
        OutputProgram& p = output("p", "true");
        p.statements =
            list(repeat(list(record_pass(*seen, repeat_count())), c.by ? val(lit(c.by)) : nullptr,
                        c.ends ? val(lit(c.ends)) : nullptr, c.inclusive));
        EXPECT_EQ(run_output_program(run, p, OutputMode::Statements), 0);
        EXPECT_EQ(seen_text(), c.seen) << (c.by ? c.by : "-") << " " << (c.ends ? c.ends : "-");
        EXPECT_EQ(get_integer_variable(run, "repeat_count"), 42);
    }
}

TEST_F(OutputProgramsTest, RepeatWithoutCountOrEndStopsAtTheLimit) {
    auto counter = variable("n", std::string("0"));
    LetStatement let;
    let.target = counter.get();
    let.value = bin(Tok::PLUS, var(*counter), lit("1"));
    OutputProgram& p = output("p", "true");
    p.statements = list(repeat(list(statement(Tok::LET, std::move(let))), nullptr));
    EXPECT_EQ(run_output_program(run, p, OutputMode::Statements), 0);
    EXPECT_EQ(counter->cell.value, "10000.000000");
}

TEST_F(OutputProgramsTest, WithoutDeliveryEveryOutputRunsOnce) {
    OutputProgram& a = output("a", "true");
    OutputProgram& b = output("b", "true");
    a.statements = list(record_pass(*seen, repeat_count()));
    b.statements = list(record_pass(*seen, repeat_count()));
    set_integer_variable(run, "repeat_count", 5);
    EXPECT_EQ(run_output_programs(run, nullptr), 0);
    EXPECT_EQ(seen_text(), "x55");
    // OUTPUT name in an extract program runs just that one.
    EXPECT_EQ(run_output_programs(run, &b), 0);
    EXPECT_EQ(seen_text(), "x555");
}

TEST_F(OutputProgramsTest, JobControlModeRunsNothing) {
    run.options.return_codes = true;
    OutputProgram& a = output("a", "lpr");
    a.statements = list(record_pass(*seen, repeat_count()));
    EXPECT_EQ(run_output_programs(run, nullptr), 0);
    EXPECT_EQ(run_output_programs(run, &a), 0);
    EXPECT_EQ(seen_text(), "x");
    open_with(a, "x");
    run_end_of_run_outputs(run);
    EXPECT_TRUE(commands.empty());
}

TEST_F(OutputProgramsTest, IfAndCaseChooseTheirLists) {
    OutputProgram& p = output("p", "true");
    IfStatement s;
    s.condition = val(lit("0"));
    s.then_list = list(record_pass(*seen, repeat_count()));
    s.else_list = list(statement(Tok::INVOKE));
    CaseStatement c;
    c.selector = val(lit("B"));
    c.entries.resize(2);
    c.entries[0].value = literal_value("a");
    c.entries[0].has_body = true;
    c.entries[1].value = literal_value("b");
    c.entries[1].has_body = true;
    c.entries[1].body = list(record_pass(*seen, repeat_count()));
    p.statements = list(statement(Tok::IF, std::move(s)), statement(Tok::CASE, std::move(c)));
    set_integer_variable(run, "repeat_count", 1);
    open_with(p, "doc");
    EXPECT_EQ(run_output_program(run, p, OutputMode::Statements), 0);
    EXPECT_EQ(commands.size(), 1u);  // the ELSE list invoked
    EXPECT_EQ(seen_text(), "x1");    // the CASE label matched without regard to case
}

TEST_F(OutputProgramsTest, InvokeInMaskLeavesNothingForTheEnd) {
    OutputProgram& p = output("p", "lpr", {file_param()});
    p.statements = list(statement(Tok::INVOKE));
    std::string file = open_with(p, "doc");
    EXPECT_EQ(run_output_program(run, p, OutputMode::Statements), 0);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "lpr " + q(file));
    run_end_of_run_outputs(run);
    EXPECT_EQ(commands.size(), 1u);
}

TEST_F(OutputProgramsTest, OutputFileNameIsCurrentOnlyWhileTheProgramRuns) {
    OutputProgram& p = output("p", "true");
    LetStatement let;
    let.target = seen.get();
    let.value = std::make_unique<Expression>(Tok::OUTPUT_FILE, 1);
    p.statements = list(statement(Tok::LET, std::move(let)));
    std::string file = open_with(p, "doc");
    EXPECT_EQ(run.output_files.current_name, "");
    run_output_program(run, p, OutputMode::Statements);
    EXPECT_EQ(seen_text(), file);
    EXPECT_EQ(run.output_files.current_name, "");
}

TEST_F(OutputProgramsTest, ReformatCallCreatesTheFileOnce) {
    OutputProgram& p = output("p", "lpr", {file_param()});
    ReformatProgram page;
    page.name = "page";
    page.kind = ReformatKind::TextPage;
    ReformatCall call;
    call.program = &page;
    p.statements = list(statement(Tok::IDENT, call));
    EXPECT_EQ(run_output_programs(run, nullptr), 0);
    ASSERT_NE(output_file(run, p), nullptr);
    std::string file = output_file_name(run, p);
    EXPECT_EQ(run_output_programs(run, nullptr), 0);
    EXPECT_EQ(output_file_name(run, p), file);
    EXPECT_EQ(temp_files().size(), 1u);
    run_end_of_run_outputs(run);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "lpr " + q(file));
    EXPECT_TRUE(temp_files().empty());
}

// ---- total pages -------------------------------------------------------------------

TEST_F(OutputProgramsTest, TotalPagesArePatchedWhenTheFileCloses) {
    struct Case {
        int page_counter;
        const char* total;
    };
    for (Case c : {Case{13, "12  "}, Case{2, "1   "}, Case{10000, "9999"}, Case{12346, "1234"}}) {
        OutputProgram& p = output("p", "true");
        std::string file = open_with(p, "A____B____C");
        p.total_page_placeholders = {1, 6};
        p.page_counter = c.page_counter;
        close_output_file(run, p);
        EXPECT_EQ(read_file(file), std::string("A") + c.total + "B" + c.total + "C");
        EXPECT_EQ(p.page_counter, 1);
        EXPECT_TRUE(p.total_page_placeholders.empty());
        EXPECT_EQ(output_file(run, p), nullptr);
        delete_output_file(run, p);
    }
    EXPECT_TRUE(temp_files().empty());
}

TEST_F(OutputProgramsTest, ResetPagePatchesAndKeepsWriting) {
    OutputProgram& p = output("p", "true");
    p.statements = list(statement(Tok::RESET));
    std::string file = open_with(p, "____");
    p.total_page_placeholders = {0};
    p.page_counter = 4;
    run_output_program(run, p, OutputMode::Statements);
    EXPECT_EQ(p.page_counter, 1);
    std::FILE* f = output_file(run, p);
    ASSERT_NE(f, nullptr);
    std::fputs("more", f);
    close_output_file(run, p);
    EXPECT_EQ(read_file(file), "3   more");
    delete_output_file(run, p);
}

TEST_F(OutputProgramsTest, XmlOutputGetsItsEndTagThenFinalise) {
    OutputProgram& xml = output("xml", "true");
    xml.output_kind = 3;
    xml.finalise = val(lit("\n<!-- end -->"));
    std::string plain_file = open_with(xml, "<DOCUMENT>");
    close_output_file(run, xml);
    EXPECT_EQ(read_file(plain_file), "<DOCUMENT></DOCUMENT>\n<!-- end -->");
    delete_output_file(run, xml);

    xml.xml_root = val(lit("INVOICES"));
    xml.finalise.reset();
    std::string rooted_file = open_with(xml, "<INVOICES>");
    close_output_file(run, xml);
    EXPECT_EQ(read_file(rooted_file), "<INVOICES></INVOICES>");
    delete_output_file(run, xml);
}

TEST_F(OutputProgramsTest, LeftoverFilesGoWithTheRun) {
    std::string file;
    {
        CapturedRun other;
        other.run.options.temp_dir = cr.dir.path().string();
        other.run.options.has_temp_dir = true;
        OutputProgram p;
        ASSERT_EQ(create_output_file(other.run, p), 0);
        file = output_file_name(other.run, p);
        EXPECT_TRUE(std::filesystem::exists(file));
    }
    EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(OutputProgramsTest, TemporaryFileFailureIsReported) {
    run.options.temp_dir = cr.dir.file("no/such/dir");
    OutputProgram& p = output("p", "true");
    EXPECT_EQ(create_output_file(run, p), -1);
    EXPECT_NE(cr.log().find("Unable to create temporary output file\n"), std::string::npos);
}

}  // namespace
}  // namespace morvel::test
