#include "output/invocation.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>

#include "output/output_programs.h"
#include "output_fixture.h"

namespace morvel::test {
namespace {

using InvocationTest = OutputTest;

TEST_F(InvocationTest, BuildsCommandFromParameters) {
    OutputProgram& p = output("printer", "lpr",
                              {file_param(), text_param("a b", true), text_param("-o"),
                               text_param("copies"), text_param("2", true)});
    std::string file = open_with(p, "page");
    invoke(run, p);
    ASSERT_EQ(commands.size(), 1u);
    // key = value arrives as two parameters, each with its own QUOTED mark.
    EXPECT_EQ(commands[0], "lpr " + q(file) + " \"a b\" -o copies \"2\"");
    EXPECT_EQ(execute_status(), 0);
    EXPECT_TRUE(temp_files().empty());
    EXPECT_EQ(output_file_name(run, p), "");
}

TEST_F(InvocationTest, OtherOutputFileIsClosedNamedAndDeletedAfterTheCommand) {
    OutputProgram& archive = output("archive", "true");
    OutputProgram& mail = output("mail", "send", {file_param(), file_param(&archive)});
    std::string archive_file = open_with(archive, "A");
    std::string mail_file = open_with(mail, "M");
    invoke(run, mail);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "send " + q(mail_file) + " " + q(archive_file));
    EXPECT_EQ(output_file(run, archive), nullptr);
    EXPECT_TRUE(temp_files().empty());
    // Its file is gone, so the end-of-run pass has nothing left to invoke.
    run_end_of_run_outputs(run);
    EXPECT_EQ(commands.size(), 1u);
}

TEST_F(InvocationTest, OtherOutputWithoutFileAddsNothing) {
    OutputProgram& archive = output("archive", "true");
    OutputProgram& mail = output("mail", "send", {file_param(&archive), text_param("x")});
    open_with(mail, "M");
    invoke(run, mail);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "send x");
}

TEST_F(InvocationTest, FailingCommandIsAnErrorOnlyWhenCompulsoryOrUnstartable) {
    struct Case {
        const char* invocation;
        int status;
        int memory_error;
        const char* log;  // "@" stands for the quoted file name
    };
    const Case cases[] = {
        {"!lp", 3, 1, "Invocation (lp @) in output printer was compulsory but returned 3\n"},
        {"lp", 3, 0, "Output of printer is kept as "},
        {"lp", -1, 1, "System(lp @) returned error "},
    };
    for (const Case& c : cases) {
        run.MEMORY_ERROR = 0;
        size_t logged = cr.log().size();
        command_status(c.status);
        OutputProgram& p = output("printer", c.invocation, {file_param()});
        std::string file = open_with(p, "x");
        invoke(run, p);
        ASSERT_EQ(commands.size(), 1u);
        EXPECT_EQ(commands.back(), "lp " + q(file));
        commands.clear();
        EXPECT_EQ(execute_status(), c.status) << c.invocation;
        EXPECT_EQ(run.MEMORY_ERROR, c.memory_error) << c.invocation;
        std::string log = c.log;
        if (size_t at = log.find('@'); at != std::string::npos) log.replace(at, 1, q(file));
        EXPECT_EQ(cr.log().substr(logged, log.empty() ? std::string::npos : log.size()), log)
            << c.invocation;
        // A command that failed delivered nothing: its file stays, under a telling name.
        std::string kept = cr.dir.file("morvel-undelivered-printer.pcl");
        EXPECT_EQ(test::read_file(kept), "x") << c.invocation;
        std::remove(kept.c_str());
        EXPECT_TRUE(temp_files().empty());
    }
}

TEST_F(InvocationTest, EmptyInvocationOrOverrideRunsNothingAndGives999) {
    struct Case {
        const char* invocation;
        std::optional<std::string> override_text;
        bool compulsory_message;
    };
    const Case cases[] = {{"", std::nullopt, false}, {"!", std::nullopt, true}, {"lpr", "", false}};
    for (const Case& c : cases) {
        run.MEMORY_ERROR = 0;
        set_integer_variable(run, "execute_status", 0);
        size_t logged = cr.log().size();
        OutputProgram& p = output("viewer", c.invocation, {file_param(), text_param("x")});
        p.invocation.override_text = c.override_text;
        open_with(p, "x");
        invoke(run, p);
        EXPECT_TRUE(commands.empty()) << c.invocation;
        EXPECT_EQ(execute_status(), 999) << c.invocation;
        EXPECT_EQ(cr.log().find("Invocation () in output viewer was compulsory but returned 999\n",
                                logged) != std::string::npos,
                  c.compulsory_message)
            << c.invocation;
        EXPECT_TRUE(temp_files().empty());
    }
}

