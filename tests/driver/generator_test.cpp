#include "driver/generator.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "driver/command_line.h"
#include "test_support.h"

namespace morvel {
namespace {

TEST(Starter, OrientationAnswers) {
    struct Case {
        const char* line;
        char expected;
    };
    const Case cases[] = {
        {"\n", 'p'},  {"portrait\n", 'p'}, {"PORTRAIT\n", 'p'},  {"p\n", 'p'},
        {"P\n", 'p'}, {"p", 'p'},          {"landscape\n", 'l'}, {"Landscape\r\n", 'l'},
        {"l\n", 'l'}, {"L\n", 'l'},        {"sideways\n", 0},    {"lp\n", 0},
        {" l\n", 0},
    };
    for (const Case& k : cases) EXPECT_EQ(orientation_answer(k.line), k.expected) << k.line;
}

TEST(Starter, OutputNameAndInvocation) {
    struct Case {
        const char* definition;
        const char* output;
    };
    const Case cases[] = {
        {"s.def", "s.pcl"},
        {"jobs/invoice.def", "jobs/invoice.pcl"},
        {"noext", "noext.pcl"},
        {"my.jobs/first", "my.jobs/first.pcl"},  // a dot in a directory is no extension
        {"/abs/a.b.def", "/abs/a.b.pcl"},
    };
    for (const Case& k : cases) EXPECT_EQ(starter_output_name(k.definition), k.output);
    EXPECT_EQ(starter_invocation("/home/ann/s.pcl"), "cat > '/home/ann/s.pcl'");
    EXPECT_EQ(starter_invocation("/tmp/ann's/s.pcl"), "cat > '/tmp/ann'\\''s/s.pcl'");
}

TEST(Starter, EmptyInputThatIsNoTerminalMeansPortraitWithoutAsking) {
    test::CapturedRun c;
    c.set_input("");
    std::string file = c.dir.file("s.def");
    EXPECT_EQ(write_default_definition(c.run, file), 0);
    std::string console = c.console();
    EXPECT_EQ(console.find("Orientation"), std::string::npos) << console;
    std::string text = test::read_file(file);
    EXPECT_NE(text.find("\tLINES_PER_PAGE = 66\n"), std::string::npos);
    EXPECT_NE(text.find("INVOCATION=\"cat > '" + c.dir.path().string()), std::string::npos) << text;
}

TEST(Starter, AnswersAreStillReadWhenGiven) {
    test::CapturedRun c;
    c.set_input("sideways\nL\n");
    std::string file = c.dir.file("s.def");
    EXPECT_EQ(write_default_definition(c.run, file), 0);
    EXPECT_NE(c.console().find("Orientation (return for portrait):Orientation (return for "
                               "portrait):"),
              std::string::npos);
    EXPECT_NE(test::read_file(file).find("\t\tORIENTATION=LANDSCAPE\n"), std::string::npos);
}

// An edited definition is not lost to a second -g; only plain files are renamed.
TEST(Starter, AnExistingDefinitionIsKeptWithATilde) {
    test::CapturedRun c;
    c.set_input("");
    std::string file = c.dir.write("s.def", "; my edits\n");
    c.dir.write("s.def~", "; an older backup\n");
    EXPECT_EQ(write_default_definition(c.run, file), 0);
    EXPECT_EQ(test::read_file(file + "~"), "; my edits\n");
    EXPECT_NE(test::read_file(file).find("[INPUT]"), std::string::npos);
    EXPECT_NE(c.console().find("The earlier " + file + " is kept as " + file + "~\n"),
              std::string::npos)
        << c.console();

    test::CapturedRun fresh;
    fresh.set_input("");
    std::string new_file = fresh.dir.file("t.def");
    EXPECT_EQ(write_default_definition(fresh.run, new_file), 0);
    EXPECT_FALSE(std::filesystem::exists(new_file + "~"));
    EXPECT_EQ(fresh.console().find("kept as"), std::string::npos);
}

std::string scan_console(const std::vector<std::string>& words, int* exit_code) {
    test::CapturedRun c;
    std::vector<std::string> all = {"morvel"};
    all.insert(all.end(), words.begin(), words.end());
    std::vector<char*> argv;
    for (std::string& w : all) argv.push_back(w.data());
    std::vector<Override> overrides;
    OptionScan scan = read_options(c.run, static_cast<int>(argv.size()), argv.data(), overrides);
    EXPECT_EQ(scan.outcome, OptionScan::Outcome::Exit);
    *exit_code = scan.exit_code;
    return c.console();
}

TEST(Help, LongOptionsForPeople) {
    int code = -1;
    std::string help = scan_console({"--help"}, &code);
    EXPECT_EQ(code, 0);
    for (char letter : std::string("abdeghklmnopqrstuvwz"))
        EXPECT_NE(help.find(std::string("\n  -") + letter + " "), std::string::npos) << letter;
    for (const char* exit_code : {"\n  0 ", "\n  1 ", "\n  2 ", "\n  100 ", "\n  101 ", "\n  102 ",
                                  "\n  103 ", "\n  104 ", "\n  108 "})
        EXPECT_NE(help.find(exit_code), std::string::npos) << exit_code;
    for (const char* variable : {"LANG", "VAVIRIRODI", "TMPDIR"})
        EXPECT_NE(help.find(variable), std::string::npos) << variable;

    EXPECT_EQ(scan_console({"-s", "--version", "def"}, &code), "morvel 5.0\n");
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace morvel
