#include "language/scanner.h"

#include <gtest/gtest.h>

#include "language/scanner_test_util.h"

namespace morvel {
namespace {

using test::ScanJob;

struct Case {
    const char* text;
    const char* tokens;
};

TEST(Scanner, TokenFamilies) {
    const Case cases[] = {
        {"! <> ( ) , . [ ] { } = + - * / >= > <= < :",
         "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 182 0"},
        {"<>= =< >=>", "2 11 11 19 16 17 0"},
        {"12.5 12. 3 -3 007 .5", "108'12.5' 109'12' 6 109'3' 13 109'3' 109'007' 6 109'5' 0"},
        {"1.2.3 12abc", "108'1.2' 6 109'3' 109'12' 146'abc' 0"},
        {"TRUE false True1", "109'1' 109'0' 146'True1' 0"},
        {"C R c r CRLF Cx", "30 113 30 113 34 146'Cx' 0"},
        {"Repeat REPEAT repeat Repeat1", "117 117 117 146'Repeat1' 0"},
        {"Let x_1 = XML_Num_Children ARCH_QUERY", "76 146'x_1' 11 186 218 0"},
        {"[INPUT] [input] [Extract] [OUTPUT] [reformat] [DELIVERY]", "67 67 49 99 116 178 0"},
        {"[ INPUT] [INPUTS] [x]", "7 146'INPUT' 8 7 146'INPUTS' 8 7 146'x' 8 0"},
        {"BOLD: bold : Align: size:x", "25 26 182 156 123 146'x' 0"},
        {"EFFECT: NORESET: COLOUR: COLOUR boldx:", "42 151 162 163 146'boldx' 182 0"},
        {"REM hello world\nx", "154'hello world' 146'x' 0"},
        {"rem\tTabbed \r\nNOTE  two", "154'Tabbed ' 155' two' 0"},
        {"REM\nRemark", "154'' 146'Remark' 0"},
        {"a ; comment \"open\nb;c", "146'a' 146'b' 0"},
        {"", "0"},
    };
    for (const Case& k : cases) {
        ScanJob job(k.text);
        ASSERT_TRUE(job.started);
        EXPECT_EQ(job.rest(), k.tokens) << k.text;
        EXPECT_EQ(job.c.console(), "") << k.text;
    }
}

TEST(Scanner, UnknownCharactersAreEchoedAndSkipped) {
    ScanJob job("$a _b ~ #x \f");
    EXPECT_EQ(job.rest(), "146'a' 146'b' 146'x' 0");
    EXPECT_EQ(job.c.console(), "$_~#\f");
    EXPECT_EQ(job.c.run.MEMORY_ERROR, 0);
}

TEST(Scanner, StringEscapes) {
    const Case cases[] = {
        {R"("\x20AC")", "\xE2\x82\xAC"},
        {R"("\065")", "A"},
        {R"("\0651")", "A1"},
        {R"("\999|\7x")", "\xE7|\7x"},
        {R"("\x41G\X7f\x80\x7FF\x800")", "AG\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80"},
        {R"("\x10FFFF")", "\xF4\x8F\xBF\xBF"},
        {R"("<\x110000>")", "<>"},
        {R"("\x1234567")", "7"},  // six digits at most; 0x123456 is beyond Unicode
        {R"("\b\f\n\r\t")", "\b\f\n\r\t"},
        {R"("\"\\\q")", "\"\\q"},
        {R"("\xg")", "xg"},
        {R"("a\0b")", "a"},  // texts are copied up to their first zero byte
        {"\"open at the end", "open at the end"},
    };
    for (const Case& k : cases) {
        ScanJob job(k.text);
        Token t = next_token(job.c.run);
        EXPECT_EQ(t.code, Tok::STRING) << k.text;
        EXPECT_EQ(t.text, k.tokens) << k.text;
        EXPECT_EQ(next_token(job.c.run).code, Tok::END) << k.text;
    }
}

TEST(Scanner, StringLimits) {
    const std::string a245(245, 'a'), euro = "\xE2\x82\xAC";
    const struct {
        std::string text;
        std::string tokens;
    } cases[] = {
        {"\"" + a245 + "aaa\"", "127'" + a245 + "aaa' 0"},
        {"\"" + a245 + "aaaa\"", "<abort>"},
        // A three-byte escape counts three bytes.
        {"\"" + a245 + "\\x20AC\"", "127'" + a245 + euro + "' 0"},
        {"\"" + a245 + "a\\x20AC\"", "<abort>"},
        {"x \"abc\ndef\"", "146'x' <abort>"},
    };
    for (const auto& k : cases) {
        ScanJob job(k.text);
        EXPECT_EQ(job.rest(), k.tokens) << k.text;
        EXPECT_EQ(job.c.log(), k.tokens.ends_with("<abort>")
                                   ? "String to long or missing closing \" at line 1 of job.def\n"
                                   : "")
            << k.text;
        EXPECT_EQ(job.c.run.scanner.fatal_exit, 0) << k.text;
    }
}

TEST(Scanner, LexemeLimitStopsTheProgram) {
    const std::string fatal = "token too large, exceeds YYLMAX\n";
    const struct {
        std::string text;
        bool fatal;
    } cases[] = {
        {std::string(249, 'a'), false},
        {std::string(250, 'a'), true},
        {std::string(249, ' ') + "x", false},
        {std::string(250, ' ') + "x", true},
        {std::string(249, ' ') + "\r\nx", false},
        {std::string(249, ' ') + "\rx", true},
        {std::string(125, '\t') + std::string(125, '\r'), true},
        {std::string(249, '7'), false},
        {std::string(250, '7'), true},
        {std::string(124, '1') + "." + std::string(124, '2'), false},
        {std::string(124, '1') + "." + std::string(125, '2'), true},
    };
    for (const auto& k : cases) {
        ScanJob job(k.text);
        std::string tokens = job.rest();
        EXPECT_EQ(tokens.ends_with("<abort>"), k.fatal) << k.text.size();
        EXPECT_EQ(job.c.console(), k.fatal ? fatal : "") << k.text.size();
        EXPECT_EQ(job.c.run.scanner.fatal_exit, k.fatal ? 2 : 0) << k.text.size();
    }
}

TEST(Scanner, CommentTextIsBounded) {
    ScanJob job("REM " + std::string(300, 'x') + "\nNOTE " + std::string(249, 'y') + "\ny");
    EXPECT_EQ(job.rest(),
              "154'" + std::string(249, 'x') + "' 155'" + std::string(249, 'y') + "' 146'y' 0");
    EXPECT_EQ(job.c.run.current_line, 3);
}

TEST(Scanner, LinesAreCounted) {
    ScanJob job("a\n\n; c\nREM x\n\"s\\\nt\" b\n");
    EXPECT_EQ(job.c.run.current_line, 1);
    EXPECT_EQ(job.c.run.current_file, "job.def");
    EXPECT_EQ(next_token(job.c.run).text, "a");
    EXPECT_EQ(job.c.run.current_line, 1);
    EXPECT_EQ(next_token(job.c.run).code, Tok::REM);  // its line end is taken with it
    EXPECT_EQ(job.c.run.current_line, 5);
    EXPECT_EQ(next_token(job.c.run).text, "s\nt");  // an escaped line end is still a line
    EXPECT_EQ(job.c.run.current_line, 6);
    EXPECT_EQ(next_token(job.c.run).text, "b");
    EXPECT_EQ(next_token(job.c.run).code, Tok::END);
    EXPECT_EQ(job.c.run.current_line, 7);
}

TEST(Scanner, PeekHandsOutTheSameTokenOnce) {
    ScanJob job("a b");
    EXPECT_EQ(peek_token(job.c.run).text, "a");
    EXPECT_EQ(peek_token(job.c.run).text, "a");
    EXPECT_EQ(next_token(job.c.run).text, "a");
    EXPECT_EQ(next_token(job.c.run).text, "b");
    EXPECT_EQ(peek_token(job.c.run).code, Tok::END);
    EXPECT_EQ(next_token(job.c.run).code, Tok::END);
    EXPECT_EQ(next_token(job.c.run).code, Tok::END);
}

TEST(Scanner, UnreadableDefinitionFailsTheStart) {
    test::CapturedRun c;
    c.run.scanner.definition_path = c.dir.file("missing.def");
    EXPECT_FALSE(scanner_start_pass(c.run, 1));
}

TEST(Scanner, ReadFailureStopsTheProgram) {
    // A directory opens but cannot be read.
    test::CapturedRun c;
    c.run.scanner.definition_path = c.dir.path().string();
    ASSERT_TRUE(scanner_start_pass(c.run, 1));
    EXPECT_EQ(test::scan_rest(c.run), "<abort>");
    EXPECT_EQ(c.console(), "input in flex scanner failed\n");
    EXPECT_EQ(c.run.scanner.fatal_exit, 2);
}

TEST(Scanner, SourceFilesAreListedOnceWhateverTheLetterCase) {
    test::CapturedRun c;
    EXPECT_EQ(register_source_file(c.run, "a.def", false), 0);
    EXPECT_EQ(register_source_file(c.run, "lib.def", true), 1);
    EXPECT_EQ(register_source_file(c.run, "LIB.DEF", false), 1);
    ASSERT_EQ(c.run.scanner.sources.size(), 2u);
    EXPECT_TRUE(c.run.scanner.sources[1].read_only);
}

// Words the scanner finds are covered by TokenFamilies; these are words it never hands over.
TEST(Scanner, KeywordLookupOfWordsTheScannerNeverPasses) {
    EXPECT_EQ(keyword_lookup(""), std::nullopt);
    EXPECT_EQ(keyword_lookup("TRUE"), std::nullopt);  // an integer, not a keyword
    EXPECT_EQ(keyword_lookup(std::string(300, 'A')), std::nullopt);
}

}  // namespace
}  // namespace morvel