TEST_F(InvocationTest, OverrideReplacesEveryAtSignAndIgnoresParameters) {
    OutputProgram& a = output("a", "lpr", {text_param("ignored")});
    OutputProgram& b = output("b", "lpr");
    a.invocation.override_text = "cp @ @.bak";
    b.invocation.override_text = "!cp @ /dev/null";
    std::string fa = open_with(a, "1");
    std::string fb = open_with(b, "2");
    run_end_of_run_outputs(run);
    ASSERT_EQ(commands.size(), 2u);
    EXPECT_EQ(commands[0], "cp " + q(fa) + " " + q(fa) + ".bak");
    EXPECT_EQ(commands[1], "cp " + q(fb) + " /dev/null");
    EXPECT_TRUE(temp_files().empty());
}

TEST_F(InvocationTest, PreviewCopiesInsteadOfRunning) {
    run.options.preview = true;
    run.options.preview_prefix = cr.dir.file("P");
    output("first", "lpr");
    OutputProgram& second = output("second", "lpr");
    // The name is prefix, output kind, output number and the program's preview counter.
    second.output_kind = 1;
    second.preview_counter = 11;
    for (int i = 0; i < 2; ++i) {
        open_with(second, "page " + std::to_string(i));
        invoke(run, second);
    }
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(read_file(cr.dir.file("P1002011.pre")), "page 0");
    EXPECT_EQ(read_file(cr.dir.file("P1002012.pre")), "page 1");
    EXPECT_EQ(second.preview_counter, 13);
    second.output_kind = 3;
    EXPECT_EQ(preview_file_name("pre/", second), "pre/3002013.pre");
    EXPECT_TRUE(temp_files().empty());
}

TEST_F(InvocationTest, UnwritablePreviewIsReportedAndTheFileStillGoes) {
    run.options.preview = true;
    run.options.preview_prefix = cr.dir.file("missing/P");
    OutputProgram& p = output("first", "lpr");
    open_with(p, "x");
    invoke(run, p);
    EXPECT_NE(
        cr.log().find("Unable to open preview file " + cr.dir.file("missing/P") + "0001000.pre"),
        std::string::npos);
    EXPECT_TRUE(temp_files().empty());
}

TEST_F(InvocationTest, NothingRunsAfterAnError) {
    OutputProgram& p = output("printer", "lpr", {file_param()});
    run.MEMORY_ERROR = 1;
    open_with(p, "x");
    invoke(run, p);
    EXPECT_TRUE(commands.empty());
    EXPECT_TRUE(temp_files().empty());
    EXPECT_NE(cr.log().find("Output program was not run due to previous errors\n"),
              std::string::npos);
}

TEST_F(InvocationTest, CommandLineBound) {
    // 1023 characters fit; one more, in the program or in a parameter, refuses the command.
    struct Case {
        size_t program_size;
        std::vector<InvocationParameter> params;
        const char* refusal;  // nullptr: the command runs
    };
    std::vector<Case> cases;
    cases.push_back({1023, {}, nullptr});
    cases.push_back({1024, {}, "into a 1023 size string\n"});
    cases.push_back({1017, {text_param("bcd", true)}, nullptr});
    cases.push_back({1018, {text_param("bcd", true), text_param("e")}, "Tried to join "});
    for (Case& c : cases) {
        commands.clear();
        run.MEMORY_ERROR = 0;
        OutputProgram& p = output("p", std::string(c.program_size, 'a'), std::move(c.params));
        open_with(p, "x");
        invoke(run, p);
        EXPECT_TRUE(temp_files().empty());
        if (!c.refusal) {
            ASSERT_EQ(commands.size(), 1u) << c.program_size;
            EXPECT_EQ(commands[0].size(), 1023u);
            continue;
        }
        EXPECT_TRUE(commands.empty()) << c.program_size;
        EXPECT_EQ(execute_status(), 999);
        EXPECT_NE(cr.log().find(c.refusal), std::string::npos);
    }
}

