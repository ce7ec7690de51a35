// EXECUTE and the command runner: captured output, exit status, clean-up.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/command_runner.h"
#include "test_support.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/tree_builders.h"

namespace morvel::test {
namespace {

// Identity of whatever file descriptor 1 refers to.
std::pair<dev_t, ino_t> stdout_identity() {
    struct stat st {};
    fstat(STDOUT_FILENO, &st);
    return {st.st_dev, st.st_ino};
}

class Execute : public ::testing::Test {
  protected:
    Execute() {
        cr.run.current_file = "test.def";
        cr.run.options.has_temp_dir = true;
        cr.run.options.temp_dir = (cr.dir.path() / "tmp").string();
        std::filesystem::create_directory(cr.run.options.temp_dir);
        create_run_variables(cr.run);
    }
    Text execute(const std::string& command) {
        ExprPtr e = un(Tok::EXECUTE, lit(command), 4);
        return evaluate(cr.run, e.get());
    }
    bool temp_dir_empty() { return std::filesystem::is_empty(cr.run.options.temp_dir); }
    CapturedRun cr;
};

TEST_F(Execute, ReturnsWhatTheCommandPrintedAndItsStatus) {
    auto before = stdout_identity();
    EXPECT_EQ(execute("printf 'one\\ntwo\\n'; exit 3"), "one\ntwo\n");
    EXPECT_EQ(get_integer_variable(cr.run, "execute_status"), 3);
    EXPECT_EQ(stdout_identity(), before);
    EXPECT_TRUE(temp_dir_empty());
    EXPECT_EQ(cr.run.MEMORY_ERROR, 0);
}

TEST_F(Execute, CarriageReturnLineFeedPairsBecomeLineFeeds) {
    EXPECT_EQ(execute("printf 'a\\r\\nb\\r'"), "a\nb\r");
    EXPECT_EQ(get_integer_variable(cr.run, "execute_status"), 0);
}

TEST_F(Execute, CaptureFileIsATemporaryFileNamedMrv) {
    Text listing = execute("ls '" + cr.run.options.temp_dir + "'");
    ASSERT_TRUE(listing);
    EXPECT_EQ(listing->size(), 10u) << *listing;
    EXPECT_EQ(listing->substr(0, 3), "mrv");
    EXPECT_TRUE(temp_dir_empty());
}

TEST_F(Execute, KilledCommandGivesSignalStatus) {
    EXPECT_EQ(execute("printf partial; kill -9 $$"), "partial");
    EXPECT_EQ(get_integer_variable(cr.run, "execute_status"), 137);
}

TEST_F(Execute, InterpreterThatCannotStartFailsAndCleansUp) {
    std::vector<std::string> commands;
    cr.run.command_runner = std::make_unique<FakeCommandRunner>(&commands, -1);
    auto before = stdout_identity();
    EXPECT_FALSE(execute("lpr x"));
    EXPECT_EQ(commands, std::vector<std::string>{"lpr x"});
    EXPECT_EQ(get_integer_variable(cr.run, "execute_status"), -1);
    EXPECT_EQ(cr.log().substr(0, 51), "Problem with EXECUTE command at line 4 of test.def\n");
    EXPECT_EQ(stdout_identity(), before);
    EXPECT_TRUE(temp_dir_empty());
}

TEST_F(Execute, NoTemporaryFileMeansNoCommand) {
    std::vector<std::string> commands;
    cr.run.command_runner = std::make_unique<FakeCommandRunner>(&commands, 0);
    cr.run.options.temp_dir = cr.dir.file("missing");
    EXPECT_FALSE(execute("true"));
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(cr.log(),
              "Problem with EXECUTE command at line 4 of test.def\n"
              "No such file or directory\n");
}

TEST_F(Execute, CommandThatDoesNotEvaluate) {
    ExprPtr e = un(Tok::EXECUTE, sub(un(Tok::MINUS, lit("x"), 4)), 4);
    EXPECT_FALSE(evaluate(cr.run, e.get()));
    EXPECT_NE(
        cr.log().find("Unable to evaluate operand in EXECUTE function at line 4 of test.def\n"),
        std::string::npos);
}

TEST(CommandRunner, StatusIsTheExitStatusOr128PlusSignal) {
    SystemCommandRunner runner;
    EXPECT_EQ(runner.run("exit 0"), 0);
    EXPECT_EQ(runner.run("exit 3"), 3);
    EXPECT_EQ(runner.run("exit 255"), 255);
    EXPECT_EQ(runner.run("kill -TERM $$"), 143);
    EXPECT_EQ(command_status(-1), -1);
}

}  // namespace
}  // namespace morvel::test
