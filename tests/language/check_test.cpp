// The check: each common mistake is reported at its line and column, a definition
// holding all of them gets every one in one check, and the check goes on after an
// error without ever growing past its message limit.
#include "language/check.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"

namespace morvel {
namespace {

std::string payslip() {
    return test::read_file(std::string(MORVEL_SOURCE_DIR) +
                           "/tests/language/data/check_payslip.def");
}

CheckSink check_text(const std::string& text) {
    CheckRequest request;
    request.path = "payslip.def";
    request.text = &text;
    return check_definition(request);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

struct Mistake {
    const char* name;
    const char* from;
    const char* to;
    int line;  // in the definition with this mistake alone
    int column;
    const char* text;  // how the error starts
};

// clang-format off
const Mistake kMistakes[] = {
    {"misspelt statement", "    MESSAGE=150,230", "    MESAGE=150,230", 30, 5,
     "MESAGE is not a setting or statement known here; did you mean MESSAGE?"},
    {"alignment", "ALIGN: right", "ALIGN: rigth", 34, 52, "Invalid alignment"},
    {"barcode name", "BARCODE=bar128b", "BARCODE=code128", 36, 13, "Invalid value"},
    {"unit in a position", "MESSAGE=150,330,", "MESSAGE=20mm,330,", 33, 15, "Missing ,"},
    {"setting without =", "PAPER_SIZE=26", "PAPER_SIZE 26", 26, 20, "Missing ="},
    {"undeclared variable", "LET count = count + 1", "LET count = cuont + 1", 35, 17,
     "Couldnt find definition of cuont"},
    {"missing section", "[OUTPUT]\nOUTPUT=printer\nINVOCATION=\"cat\" PARAMETERS={ OUTPUT_FILE }\nMASK=\n{\n    slip\n}\n",
     "", 14, 1, "Missing output section"},
    {"unterminated string", "\"Pay date\"", "\"Pay date", 31, 32, "String to long or missing closing"},
    {"duplicate name", "    FIELD=2,1,10,amount\n", "    FIELD=2,1,10,amount\n    FIELD=3,1,10,name\n",
     11, 18, "Duplicate definition of name"},
    {"argument missing", "SUBSTRING(name, 1, 10)", "SUBSTRING(name)", 32, 46, "Missing ,"},
};
// clang-format on

TEST(Check, CleanDefinitionHasNoMessages) {
    CheckSink sink = check_text(payslip());
    EXPECT_TRUE(sink.messages.empty())
        << (sink.messages.empty() ? "" : check_line(sink.messages[0]));
}

TEST(Check, EachMistakeAtItsLineAndColumn) {
    for (const Mistake& m : kMistakes) {
        CheckSink sink = check_text(replaced(payslip(), m.from, m.to));
        ASSERT_FALSE(sink.messages.empty()) << m.name;
        const CheckMessage& first = sink.messages.front();
        EXPECT_EQ(first.severity, CheckSeverity::Error) << m.name;
        EXPECT_EQ(first.line, m.line) << m.name << ": " << check_line(first);
        EXPECT_EQ(first.column, m.column) << m.name << ": " << check_line(first);
        EXPECT_EQ(first.text.rfind(m.text, 0), 0u) << m.name << ": " << check_line(first);
        EXPECT_EQ(first.file, "payslip.def");
        EXPECT_EQ(sink.errors, 1u) << m.name << ": one mistake, one error";
    }
}

TEST(Check, AllMistakesInOneCheck) {
    std::string text = payslip();
    for (const Mistake& m : kMistakes) text = replaced(text, m.from, m.to);
    CheckSink sink = check_text(text);
    std::vector<std::string> errors;
    for (const CheckMessage& m : sink.messages)
        if (m.severity == CheckSeverity::Error) errors.push_back(m.text);
    ASSERT_EQ(errors.size(), std::size(kMistakes));
    for (const Mistake& m : kMistakes) {
        bool found = false;
        for (const std::string& e : errors) found = found || e.rfind(m.text, 0) == 0;
        EXPECT_TRUE(found) << m.name;
    }
}

TEST(Check, MisspeltStatementHasTheBraceAsNote) {
    CheckSink sink = check_text(replaced(payslip(), "    MESSAGE=150,230", "    MESAGE=150,230"));
    ASSERT_EQ(sink.messages.size(), 2u);
    EXPECT_EQ(sink.messages[1].severity, CheckSeverity::Note);
    EXPECT_EQ(sink.messages[1].text, "Missing }");
    EXPECT_EQ(check_line(sink.messages[1]), "payslip.def:30:5: note: Missing }\n");
}

TEST(Check, UndeclaredNameHasTheNearestDeclaredOneAsNote) {
    struct Case {
        const char* from;
        const char* to;
        const char* note;  // none: no declared name is near
    } cases[] = {
        {"LET count = count + 1", "LET count = cuont + 1", "did you mean count?"},
        {"REPEAT read_page", "REPEAT read_pag", "did you mean read_page?"},
        {"LET count = count + 1", "LET count = spool_lin + 1", "did you mean spool_line?"},
        {"LET count = count + 1", "LET count = zzzzzz + 1", nullptr},
    };
    for (const Case& c : cases) {
        CheckSink sink = check_text(replaced(payslip(), c.from, c.to));
        ASSERT_FALSE(sink.messages.empty()) << c.to;
        EXPECT_EQ(sink.errors, 1u) << c.to;
        const CheckMessage& error = sink.messages.front();
        if (!c.note) {
            EXPECT_EQ(sink.messages.size(), 1u) << c.to;
            continue;
        }
        ASSERT_EQ(sink.messages.size(), 2u) << c.to;
        const CheckMessage& note = sink.messages[1];
        EXPECT_EQ(note.severity, CheckSeverity::Note);
        EXPECT_EQ(note.text, c.note);
        EXPECT_EQ(note.line, error.line);
    }
}

TEST(Check, SpoolValueSplitAtBlanksIsAWarningWhereItIsWritten) {
    // name comes from the spool: unquoted, a blank in it makes two words of the command.
    const std::string unquoted =
        replaced(payslip(), "PARAMETERS={ OUTPUT_FILE }", "PARAMETERS={ OUTPUT_FILE\n name }");
    CheckSink sink = check_text(unquoted);
    ASSERT_EQ(sink.messages.size(), 1u);
    const CheckMessage& m = sink.messages.front();
    EXPECT_EQ(m.severity, CheckSeverity::Warning);
    EXPECT_EQ(m.line, 16) << check_line(m);
    EXPECT_EQ(m.file, "payslip.def");
    EXPECT_NE(m.text.find("name in the PARAMETERS of output printer is not QUOTED"),
              std::string::npos)
        << m.text;
    EXPECT_FALSE(sink.has_errors());

    EXPECT_TRUE(check_text(replaced(payslip(), "PARAMETERS={ OUTPUT_FILE }",
                                    "PARAMETERS={ OUTPUT_FILE\n QUOTED name }"))
                    .messages.empty());
}

TEST(Check, StopsAtTheMessageLimit) {
    std::string text = payslip();
    std::string many;
    for (int i = 0; i < 200; ++i) many += "    MESAGE=1,2,,body_font,\"x\"\n";
    text = replaced(text, "    LET count", many + "    LET count");
    CheckSink sink = check_text(text);
    EXPECT_EQ(sink.messages.size(), kCheckMessageLimit);
    EXPECT_GT(sink.dropped, 0u);
}

TEST(Check, IncludedFileMessagesNameThatFile) {
    test::TempDir dir;
    std::string inc = dir.write("fonts.inc", "HP_FONT=body_font,0,COURIER,10,NORMAL\nHP_FOTN=x\n");
    std::string text = replaced(payslip(), "        HP_FONT=body_font,0,COURIER,10,NORMAL\n",
                                "#include \"" + inc + "\"\n");
    CheckSink sink = check_text(text);
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages[0].file, inc) << check_line(sink.messages[0]);
    EXPECT_EQ(sink.messages[0].line, 2);
    EXPECT_EQ(sink.messages[0].column, 1);
}

TEST(Check, UnreadableDefinitionIsAnError) {
    CheckRequest request;
    request.path = "/nonexistent/x.def";
    CheckSink sink = check_definition(request);
    ASSERT_EQ(sink.messages.size(), 1u);
    EXPECT_EQ(sink.messages[0].text.rfind("Unable to open file /nonexistent/x.def", 0), 0u);
}

TEST(Check, ColumnsOnEveryLineEnding) {
    // CR LF line ends and tabs: columns count bytes from the line's start.
    std::string text = replaced(payslip(), "LET count = count + 1", "LET count = cuont + 1");
    std::string crlf;
    for (char c : text) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    CheckSink sink = check_text(crlf);
    ASSERT_FALSE(sink.messages.empty());
    EXPECT_EQ(sink.messages[0].line, 35);
    EXPECT_EQ(sink.messages[0].column, 17);
}

}  // namespace
}  // namespace morvel
