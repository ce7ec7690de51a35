#include "spool/extract.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <sstream>
#include <string>

#include "extract_job.h"

namespace morvel {
namespace {

using test::ExtractJob;
using test::output_logging;
using test::output_mask;
using test::spool_lines;

std::string extract_section(const std::string& program_body) {
    return "[INPUT] REPEAT sheet\n[EXTRACT] sheet = { " + program_body + " }\n";
}

std::string lines_with_prefix(const std::string& prefix, int from, int to) {
    std::string s;
    for (int i = from; i <= to; ++i) s += (i > from ? "\n" : "") + prefix + std::to_string(i);
    return s;
}

// The log lines that start with one of the prefixes.
std::string lines_starting(const std::string& log, std::initializer_list<const char*> prefixes) {
    std::istringstream in(log);
    std::string line, out;
    while (std::getline(in, line))
        for (const char* p : prefixes)
            if (line.rfind(p, 0) == 0) {
                out += line + "\n";
                break;
            }
    return out;
}

TEST(ExtractField, CutByColumnLineAndLength) {
    const std::string page = spool_lines({"a", "b", "   Total 12.50"});
    const struct {
        const char* field;
        const char* text;
    } cases[] = {
        {"FIELD = 10, 3, 5, amount", "12.50"},
        {"FIELD = 10, 3, 8, amount", "12.50"},        // trailing blanks go
        {"FIELD = 10, 3, 8, amount, 1", "12.50   "},  // unless expanded
        {"FIELD = 4, 3, 5, amount", "Total"},
        {"FIELD = 1, 2, 5, amount", "b"},
    };
    for (const auto& c : cases) {
        ExtractJob j(extract_section(c.field) + output_logging("WHOLE(amount)"));
        ASSERT_TRUE(j.compiled()) << c.field;
        EXPECT_EQ(j.run_input(page), -1) << c.field;  // the spool ends the input program
        EXPECT_EQ(j.text("amount"), c.text) << c.field;
        EXPECT_EQ(j.messages(), std::string("out ") + c.text + "\n") << c.field;
    }
}

TEST(ExtractField, BelowThePageFailsTheCall) {
    ExtractJob j(extract_section("FIELD = 1, 70, 5, far") + output_logging("\"x\""));
    ASSERT_TRUE(j.compiled()) << j.messages();
    j.start(spool_lines({"one", "two"}));
    EXPECT_EQ(run_extract_program(j.run(), j.program("sheet")), -1);
    EXPECT_EQ(j.messages(), "Unable to update value of extract field far\n");
    EXPECT_EQ(j.text("far"), "<null>");
}

TEST(ExtractField, RepeatTakesOneLinePerRecord) {
    const std::string five = spool_lines({"l1", "l2", "l3", "l4", "l5"});
    const struct {
        const char* program;
        std::string text;
    } cases[] = {
        {"LINES_PER_PAGE = 5 REPEAT { FIELD = 1, 1, 4, item }", "l1\nl2\nl3\nl4\nl5"},
        // Every line of a 66-line page is a record, blank ones too...
        {"REPEAT { FIELD = 1, 1, 4, item }", "l1\nl2\nl3\nl4\nl5" + std::string(61, '\n')},
        // ...unless blank records are skipped.
        {"REPEAT { FIELD = 1, 1, 4, item } SKIP_BLANKS", "l1\nl2\nl3\nl4\nl5"},
        {"REPEAT BY 2 { FIELD = 1, 1, 4, item }", "l1\nl2"},
        {"REPEAT { FIELD = 1, 1, 4, item } STARTS 3", "l3\nl4\nl5" + std::string(61, '\n')},
        {"LINES_PER_PAGE = 5 REPEAT { FIELD = 1, 1, 4, item } STARTS 2 EXCLUSIVE", "l3\nl4\nl5"},
        {"REPEAT { FIELD = 1, 1, 4, item } ENDS 1", "l1"},
        {"REPEAT { FIELD = 1, 1, 4, item } ENDS repeat_count = 3", "l1\nl2\nl3"},
        {"REPEAT { FIELD = 1, 1, 4, item } ENDS 5 INCREASE_BY 2", "l1\nl3\nl5"},
    };
    for (const auto& c : cases) {
        ExtractJob j(extract_section(c.program) + output_logging("\"\""));
        ASSERT_TRUE(j.compiled()) << c.program;
        j.start(five);
        EXPECT_EQ(run_extract_program(j.run(), j.program("sheet")), 0) << c.program;
        EXPECT_EQ(j.text("item"), c.text) << c.program;
        EXPECT_EQ(j.text("repeat_count"), "0") << c.program;  // the loop gave it back
    }
}

// One pass of the sheet program over a spool: its status, what it logged and the fields it filled.
TEST(ExtractRepeat, OnePassOverTheSpool) {
    std::vector<std::string> thirty;
    for (int i = 1; i <= 30; ++i) thirty.push_back("x" + std::to_string(i));
    const struct {
        std::string program;
        std::vector<std::string> lines;
        int status;
        std::string messages;
        std::vector<std::pair<const char*, std::string>> fields;
    } cases[] = {
        // STARTS 0 runs nothing; a negative start fails the call.
        {"FIELD = 1, 1, 2, head REPEAT { FIELD = 1, 1, 2, item } STARTS 0 "
         "REPEAT { FIELD = 1, 1, 2, other } STARTS -1",
         {"l1", "l2"},
         -1,
         "",
         {{"head", "l1"}, {"item", "<null>"}, {"other", "<null>"}}},
        // Skipped blank records still count.
        {"LINES_PER_PAGE = 10 REPEAT { FIELD = 1, 1, 3, item DEBUG repeat_count } SKIP_BLANKS",
         {"r1", "r2", "r3", "", "r5", "r6", "  ", "r8", "r9", "r10"},
         0,
         "1\n2\n3\n5\n6\n8\n9\n10\n",
         {{"item", "r1\nr2\nr3\nr5\nr6\nr8\nr9\nr10"}}},
        {"LINES_PER_PAGE = 2 REPEAT BY 3 { FIELD = 1, 1, 2, item } SKIP_BLANKS",
         {"r1", "r2"},
         -1,
         "Unable to get spool string for SKIP_BLANKS\n",
         {{"item", "r1\nr2"}, {"repeat_count", "0"}}},
        {"LINES_PER_PAGE = 30 REPEAT { FIELD = 1, 1, 3, item } ENDS 20",
         thirty,
         0,
         "",
         {{"item", lines_with_prefix("x", 1, 20)}}},
        // A record is as high as its lowest field line.
        {"LINES_PER_PAGE = 6 REPEAT { FIELD = 1, 1, 2, a FIELD = 1, 2, 2, b }",
         {"l1", "l2", "l3", "l4", "l5", "l6"},
         0,
         "",
         {{"a", "l1\nl3\nl5"}, {"b", "l2\nl4\nl6"}}},
        // Line -10000 is the line after the previous field's.
        {"LINES_PER_PAGE = 6 FIELD = 1, 2, 2, f1 FIELD = 1, -10000, 2, f2 "
         "FIELD = 1, -10000, 2, f3 "
         "REPEAT BY 2 { FIELD = 1, 1, 2, g FIELD = 1, -10000, 2, h } INCREASE_BY 2",
         {"a1", "a2", "a3", "a4", "a5", "a6"},
         0,
         "",
         {{"f2", "a3"}, {"f3", "a4"}, {"g", "a1\na3"}, {"h", "a2\na4"}}},
        // A colon field collects one line per extraction.
        {"REPEAT BY 2 { COLON_FIELD = \"A\", a }", {"b: 1", "a: 2"}, 0, "", {{"a", " 2\n 2"}}},
    };
    for (const auto& c : cases) {
        ExtractJob j(extract_section(c.program) + output_logging("\"\""));
        ASSERT_TRUE(j.compiled()) << c.program << j.messages();
        j.start(spool_lines(c.lines));
        errno = ENOENT;  // left over from elsewhere; never a failure's cause
        EXPECT_EQ(run_extract_program(j.run(), j.program("sheet")), c.status) << c.program;
        EXPECT_EQ(j.messages(), c.messages) << c.program;
        for (const auto& [name, text] : c.fields) EXPECT_EQ(j.text(name), text) << c.program;
    }
}

TEST(ExtractColonField, LabelAtTheStartOfALineFollowedByAColon) {
    const struct {
        std::vector<std::string> lines;
        const char* value;
    } cases[] = {
        {{"Header", "Invoice No: 4711"}, " 4711"},
        {{"Invoice No 4711"}, ""},
        {{"  Invoice No: 4711"}, ""},
        {{"INVOICE NO:4711   "}, "4711"},
        {{"Invoice No: first", "Invoice No: second"}, " first"},
        {{"Invoice No"}, ""},
    };
    for (const auto& c : cases) {
        ExtractJob j(extract_section("COLON_FIELD = \"Invoice No\", inv") + output_logging("\"\""));
        ASSERT_TRUE(j.compiled()) << j.messages();
        j.start(spool_lines(c.lines));
        EXPECT_EQ(run_extract_program(j.run(), j.program("sheet")), 0) << c.lines[0];
        EXPECT_EQ(j.text("inv"), c.value) << c.lines[0];
    }
}

TEST(ExtractField, NotExtractedAgainKeepsItsText) {
    ExtractJob j(extract_section("LINES_PER_PAGE = 1 IF first_page THEN FIELD = 1, 1, 2, f") +
                 output_logging("f"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    EXPECT_EQ(j.run_input(spool_lines({"p1", "p2", "p3"})), -1);
    EXPECT_EQ(j.messages(), "out p1\nout p1\nout p1\n");
}

TEST(ExtractField, PreviousTextIsTheLastPagesText) {
    ExtractJob j(extract_section("LINES_PER_PAGE = 1 FIELD = 1, 1, 2, f") + output_logging("f"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    j.start(spool_lines({"p1", "p2"}));
    ExtractProgram* p = j.program("sheet");
    ASSERT_EQ(run_extract_program(j.run(), p), 0);
    // The first text is the previous one too: marked as such, not copied, since a
    // field may hold a whole XML text node.
    EXPECT_EQ(j.field("f").cell.previous, std::nullopt);
    EXPECT_TRUE(j.field("f").cell.previous_is_value);
    ASSERT_EQ(run_extract_program(j.run(), p), 0);
    EXPECT_EQ(j.field("f").cell.value, "p2");
    EXPECT_EQ(j.field("f").cell.previous, "p1");
    EXPECT_FALSE(j.field("f").cell.previous_is_value);
    EXPECT_EQ(run_extract_program(j.run(), p), -1);  // end of the spool
}

TEST(ExtractField, PersistentFieldCollectsUntilReset) {
    ExtractJob j(extract_section("LINES_PER_PAGE = 1 FIELD = 1, 1, 2, acc, 0, 1 "
                                 "FIELD = 1, 1, 2, cur IF cur = \"p3\" THEN RESET acc") +
                 output_logging("\"\""));
    ASSERT_TRUE(j.compiled()) << j.messages();
    j.start(spool_lines({"p1", "p2", "p3", "p4"}));
    ExtractProgram* p = j.program("sheet");
    for (int i = 0; i < 2; ++i) ASSERT_EQ(run_extract_program(j.run(), p), 0);
    EXPECT_EQ(j.text("acc"), "p1\np2");
    ASSERT_EQ(run_extract_program(j.run(), p), 0);
    EXPECT_EQ(j.text("acc"), "");
    EXPECT_EQ(j.field("acc").cell.previous, "p1\np2\np3");
    ASSERT_EQ(run_extract_program(j.run(), p), 0);
    EXPECT_EQ(j.text("acc"), "p4");  // a cleared field starts a new text
}

TEST(ExtractProgramCall, DiscardFillsFieldsButPassesNothingOn) {
    for (const char* discard : {"1", "0"}) {
        ExtractJob j(extract_section(std::string("LINES_PER_PAGE = 1 DISCARD = ") + discard +
                                     " FIELD = 1, 1, 2, f") +
                     output_logging("f"));
        ASSERT_TRUE(j.compiled()) << j.messages();
        EXPECT_EQ(j.run_input(spool_lines({"p1", "p2"})), -1);
        EXPECT_EQ(j.text("f"), "p2");
        EXPECT_EQ(j.messages(), *discard == '1' ? "" : "out p1\nout p2\n");
    }
}

TEST(ExtractProgramCall, InternalVariablesOfThePage) {
    ExtractJob j(extract_section("LINES_PER_PAGE = 2 last_of_doc = f = \"c\" "
                                 "FIELD = 1, 1, 1, f") +
                 output_mask("DEBUG first_of_doc DEBUG last_of_doc DEBUG last_page "
                             "DEBUG page_length DEBUG first_page"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    EXPECT_EQ(j.run_input(spool_lines({"a", "b", "c"})), -1);
    // Page 1 starts a document; page 2 is the last page and ends the document.
    EXPECT_EQ(j.messages(), "1\n0\n0\n2\n1\n0\n1\n1\n2\n0\n");
}

TEST(ExtractProgramCall, OutputStatementRunsTheOutputProgramNow) {
    ExtractJob j(extract_section("LINES_PER_PAGE = 1 DISCARD = 1 FIELD = 1, 1, 2, f OUTPUT out "
                                 "OUTPUT ALL") +
                 output_logging("f"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    EXPECT_EQ(j.run_input(spool_lines({"p1"})), -1);
    EXPECT_EQ(j.messages(), "out p1\nout p1\n");
}

TEST(ExtractProgramCall, TracesOfFieldsAndPrograms) {
    ExtractJob j(extract_section("LINES_PER_PAGE = 4 REPEAT BY 2 { FIELD = 10, 1, 5, amount } "
                                 "COLON_FIELD = \"a\", lab RESET amount") +
                 output_logging("\"\""));
    ASSERT_TRUE(j.compiled()) << j.messages();
    j.start(spool_lines({"   Total 12.50", "   Total 13.00", "a:x"}));
    j.run().trace_flags = 0x15;
    EXPECT_EQ(run_extract_program(j.run(), j.program("sheet")), 0);
    EXPECT_EQ(lines_starting(j.messages(), {"@@", "Initialising", "Adding", "Clearing", "Extract"}),
              "Extract program sheet\n"
              "@@FIELD=10,1,5,amount\n"
              "Initialising field amount to \"12.50\"\n"
              "@@FIELD+10,2,5,amount\n"
              "Adding to field amount \"13.00\"\n"
              "Initialising field lab to \"x\"\n"
              "Clearing field amount\n");
}

TEST(ExtractProgramCall, NoProgram) {
    ExtractJob j(extract_section("FIELD = 1, 1, 2, f") + output_logging("f"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    j.start("x\n");
    EXPECT_EQ(run_extract_program(j.run(), nullptr), -1);
    EXPECT_EQ(j.messages(), "Invalid exectract program call\n");
}

TEST(ExtractFirstLastLine, SearchDownOrUpFromTheFieldsLine) {
    ExtractJob j(
        "[INPUT] sheet\n"
        "[EXTRACT] sheet = { LINES_PER_PAGE = 6 FIELD = 1, 1, 4, col "
        "COLON_FIELD = \"k\", lab VARIABLE = v1 VARIABLE = v2 VARIABLE = v3 }\n"
        "probe = { LET v1 = FIRST_LINE(col, \"sum  \") LET v2 = LAST_LINE(col, \"SUM\") "
        "LET v3 = FIRST_LINE(lab, \"x\") }\n" +
        output_logging("\"\""));
    ASSERT_TRUE(j.compiled()) << j.messages();
    j.start(spool_lines({"Item", "Sum", "x", "SUM ", "y", "Sum"}));
    ASSERT_EQ(run_extract_program(j.run(), j.program("sheet")), 0);
    const StatementList& probe = j.program("probe")->statements;
    const Expression& first = *probe.at(0)->as<LetStatement>().value;
    const Expression& last = *probe.at(1)->as<LetStatement>().value;
    const Expression& colon = *probe.at(2)->as<LetStatement>().value;
    morvel::Run& run = j.run();
    const struct {
        const Expression* e;
        int base;
        const char* result;
    } cases[] = {
        {&first, 0, "2"}, {&first, 2, "2"}, {&first, 4, "2"}, {&first, 6, "0"},
        {&last, 0, "0"},  {&last, 5, "1"},  {&last, 3, "1"},  {&last, 2, "0"},
    };
    for (const auto& c : cases) {
        run.extract.base_line = c.base;
        EXPECT_EQ(eval_first_last_line(run, *c.e), c.result) << c.base;
    }
    run.extract.base_line = 9;  // the search starts below the page
    EXPECT_EQ(eval_first_last_line(run, last), std::nullopt);
    EXPECT_EQ(eval_first_last_line(run, colon), std::nullopt);
    EXPECT_NE(j.messages().find("Cannot use first_line on lab as its a COLON_FIELD\n"),
              std::string::npos);
}

// What the index stream receives while `read` runs.
template <class Read>
std::string page_index(ExtractJob& j, Read read) {
    std::string path = j.dir().file("index");
    j.run().return_codes.stream.reset(std::fopen(path.c_str(), "w"));
    read();
    j.run().return_codes.stream.reset();
    return test::read_file(path);
}

// -d writes one index line per page read: the program, the offset of the page's
// first byte and of the last byte it consumed.
TEST(ExtractPageIndex, OffsetsOfEachPage) {
    const struct {
        const char* program;
        std::string spool;
        const char* index;
    } cases[] = {
        {"LINES_PER_PAGE = 2", "l1\nl2\nl3\n", "sheet,0,5\nsheet,6,8\n"},
        {"", "a\n\fb\r\nc\n", "sheet,0,2\nsheet,3,7\n"},
        {"BYTES_PER_PAGE = 100", std::string(250, 'z'), "sheet,0,99\nsheet,100,199\n"},
    };
    for (const auto& c : cases) {
        ExtractJob j(extract_section(std::string(c.program) + " FIELD = 1, 1, 1, f OUTPUT out") +
                     output_logging("f"));
        ASSERT_TRUE(j.compiled()) << j.messages();
        j.run().options.return_codes = true;  // as -d gives
        EXPECT_EQ(page_index(j, [&] { EXPECT_EQ(j.run_input(c.spool), -1); }), c.index)
            << c.program;
        EXPECT_EQ(j.messages(), "") << c.program;  // no output program ran
    }
}

TEST(ExtractPageIndex, XmlSpoolReadsNoPage) {
    ExtractJob j(extract_section("FIELD = 1, 1, 1, f") + output_logging("f"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    j.start("<a/>\n");
    j.run().options.xml_spool = true;
    int status = 0;
    EXPECT_EQ(page_index(j, [&] { status = run_extract_program(j.run(), j.program("sheet")); }),
              "XML\n");
    EXPECT_EQ(status, -1);  // nothing to cut f from
    EXPECT_EQ(j.text("page_length"), "0");
}

}  // namespace
}  // namespace morvel
