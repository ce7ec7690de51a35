// Whole runs in-process whose -d file or log cannot be written as asked: nothing is
// replaced that is not a regular file, and every failure is said and fails the run.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/run_sequence.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace morvel {
namespace {

const char* kJob =
    "[EXTRACT]\n"
    "default_extract = { LINES_PER_PAGE = 1 FIELD = 1, 1, 6, word }\n"
    "[OUTPUT]\n"
    "OUTPUT = out INVOCATION = \"true\" PARAMETERS = OUTPUT_FILE MASK = { }\n";

struct Result {
    int code = -1;
    std::string console, log;
};

// Runs morvel with args in a fresh context over job.def and job.prn in dir.
Result run_in_dir(const test::TempDir& dir, std::vector<std::string> args,
                  const std::string& definition = kJob) {
    dir.write("job.def", definition);
    dir.write("job.prn", "apples\npears\n");
    test::CapturedRun c;
    args.insert(args.begin(), "morvel");
    args.push_back(dir.file("job.def"));
    args.push_back(dir.file("job.prn"));
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    Result r;
    r.code = run_morvel(c.run, static_cast<int>(argv.size()), argv.data());
    r.console = c.console();
    // A log that is a device (/dev/full reads as endless zeros) is not read back.
    if (fs::is_regular_file(c.run.options.log_file_name))
        r.log = test::read_file(c.run.options.log_file_name);
    return r;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A -d name that is no regular file (here a link to a device) is written in place:
// the link and the device stay, no ".tmp" is left. A regular file is replaced.
TEST(RunFailures, ReturnCodeFileReplacesOnlyRegularFiles) {
    test::TempDir dir;
    std::string device = dir.file("null");
    fs::create_symlink("/dev/null", device);
    Result r = run_in_dir(dir, {"-s", "-l", dir.file("job.log"), "-d", device});
    EXPECT_EQ(r.code, 0) << r.log;
    EXPECT_TRUE(fs::is_symlink(device));
    EXPECT_TRUE(fs::is_character_file(device));
    EXPECT_FALSE(fs::exists(device + ".tmp"));

    std::string regular = dir.write("rc.txt", "old");
    r = run_in_dir(dir, {"-s", "-l", dir.file("job.log"), "-d", regular});
    EXPECT_EQ(r.code, 0) << r.log;
    EXPECT_EQ(test::read_file(regular),
              "default_extract,0,6\ndefault_extract,7,12\nVANTOR_RETURN_CODE = 0");
    EXPECT_FALSE(fs::exists(regular + ".tmp"));
}

// A -d file that cannot be created or written is said on the console and in the log,
// and the run fails instead of claiming success.
TEST(RunFailures, ReturnCodeFileFailuresAreSaidAndFailTheRun) {
    const struct {
        const char* name;  // in the scratch directory; "full" links to /dev/full
        const char* message;
    } cases[] = {
        {"no/such/dir/rc.txt", "Unable to create return code file "},
        {"full", "Unable to write return code file "},
        {".", "Unable to create return code file "},
    };
    for (const auto& c : cases) {
        test::TempDir dir;
        fs::create_symlink("/dev/full", dir.file("full"));
        Result r = run_in_dir(dir, {"-l", dir.file("job.log"), "-d", dir.file(c.name)});
        EXPECT_EQ(r.code, 1) << c.name;
        EXPECT_TRUE(contains(r.console, c.message)) << c.name << r.console;
        EXPECT_TRUE(contains(r.log, c.message)) << c.name << r.log;
        EXPECT_FALSE(contains(r.log, "Morvel finished successfully")) << c.name;
        EXPECT_TRUE(fs::is_character_file(dir.file("full")));
    }
}

// The "<name>.tmp" file is made new: a link or a file planted there is not written
// through, and the finished file is a regular file under its own name.
TEST(RunFailures, ReturnCodeFileFollowsNothingPlantedAtItsTemporaryName) {
    const struct {
        const char* what;
        bool link;  // a symbolic link to the victim, else a regular file left over
    } cases[] = {{"planted link", true}, {"file left over", false}};
    for (const auto& c : cases) {
        test::TempDir dir;
        const std::string victim = dir.write("victim", "precious");
        const std::string rc = dir.file("rc");
        if (c.link)
            fs::create_symlink(victim, rc + ".tmp");
        else
            dir.write("rc.tmp", "stale");
        Result r = run_in_dir(dir, {"-s", "-l", dir.file("job.log"), "-d", rc});
        EXPECT_EQ(r.code, 0) << c.what << r.log;
        EXPECT_EQ(test::read_file(victim), "precious") << c.what;
        EXPECT_FALSE(fs::is_symlink(rc)) << c.what;
        EXPECT_EQ(test::read_file(rc),
                  "default_extract,0,6\ndefault_extract,7,12\nVANTOR_RETURN_CODE = 0")
            << c.what;
        EXPECT_FALSE(fs::exists(fs::symlink_status(rc + ".tmp"))) << c.what;
    }
}

// A -d FIFO that nobody reads fails the run at once with a message, instead of
// waiting for a reader; the FIFO stays.
TEST(RunFailures, ReturnCodeFifoWithoutReaderDoesNotHoldUpTheRun) {
    test::TempDir dir;
    const std::string fifo = dir.file("rc.fifo");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    Result r = run_in_dir(dir, {"-s", "-l", dir.file("job.log"), "-d", fifo});
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(
        contains(r.log, "Unable to write return code file " + fifo + ": no process reads it"))
        << r.log;
    EXPECT_TRUE(fs::is_fifo(fifo));
}

// A scanner stop ends the run at once, yet the -d file is finished with a failing
// return code under its own name, and the stop is in the log as well.
TEST(RunFailures, ScannerStopFinishesReturnCodeFileAndLogsTheStop) {
    test::TempDir dir;
    std::string rc = dir.file("rc.txt");
    Result r = run_in_dir(dir, {"-s", "-l", dir.file("job.log"), "-d", rc},
                          "[INPUT]\n{" + std::string(300, ' ') + "}\n");
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.console, "token too large, exceeds YYLMAX\n");
    EXPECT_TRUE(contains(r.log, "token too large, exceeds YYLMAX\n")) << r.log;
    EXPECT_EQ(test::read_file(rc), "VANTOR_RETURN_CODE = 1");
    EXPECT_FALSE(fs::exists(rc + ".tmp"));
}

// A log that takes no line (a full disk) is said once on standard error, also with
// -s; the run fails, and with -q it stops with the code of a log not created.
TEST(RunFailures, UnwritableLogIsSaidAndFailsTheRun) {
    for (const char* quit : {"", "-q"}) {
        test::TempDir dir;
        std::string log = dir.file("job.log");
        fs::create_symlink("/dev/full", log);
        std::vector<std::string> args = {"-s", "-l", log};
        if (*quit) args.push_back(quit);
        Result r = run_in_dir(dir, args);
        EXPECT_EQ(r.code, *quit ? 108 : 1);
        EXPECT_EQ(r.console, "Unable to write log file " + log + ": No space left on device\n");
    }
}

}  // namespace
}  // namespace morvel
