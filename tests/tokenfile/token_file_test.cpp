#include "tokenfile/token_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/run_sequence.h"
#include "test_support.h"
#include "tokenfile/scramble.h"

namespace morvel {
namespace {

using test::bytes;
using test::run_job;

std::string scrambled(std::string data, long key, std::size_t from = 0) {
    auto* p = reinterpret_cast<unsigned char*>(data.data());
    scramble_bytes(p + from, p + from, data.size() - from, key);
    return data;
}

TEST(Scramble, KnownAnswersAndInverse) {
    const struct {
        long key;
        std::string expected;  // zero bytes scrambled
    } cases[] = {
        {724, bytes({0x6a, 0xb5, 0x5a, 0x2d, 0x16, 0x0b, 0x05, 0x02})},
        // The lone bit runs down from bit 30; the first non-zero low byte is 0x80.
        {1, bytes({0x80, 0x40, 0x20, 0x10})},
        {0, std::string(8, '\0')},
        {0x80000000L, std::string(8, '\0')},  // no bit in the register: nothing, no hang
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scrambled(std::string(c.expected.size(), '\0'), c.key), c.expected) << c.key;
    }
    std::string text = "[INPUT] { REPEAT ext }";
    EXPECT_EQ(scrambled(scrambled(text, 4711), 4711), text);
    // A stream scrambled in pieces equals one scrambled whole.
    Scrambler pieces(4711);
    std::string split = text;
    auto* p = reinterpret_cast<unsigned char*>(split.data());
    pieces.apply(p, p, 5);
    pieces.apply(p + 5, p + 5, split.size() - 5);
    EXPECT_EQ(split, scrambled(text, 4711));
}

TEST(TokenStream, LengthStopsAtTheFirstEndToken) {
    const struct {
        std::string stream;
        std::optional<std::size_t> length;
    } cases[] = {
        {bytes({67, 9, 146, 'a', 0, 10, 0, 67}), 7},
        {bytes({0}), 1},
        {bytes({67, 9}), std::nullopt},          // cut before the end token
        {bytes({146, 'a', 'b'}), std::nullopt},  // text without its zero byte
        {bytes({67, 124, 0}), std::nullopt},     // 124 is no token code
        {"", std::nullopt},
    };
    for (const auto& c : cases) EXPECT_EQ(token_stream_length(c.stream), c.length);
}

const char* kDefinition =
    "[INPUT]\n"
    "{ VARIABLE = greeting, string, \"hi\" DEBUG greeting REPEAT ext }\n"
    "[EXTRACT]\n"
    "ext = { FIELD = 1, 1, 6, word DEBUG STRCAT(\"got \", word) }\n"
    "[OUTPUT]\n"
    "OUTPUT = out INVOCATION = \"true\" PARAMETERS = OUTPUT_FILE MASK = { }\n";

// The log without the banner, whose definition line and time differ between runs.
std::string log_body(const std::string& log) {
    std::size_t end =
        log.rfind("*****************************************************************\n");
    return end == std::string::npos ? log : log.substr(end + 66);
}

class TokenFileRun : public ::testing::Test {
  protected:
    void SetUp() override {
        def = dir.write("job.def", kDefinition);
        prn = dir.write("job.prn", "apples\npears\n");
        tok = dir.file("job.tok");
    }
    test::TempDir dir;
    std::string def, prn, tok;
};

TEST_F(TokenFileRun, CompiledFileRunsLikeItsSource) {
    std::string source_log, token_log;
    ASSERT_EQ(run_job(dir, {def, prn}, &source_log), 0);
    ASSERT_EQ(run_job(dir, {"-t", tok, def, prn}), 0);
    std::string file = test::read_file(tok);
    ASSERT_GT(file.size(), 8u);
    EXPECT_EQ(file.substr(0, 4), std::string(4, '\0'));
    std::string plain = scrambled(file, kTokenFileKey, 4);
    EXPECT_EQ(plain.substr(4, 3), bytes({0, 1, 5}));
    std::size_t n = (plain.size() - 8) / 2;
    EXPECT_EQ(plain.substr(7, n), plain.substr(7 + n, n));
    EXPECT_EQ(plain.substr(7, 4), bytes({67, 9, 140, 11}));  // [INPUT] { VARIABLE =
    EXPECT_EQ(plain.back(), '\0');

    EXPECT_EQ(run_job(dir, {tok, prn}, &token_log), 0);
    EXPECT_EQ(log_body(token_log), log_body(source_log));
    EXPECT_NE(token_log.find("got apples\n"), std::string::npos);
}

// Recorded tokens go to the file in pieces and the file is scrambled in blocks: a
// definition many blocks long must come out as one continuous scrambled stream.
TEST_F(TokenFileRun, LongDefinitionRecordsAndScramblesAcrossBlocks) {
    std::string text = "[INPUT]\n{ VARIABLE = sum, string, \"0\"\n";
    for (int i = 0; i < 12000; ++i) text += "LET sum = sum + " + std::to_string(i % 7) + "\n";
    text += "DEBUG sum REPEAT ext }\n";
    text += std::string(kDefinition).substr(std::string(kDefinition).find("[EXTRACT]"));
    def = dir.write("long.def", text);
    std::string source_log, token_log;
    ASSERT_EQ(run_job(dir, {def, prn}, &source_log), 0);
    ASSERT_EQ(run_job(dir, {"-t", tok, def, prn}), 0);
    std::string plain = scrambled(test::read_file(tok), kTokenFileKey, 4);
    ASSERT_GT(plain.size(), 4u * 64 * 1024);
    std::size_t n = (plain.size() - 8) / 2;
    EXPECT_EQ(token_stream_length(std::string_view(plain).substr(7)), n);
    EXPECT_EQ(plain.substr(7, n), plain.substr(7 + n, n));
    EXPECT_EQ(plain.back(), '\0');

    EXPECT_EQ(run_job(dir, {tok, prn}, &token_log), 0);
    EXPECT_EQ(log_body(token_log), log_body(source_log));
    EXPECT_NE(token_log.find("35995"), std::string::npos) << token_log;
}

TEST_F(TokenFileRun, RefusedTokenFiles) {
    ASSERT_EQ(run_job(dir, {"-e", "-t", tok, def, prn}), 0);
    std::string plain = scrambled(test::read_file(tok), kTokenFileKey, 4);
    ASSERT_EQ(plain[6], 10);  // execute-only
    EXPECT_EQ(run_job(dir, {tok, prn}), 0);

    std::size_t n = (plain.size() - 8) / 2;
    std::string later = plain;
    later[5] = 2;
    std::string first_format = std::string(4, '\0') + plain.substr(7);
    const struct {
        std::string file;  // unscrambled
        std::vector<std::string> options;
        int exit;
        const char* message;
    } cases[] = {
        {plain,
         {"-a", dir.file("out.cdf")},
         101,
         "This is an execute only file, it cannot be loaded into the GUI\n"},
        {later,
         {},
         101,
         "Unable to load token file as it was generated by a later version of Morvel\n"},
        {plain.substr(0, 7 + n - 1), {}, 101, "is truncated or corrupt\n"},
        {plain.substr(0, 6), {}, 101, "is truncated or corrupt\n"},
        {plain.substr(0, 7) + bytes({67, 124}) + plain.substr(9),
         {},
         101,
         "is truncated or corrupt\n"},
        {first_format, {}, 0, "got apples\n"},
    };
    for (const auto& c : cases) {
        dir.write("case.tok", scrambled(c.file, kTokenFileKey, 4));
        std::vector<std::string> args = c.options;
        args.push_back(dir.file("case.tok"));
        args.push_back(prn);
        std::string log;
        EXPECT_EQ(run_job(dir, args, &log), c.exit) << c.message;
        EXPECT_NE(log.find(c.message), std::string::npos) << log;
    }
}

TEST_F(TokenFileRun, FailedCompileLeavesNoTokenFile) {
    dir.write("bad.def", "[INPUT]\n{ REPEAT ext\n");
    EXPECT_EQ(run_job(dir, {"-t", tok, dir.file("bad.def"), prn}), 1);
    EXPECT_FALSE(std::filesystem::exists(tok));
    std::string log;
    EXPECT_EQ(run_job(dir, {"-t", dir.file("none/x.tok"), def, prn}, &log), 104);
    EXPECT_NE(log.find("Unable to create token file"), std::string::npos);
}

// A token file on a full disk (/dev/full) is said and fails the run: a file that
// looks complete but is not must not be left for the next run to load.
TEST_F(TokenFileRun, FullDiskIsSaidAndFailsTheRun) {
    const std::string full = dir.file("full.tok");
    std::filesystem::create_symlink("/dev/full", full);
    std::string log;
    EXPECT_NE(run_job(dir, {"-t", full, def, prn}, &log), 0);
    EXPECT_NE(log.find("Unable to write TOKEN file " + full), std::string::npos) << log;
    EXPECT_EQ(log.find("Morvel finished successfully"), std::string::npos) << log;
}

TEST_F(TokenFileRun, ScrambledSourceRunsAndLeavesNoTemporaryFile) {
    std::string source_log, log;
    ASSERT_EQ(run_job(dir, {def, prn}, &source_log), 0);
    dir.write("job.sdf", scrambled(kDefinition, 4711));
    std::filesystem::create_directory(dir.path() / "tmp");
    setenv("VAVIRIRODI", dir.file("tmp").c_str(), 1);
    int code = run_job(dir, {"-k", "4711", dir.file("job.sdf"), prn}, &log);
    unsetenv("VAVIRIRODI");
    EXPECT_EQ(code, 0);
    EXPECT_EQ(log_body(log), log_body(source_log));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "tmp"));
    // A scrambled token file: -k first, then the four zero bytes decide.
    ASSERT_EQ(run_job(dir, {"-t", tok, def, prn}), 0);
    dir.write("tok.sdf", scrambled(test::read_file(tok), 99));
    EXPECT_EQ(run_job(dir, {"-k", "99", dir.file("tok.sdf"), prn}, &log), 0);
    EXPECT_NE(log.find("got apples\n"), std::string::npos);
}

