#include "core/messages.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "test_support.h"

namespace morvel {
namespace {

TEST(Messages, LevelsChooseLocationAndSystemText) {
    test::CapturedRun c;
    c.run.current_line = 7;
    c.run.current_file = "job.def";
    errno = ENOENT;
    report_error(c.run, 3, "Unable to open file %s", "x.txt");
    errno = 0;
    report_error(c.run, 2, "Unable to open spool_file %s", "y");
    report_error(c.run, 0, "plain");
    report_warning(c.run, 1, "located warning");
    report_warning(c.run, 2, "unlocated warning");
    report_info(c.run, "info %d", 5);
    const char* expected =
        "Unable to open file x.txt at line 7 of job.def\n"
        "No such file or directory\n"
        "Unable to open spool_file y\n"
        "plain\n"
        "located warning at line 7 of job.def\n"
        "unlocated warning\n"
        "info 5\n";
    EXPECT_EQ(c.log(), expected);
    EXPECT_EQ(c.console(), expected);
    EXPECT_EQ(c.run.MEMORY_ERROR, 1);
    EXPECT_EQ(c.run.error_count, 3);  // one per report_error, however many lines it writes
    // The position belongs to the one message that asked for it.
    write_message(c.run, "after");
    EXPECT_EQ(c.log().substr(std::string(expected).size()), "after\n");
}

TEST(Messages, WarningsAndInfoLeaveTheRunGood) {
    test::CapturedRun c;
    report_warning(c.run, 0, "w");
    report_info(c.run, "i");
    log_large_message(c.run, "%s", std::string(300, 'x').c_str());
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(c.run.error_count, 0);
    // Long texts are bounded, never written past: info lines at 255 characters.
    report_info(c.run, "%s", std::string(400, 'y').c_str());
    std::string log = c.log();
    EXPECT_NE(log.find(std::string(300, 'x') + "\n"), std::string::npos);
    EXPECT_NE(log.find("\n" + std::string(255, 'y') + "\n"), std::string::npos);
}

TEST(Messages, SinkGetsEveryLineWithItsKindAlsoWhenSilent) {
    test::CapturedRun c;
    c.run.options.silent = true;
    c.run.current_line = 3;
    c.run.current_file = "job.def";
    std::string seen;
    c.run.message_sink = [&seen](MessageKind kind, std::string_view line) {
        seen += kind == MessageKind::Error ? 'E' : kind == MessageKind::Warning ? 'W' : 'I';
        seen += ' ';
        seen += line;
    };
    errno = ENOENT;
    report_error(c.run, 3, "Unable to open file %s", "x.txt");
    report_warning(c.run, 1, "located warning");
    report_info(c.run, "info");
    log_large_message(c.run, "large");
    EXPECT_EQ(seen,
              "E Unable to open file x.txt at line 3 of job.def\n"
              "E No such file or directory\n"
              "W located warning at line 3 of job.def\n"
              "I info\n"
              "I large\n");
    EXPECT_EQ(c.console(), "");
    EXPECT_NE(c.log().find("info\n"), std::string::npos);
}

TEST(Messages, SilentKeepsConsoleQuietButLogs) {
    test::CapturedRun c;
    c.run.options.silent = true;
    report_error(c.run, 0, "quiet");
    debug_prompt(c.run, "pause\n");
    EXPECT_EQ(c.log(), "quiet\n");
    EXPECT_EQ(c.console(), "pause\n");  // the pause always reaches the console
}

TEST(Messages, UnwritableLogStillReachesConsole) {
    test::CapturedRun c;
    c.run.options.log_file_name = c.dir.file("no/such/dir/x.log");
    EXPECT_FALSE(create_log(c.run));
    report_info(c.run, "still here");
    EXPECT_EQ(c.console(), "Unable to create log file " + c.run.options.log_file_name +
                               ": No such file or directory\nstill here\n");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);  // a log that could not be created does not fail the run
}

// A runaway loop repeating one message writes it kRepeatedMessageLimit times, then
// one count of the rest when another message comes; located errors with their
// system text count as one message.
TEST(Messages, RepeatsBeyondTheLimitAreCounted) {
    test::CapturedRun c;
    c.run.current_line = 3;
    c.run.current_file = "job.def";
    for (int i = 0; i < 250; ++i) report_warning(c.run, 1, "Value too long");
    report_info(c.run, "next");
    for (int i = 0; i < 150; ++i) {
        errno = ENOSPC;
        report_error(c.run, 3, "Unable to write %s", "f");
    }
    flush_repeated_messages(c.run);
    std::string warning = "Value too long at line 3 of job.def\n";
    std::string error = "Unable to write f at line 3 of job.def\nNo space left on device\n";
    std::string expected;
    for (int i = 0; i < 100; ++i) expected += warning;
    expected += "Previous message repeated 150 more times\nnext\n";
    for (int i = 0; i < 100; ++i) expected += error;
    expected += "Previous message repeated 50 more times\n";
    EXPECT_EQ(c.log(), expected);
    EXPECT_EQ(c.console(), expected);
    flush_repeated_messages(c.run);  // nothing more to say
    EXPECT_EQ(c.log(), expected);
}

// A log that was created and then cannot take a line: one message on standard error
// naming the file and the system error, also when silent, and the run has failed.
TEST(Messages, LogThatStopsTakingLinesIsSaidOnceAndFailsTheRun) {
    test::CapturedRun c;
    c.run.options.silent = true;
    c.run.options.log_file_name = "/dev/full";
    ASSERT_TRUE(create_log(c.run));
    report_info(c.run, "one");
    report_info(c.run, "two");
    EXPECT_EQ(c.console(), "Unable to write log file /dev/full: No space left on device\n");
    EXPECT_EQ(c.run.MEMORY_ERROR, 1);
}

TEST(Messages, DebugPromptAnswers) {
    test::CapturedRun c;
    c.run.trace_flags = 0x2;
    c.set_input("vnobody\nr");
    debug_prompt(c.run, "Leaving reformat program %s\n", "r1");
    EXPECT_EQ(c.console(), "Leaving reformat program r1\nValue of >nobody not found\n");
    // The newline after the word ends the pause; "r" was not read.
    EXPECT_EQ(c.run.trace_flags, 0x2);
    debug_prompt(c.run, "again\n");
    EXPECT_EQ(c.run.trace_flags, 0);
}

}  // namespace
}  // namespace morvel
