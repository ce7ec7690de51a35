#include "spool/input_program.h"

#include <string>

#include <gtest/gtest.h>

#include "extract_job.h"

namespace morvel {
namespace {

using test::ExtractJob;
using test::output_logging;
using test::spool_lines;

const std::string kFivePages = spool_lines({"p1", "p2", "p3", "p4", "p5"});

// One page per line; the page's line is in cur, and in f (collected over pages when
// f is persistent).
std::string definition(const std::string& input, const char* field_options = "",
                       const std::string& head = "") {
    return "[INPUT] " + input + "\n[EXTRACT] sheet = { LINES_PER_PAGE = 1 " + head +
           " FIELD = 1, 1, 2, cur FIELD = 1, 1, 2, f" + field_options + " }\n" +
           output_logging("WHOLE(f)");
}

TEST(InputProgram, DefaultInputPassesEveryPageToDefaultExtract) {
    const std::string text = "[EXTRACT] default_extract = { LINES_PER_PAGE = 1 FIELD = 1, 1, 2, f }\n" +
                             output_logging("f");
    ExtractJob j(text);
    ASSERT_TRUE(j.compiled()) << j.messages();
    EXPECT_EQ(j.run_input(spool_lines({"p1", "p2", "p3"})), -1);
    EXPECT_EQ(j.messages(), "out p1\nout p2\nout p3\n");
    EXPECT_EQ(j.text("first_page"), "0");

    // A tree that lost its input program runs the same default loop.
    ExtractJob k(text);
    ASSERT_TRUE(k.compiled());
    k.run().tree.input.reset();
    EXPECT_EQ(k.run_input(spool_lines({"p1", "p2"})), -1);
    EXPECT_EQ(k.messages(), "out p1\nout p2\n");
}

TEST(InputProgram, RepeatLoops) {
    const struct {
        const char* input;
        int result;
        const char* out;
    } cases[] = {
        {"REPEAT sheet", -1, "out p1\nout p2\nout p3\nout p4\nout p5\n"},
        {"REPEAT BY 3 sheet", 0, "out p1\nout p2\nout p3\n"},
        {"REPEAT BY 3 sheet ENDS cur = \"p1\"", 0, "out p1\n"},
        {"REPEAT BY 3 sheet ENDS first_page", 0, "out p1\nout p2\nout p3\n"},
        {"REPEAT BY 3 sheet ENDS first_page EXCLUSIVE", 0, ""},
        {"REPEAT sheet ENDS cur = \"p2\"", 0, "out p1\nout p2\n"},
        {"REPEAT sheet STARTS 0", 0, ""},
        {"REPEAT BY 2 { REPEAT BY 2 sheet }", 0, "out p1\nout p2\nout p3\nout p4\n"},
        {"REPEAT BY 9 sheet", -1, "out p1\nout p2\nout p3\nout p4\nout p5\n"},
    };
    for (const auto& c : cases) {
        ExtractJob j(definition(c.input));
        ASSERT_TRUE(j.compiled()) << c.input << "\n" << j.messages();
        EXPECT_EQ(j.run_input(kFivePages), c.result) << c.input;
        EXPECT_EQ(j.messages(), c.out) << c.input;
    }
}

TEST(InputProgram, RepeatCountIsTheInnermostLoopsAndComesBack) {
    ExtractJob j(definition("REPEAT BY 2 { REPEAT BY 2 DEBUG repeat_count DEBUG repeat_count }"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    EXPECT_EQ(j.run_input(kFivePages), 0);
    EXPECT_EQ(j.messages(), "1\n2\n1\n1\n2\n2\n");
    EXPECT_EQ(j.text("repeat_count"), "0");
}

TEST(InputProgram, RepeatByAtMostZeroFails) {
    for (const char* by : {"0", "-2"}) {
        ExtractJob j(definition(std::string("REPEAT BY ") + by + " sheet"));
        ASSERT_TRUE(j.compiled()) << j.messages();
        EXPECT_EQ(j.run_input(kFivePages), -1);
        EXPECT_EQ(j.messages(), std::string(by) + " is an invalid value for a REPEAT BY value\n");
        EXPECT_EQ(j.text("repeat_count"), "1");  // left at the loop's value
    }
}

// A loop whose body never fails and never ends stops after 500001 runs of its body.
TEST(InputProgram, EndlessLoopsAreCut) {
    const struct {
        const char* input;
        const char* message;
    } cases[] = {
        {"REPEAT CALL 1", "Input repeat loop exceeds 500000 iterations, aborting\n"},
        {"DOCUMENT CALL 1 ENDS 0", "Input document loop exceeds 500000 iterations, aborting\n"},
    };
    for (const auto& c : cases) {
        ExtractJob j(definition(c.input));
        ASSERT_TRUE(j.compiled()) << j.messages();
        EXPECT_EQ(j.run_input(kFivePages), -1) << c.input;
        EXPECT_EQ(j.messages(), c.message) << c.input;
        if (c.input[0] == 'R') {
            EXPECT_EQ(j.text("repeat_count"), "500001");
        }
    }
}

TEST(InputProgram, DocumentsGroupPages) {
    const struct {
        const char* input;
        const char* field_options;
        const char* head;
        int result;
        const char* out;
    } cases[] = {
        // The third page ends the document: one output run, after it.
        {"DOCUMENT sheet", ", 0, 1", "last_of_doc = cur = \"p3\"", 0, "out p1\np2\np3\n"},
        {"DOCUMENT sheet", "", "last_of_doc = cur = \"p3\"", 0, "out p3\n"},
        {"DOCUMENT sheet ENDS cur = \"p2\"", ", 0, 1", "", 0, "out p1\np2\n"},
        // The spool ends inside the second document: its pages still go out once.
        {"REPEAT DOCUMENT sheet", ", 0, 1", "last_of_doc = cur = \"p3\"", -1,
         "out p1\np2\np3\nout p4\np5\n"},
        // ...but a document that read no page before the end is no document.
        {"REPEAT DOCUMENT sheet", ", 0, 1", "last_of_doc = cur = \"p5\"", -1,
         "out p1\np2\np3\np4\np5\n"},
    };
    for (const auto& c : cases) {
        ExtractJob j(definition(c.input, c.field_options, c.head));
        ASSERT_TRUE(j.compiled()) << c.input << "\n" << j.messages();
        EXPECT_EQ(j.run_input(kFivePages), c.result) << c.input;
        EXPECT_EQ(j.messages(), c.out) << c.input;
        EXPECT_EQ(j.text("f"), "") << c.input;  // the next document starts empty
        EXPECT_FALSE(j.run().extract.inside_document);
    }
}

TEST(InputProgram, IfReadsItsConditionAsAnInteger) {
    const struct {
        const char* input;
        const char* out;
    } cases[] = {
        {"IF 2 THEN DEBUG \"yes\" ELSE DEBUG \"no\"", "yes\n"},
        {"IF 0 THEN DEBUG \"yes\" ELSE DEBUG \"no\"", "no\n"},
        {"IF \"abc\" THEN DEBUG \"yes\" ELSE DEBUG \"no\"",
         "Trying to convert a non numeric string 'abc' to a number\nno\n"},
    };
    for (const auto& c : cases) {
        ExtractJob j(definition(c.input));
        ASSERT_TRUE(j.compiled()) << c.input << "\n" << j.messages();
        EXPECT_EQ(j.run_input(kFivePages), 0) << c.input;
        EXPECT_EQ(j.messages(), c.out) << c.input;
    }
}

TEST(InputProgram, CaseTabAndXmlDelimiter) {
    ExtractJob j(definition("{ TAB = 4 XML_DELIMITER = \"/x\" "
                            "CASE \"b\" { OF \"a\" : DEBUG \"A\" OF \"B\" : DEBUG \"bee\" "
                            "DEFAULT : DEBUG \"none\" } }"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    EXPECT_EQ(j.run_input(kFivePages), 0);
    EXPECT_EQ(j.messages(), "bee\n");
    EXPECT_EQ(j.run().xml_delimiter, '/');

    ExtractJob k(definition("{ XML_DELIMITER = \"\" DEBUG \"after\" }"));
    ASSERT_TRUE(k.compiled()) << k.messages();
    EXPECT_EQ(k.run_input(kFivePages), -1);
    EXPECT_EQ(k.messages(), "Cannot have empty xml delimiter\n");
    EXPECT_EQ(k.run().xml_delimiter, '.');
}

TEST(InputProgram, AFailedRunCallsNoMoreExtractPrograms) {
    ExtractJob j(definition("REPEAT sheet"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    j.start(kFivePages);
    j.run().MEMORY_ERROR = 1;
    EXPECT_EQ(run_input_program(j.run()), -1);
    EXPECT_EQ(j.messages(), "");
    EXPECT_EQ(j.run().extract.pages_read, 0);
}

}  // namespace
}  // namespace morvel