// The reader fills spool_line and spool_page, and placing text sets last_x, last_y and
// repeat_base, only for a definition that names them; a compiled definition must
// name them as its source does.
TEST(NamedVariables, ReadTheSameFromSourceAndTokenFile) {
    test::TempDir dir;
    std::string def =
        dir.write("job.def",
                  "[INPUT]\n{ REPEAT ext }\n[EXTRACT]\n"
                  "ext = { LINES_PER_PAGE = 2 FIELD = 1, 1, 6, word\n"
                  "  DEBUG STRCAT(\"line \", spool_line)\n"
                  "  DEBUG STRCAT(\"page \", LENGTH(spool_page)) }\n"
                  "[OUTPUT]\nOUTPUT = out INVOCATION = \"true\" "
                  "PARAMETERS = OUTPUT_FILE MASK = { fmt }\n"
                  "[REFORMAT]\nREFORMAT = fmt, hp {\n"
                  "  REPEAT BY 2 { MESSAGE = 10, 20, , , word\n"
                  "    DEBUG STRCAT(\"base \", repeat_base)\n"
                  "    DEBUG STRCAT(\"x \", STRCAT(last_x, STRCAT(\" y \", last_y))) } }\n");
    std::string prn = dir.write("job.prn", "apples\npears\nfigs\n");
    std::string tok = dir.file("job.tok");
    std::string source_log, token_log;
    ASSERT_EQ(run_job(dir, {def, prn}, &source_log), 0);
    ASSERT_EQ(run_job(dir, {"-t", tok, def, prn}), 0);
    ASSERT_EQ(run_job(dir, {tok, prn}, &token_log), 0);
    for (const char* expected :
         {"line figs\n", "page 1023\n", "base 0\nx 10 y 20\nbase 50\nx 10 y 70\n"})
        EXPECT_NE(source_log.find(expected), std::string::npos) << expected << source_log;
    EXPECT_EQ(log_body(token_log), log_body(source_log));
}

}  // namespace
}  // namespace morvel