TEST_F(InvocationTest, StampingCommand) {
    struct Case {
        const char* program_path;
        const char* invocation;
        std::vector<InvocationParameter> params;
        std::string command;  // "" = refused; "@" stands for the file name
    };
    const char* opt = "/opt/morvel/bin/morvel";
    const std::string stamp = "/opt/morvel/bin/gl_stamp  < \"@\" > ";
    std::vector<Case> cases;
    cases.push_back({opt, "!!FASTMARK", {file_param(), text_param("o", true)}, stamp + "\"o\""});
    cases.push_back({opt, "!!FASTMARK", {file_param(), text_param("o")}, stamp + "o"});
    cases.push_back(
        {"morvel", "!!fastmark", {file_param(), text_param("t")}, "gl_stamp  < \"@\" > t"});
    cases.push_back({opt, "!!FASTMARK", {file_param(), file_param()}, stamp + "\"@\""});
    cases.push_back({opt, "!!FASTMARK", {text_param("o"), file_param()}, ""});
    cases.push_back({opt, "!!FASTMARK", {file_param()}, ""});
    for (Case& c : cases) {
        commands.clear();
        run.MEMORY_ERROR = 0;
        run.options.program_path = c.program_path;
        OutputProgram& p = output("stamp", c.invocation, std::move(c.params));
        std::string file = open_with(p, "x");
        invoke(run, p);
        if (c.command.empty()) {
            EXPECT_TRUE(commands.empty());
            EXPECT_EQ(execute_status(), 999);
        } else {
            ASSERT_EQ(commands.size(), 1u);
            for (std::size_t at; (at = c.command.find('@')) != std::string::npos;)
                c.command.replace(at, 1, file);
            EXPECT_EQ(commands[0], c.command);
        }
    }
    EXPECT_NE(
        cr.log().find("OUTPUT_FILE must be first parameter in for fastmark in output stamp\n"),
        std::string::npos);
    EXPECT_TRUE(temp_files().empty());
}

TEST_F(InvocationTest, UndecodableParameterIsSkipped) {
    VariableRecord unset;
    unset.name = "unset";
    InvocationParameter param;
    param.value.kind = ValueKind::Identifier;
    param.value.record = &unset;
    param.value.cell = &unset.cell;
    param.value.name = "unset";
    OutputProgram& p = output("printer", "lpr", {std::move(param), text_param("x")});
    open_with(p, "x");
    invoke(run, p);
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0], "lpr x");
    EXPECT_NE(cr.log().find("Unable to decode an invoke parameter\n"), std::string::npos);
}

TEST_F(InvocationTest, NullInvocationRunsNothing) {
    VariableRecord unset;
    unset.name = "command";
    OutputProgram& p = output("printer", "");
    p.invocation.program.kind = ValueKind::Identifier;
    p.invocation.program.record = &unset;
    p.invocation.program.cell = &unset.cell;
    set_integer_variable(run, "execute_status", 5);
    open_with(p, "x");
    invoke(run, p);
    EXPECT_TRUE(commands.empty());
    EXPECT_EQ(execute_status(), 5);
    EXPECT_NE(cr.log().find("Tried to invoke a NULL program\n"), std::string::npos);
    EXPECT_TRUE(temp_files().empty());
}

TEST_F(InvocationTest, InterpreterThatCannotStartIsReported) {
    command_status(-1);
    OutputProgram& p = output("printer", "lp");
    open_with(p, "x");
    invoke(run, p);
    EXPECT_EQ(execute_status(), -1);
    EXPECT_NE(cr.log().find("System(lp) returned error "), std::string::npos);
}

// The temporary directory comes from the environment: whatever its name holds reaches
// the real shell as part of the file name, in the command and in an -o override.
TEST_F(InvocationTest, TemporaryDirectoryNameIsDataToTheShell) {
    const std::string dir = cr.dir.file("t$(touch ran)`touch ran`\"x\\");
    std::filesystem::create_directory(dir);
    run.options.temp_dir = dir;
    run.command_runner.reset();  // the real /bin/sh
    const std::string in_scratch = "cd " + cr.dir.path().string() + " && ";
    for (const bool override_text : {false, true}) {
        OutputProgram& p = output("printer", in_scratch + "test -f", {file_param()});
        if (override_text) p.invocation.override_text = in_scratch + "test -f @";
        open_with(p, "x");
        invoke(run, p);
        EXPECT_EQ(execute_status(), 0) << override_text;  // the file was found by its name
        EXPECT_FALSE(std::filesystem::exists(cr.dir.file("ran"))) << override_text;
    }
}

// A zero byte would cut the command line short: such a command is not run, the run
// fails, and the output is kept as for any command that could not start.
TEST_F(InvocationTest, ValueWithZeroByteStopsTheCommand) {
    for (const bool quoted : {false, true}) {
        run.MEMORY_ERROR = 0;
        OutputProgram& p =
            output("printer", "lp", {file_param(), text_param(std::string("a\0b", 3), quoted)});
        open_with(p, "x");
        invoke(run, p);
        EXPECT_TRUE(commands.empty()) << quoted;
        EXPECT_EQ(run.MEMORY_ERROR, 1);
        EXPECT_EQ(execute_status(), -1);
        EXPECT_NE(cr.log().find("holds a zero byte; the command was not run"), std::string::npos);
        const std::string kept = cr.dir.file("morvel-undelivered-printer.pcl");
        EXPECT_EQ(test::read_file(kept), "x");
        std::remove(kept.c_str());
    }
}

TEST_F(InvocationTest, InvokeWithoutOpenFileDoesNothing) {
    OutputProgram& p = output("printer", "lpr");
    invoke(run, p);
    EXPECT_TRUE(commands.empty());
}

}  // namespace
}  // namespace morvel::test
