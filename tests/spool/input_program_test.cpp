#include "spool/input_program.h"

#include <gtest/gtest.h>

#include <string>

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
    const std::string text =
        "[EXTRACT] default_extract = { LINES_PER_PAGE = 1 FIELD = 1, 1, 2, f }\n" +
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

// Input statements over five one-line pages: the run's status, what it logged, and
// repeat_count afterwards where it matters.
TEST(InputProgram, LoopsAndConditions) {
    const struct {
        const char* input;
        int result;
        const char* out;
        const char* repeat_count;
    } cases[] = {
        {"REPEAT sheet", -1, "out p1\nout p2\nout p3\nout p4\nout p5\n", nullptr},
        {"REPEAT BY 3 sheet", 0, "out p1\nout p2\nout p3\n", nullptr},
        {"REPEAT BY 3 sheet ENDS cur = \"p1\"", 0, "out p1\n", nullptr},
        {"REPEAT BY 3 sheet ENDS first_page", 0, "out p1\nout p2\nout p3\n", nullptr},
        {"REPEAT BY 3 sheet ENDS first_page EXCLUSIVE", 0, "", nullptr},
        {"REPEAT sheet ENDS cur = \"p2\"", 0, "out p1\nout p2\n", nullptr},
        {"REPEAT sheet STARTS 0", 0, "", nullptr},
        {"REPEAT BY 2 { REPEAT BY 2 sheet }", 0, "out p1\nout p2\nout p3\nout p4\n", nullptr},
        {"REPEAT BY 9 sheet", -1, "out p1\nout p2\nout p3\nout p4\nout p5\n", nullptr},
        // repeat_count is the innermost loop's and comes back when a loop ends.
        {"REPEAT BY 2 { REPEAT BY 2 DEBUG repeat_count DEBUG repeat_count }", 0,
         "1\n2\n1\n1\n2\n2\n", "0"},
        // A count of at most zero fails and leaves repeat_count at the loop's value.
        {"REPEAT BY 0 sheet", -1, "0 is an invalid value for a REPEAT BY value\n", "1"},
        {"REPEAT BY -2 sheet", -1, "-2 is an invalid value for a REPEAT BY value\n", "1"},
        // A loop whose body never fails and never ends stops after 500001 runs of its body.
        {"REPEAT CALL 1", -1, "Input repeat loop exceeds 500000 iterations, aborting\n", "500001"},
        {"DOCUMENT CALL 1 ENDS 0", -1, "Input document loop exceeds 500000 iterations, aborting\n",
         nullptr},
        // IF reads its condition as an integer.
        {"IF 2 THEN DEBUG \"yes\" ELSE DEBUG \"no\"", 0, "yes\n", nullptr},
        {"IF 0 THEN DEBUG \"yes\" ELSE DEBUG \"no\"", 0, "no\n", nullptr},
        {"IF \"abc\" THEN DEBUG \"yes\" ELSE DEBUG \"no\"", 0,
         "Trying to convert a non numeric string 'abc' to a number\nno\n", nullptr},
    };
    for (const auto& c : cases) {
        ExtractJob j(definition(c.input));
        ASSERT_TRUE(j.compiled()) << c.input << "\n" << j.messages();
        EXPECT_EQ(j.run_input(kFivePages), c.result) << c.input;
        EXPECT_EQ(j.messages(), c.out) << c.input;
        if (c.repeat_count) {
            EXPECT_EQ(j.text("repeat_count"), c.repeat_count) << c.input;
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

TEST(InputProgram, CaseTabAndXmlDelimiter) {
    ExtractJob j(
        definition("{ TAB = 4 XML_DELIMITER = \"/x\" "
                   "CASE \"b\" { OF \"a\" : DEBUG \"A\" OF \"B\" : DEBUG \"bee\" "
                   "DEFAULT : DEBUG \"none\" } }"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    EXPECT_EQ(j.run_input(kFivePages), 0);
    EXPECT_EQ(j.messages(), "bee\n");
    EXPECT_EQ(j.run().xml.delimiter, '/');

    ExtractJob k(definition("{ XML_DELIMITER = \"\" DEBUG \"after\" }"));
    ASSERT_TRUE(k.compiled()) << k.messages();
    EXPECT_EQ(k.run_input(kFivePages), -1);
    EXPECT_EQ(k.messages(), "Cannot have empty xml delimiter\n");
    EXPECT_EQ(k.run().xml.delimiter, '.');
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
