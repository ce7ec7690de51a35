#include <gtest/gtest.h>

#include <cstdlib>

#include "language/scanner_impl.h"
#include "language/scanner_test_util.h"

namespace morvel {
namespace {

using test::ScanJob;

// The definition's include and uses files live next to it; names are written in full.
std::string in_quotes(const std::string& path) {
    return "\"" + path + "\"";
}

TEST(ScannerInclude, CurrentPositionFollowsTheIncludeAndIsRestored) {
    test::CapturedRun c;
    std::string inc = c.dir.write("inc.def", "x\ny");
    std::string def = c.dir.write("job.def", "a\n#Include = " + in_quotes(inc) + "\nb");
    c.run.scanner.definition_path = def;
    c.run.options.definition_name = "job.def";
    ASSERT_TRUE(scanner_start_pass(c.run, 1));
    struct Step {
        const char* text;
        int line;
        std::string file;
    };
    const Step steps[] = {{"a", 1, "job.def"}, {"x", 1, inc}, {"y", 2, inc}, {"b", 3, "job.def"}};
    for (const Step& s : steps) {
        EXPECT_EQ(next_token(c.run).text, s.text);
        EXPECT_EQ(c.run.current_line, s.line) << s.text;
        EXPECT_EQ(c.run.current_file, s.file) << s.text;
        EXPECT_EQ(c.run.scanner.source_index, 0) << s.text;
    }
    EXPECT_EQ(next_token(c.run).code, Tok::END);
    EXPECT_EQ(c.run.scanner.sources.size(), 1u);  // include files are not sources of their own
}

TEST(ScannerInclude, EnvironmentExpansionOfTheName) {
    const char* home = std::getenv("HOME");
    const struct {
        const char* name;
        std::string path;
    } cases[] = {
        {"%HOME%/x", std::string(home ? home : "") + "/x"},
        {"%MORVEL_SURELY_UNSET_VARIABLE%/lib.def", "/lib.def"},
        {"%%x", "%x"},
        {"%%", "%"},
        {"%x", "%x"},
        {"a%HOME%", "a%HOME%"},
        {"plain.def", "plain.def"},
    };
    for (const auto& k : cases) EXPECT_EQ(expand_include_name(k.name), k.path) << k.name;

    // Through the scanner: the file is found by the expanded name, messages use the written one.
    test::CapturedRun c;
    c.dir.write("inc.def", "x");
    setenv("MORVEL_SCANNER_TEST_DIR", c.dir.path().c_str(), 1);
    c.run.scanner.definition_path =
        c.dir.write("job.def", "#include \"%MORVEL_SCANNER_TEST_DIR%/inc.def\"");
    ASSERT_TRUE(scanner_start_pass(c.run, 1));
    EXPECT_EQ(next_token(c.run).text, "x");
    EXPECT_EQ(c.run.current_file, "%MORVEL_SCANNER_TEST_DIR%/inc.def");
    unsetenv("MORVEL_SCANNER_TEST_DIR");
}

TEST(ScannerInclude, Errors) {
    test::TempDir files;
    std::string inner = files.write("inner.def", "z");
    std::string nested = files.write("nested.def", "y\n#include " + in_quotes(inner));
    std::string missing = files.file("missing.def");
    const struct {
        std::string text;
        const char* log;
    } cases[] = {
        {"#include 12",
         "Format for #include is: #include \"filename\" at line 1 of job.def\n"
         "Problem with include file, check file name at line 1 of job.def\n"},
        {"#USES\n",
         "Format for #uses is: #uses \"filename\" at line 2 of job.def\n"
         "Problem with include file, check file name at line 2 of job.def\n"},
        {"#include = = \"x\"",
         "Format for #include is: #include \"filename\" at line 1 of job.def\n"
         "Problem with include file, check file name at line 1 of job.def\n"},
        {"#include " + in_quotes(missing),
         "Problem with include file, check file name at line 1 of job.def\n"},
        {"#include " + in_quotes(files.path().string()),  // a directory cannot be read
         "Problem with include file, check file name at line 1 of job.def\n"},
        {"\n#include " + in_quotes(nested),
         "Cant use include file, already in an include file at line 2 of nested.def\n"},
    };
    for (const auto& k : cases) {
        ScanJob job(k.text);
        std::string tokens = job.rest();
        EXPECT_TRUE(tokens.ends_with("<abort>")) << k.text;
        std::string log = job.c.log();
        // Messages name the include file as written; keep only its last part here.
        std::size_t dir = log.find(files.path().string() + "/");
        if (dir != std::string::npos) log.erase(dir, files.path().string().size() + 1);
        EXPECT_EQ(log, k.log) << k.text;
        EXPECT_EQ(job.c.run.scanner.fatal_exit, 0);
    }
}

TEST(ScannerInclude, EndOfFileWhereASwitchIsForbidden) {
    test::CapturedRun c;
    std::string inc = c.dir.write("inc.def", "x {\n");
    c.run.scanner.definition_path = c.dir.write("job.def", "#include " + in_quotes(inc) + " }");
    c.run.options.definition_name = "job.def";
    ASSERT_TRUE(scanner_start_pass(c.run, 1));
    EXPECT_EQ(next_token(c.run).text, "x");
    EXPECT_EQ(next_token(c.run).code, Tok::LBRACE);
    set_file_switch_forbidden(c.run);
    EXPECT_EQ(test::scan_rest(c.run), "<abort>");
    EXPECT_EQ(c.log(),
              "Cannot enter/exit uses/include file at this point at line 2 of " + inc + "\n");

    // The next pass starts over in the definition, with the flag cleared.
    ASSERT_TRUE(scanner_start_pass(c.run, 2));
    EXPECT_EQ(test::scan_rest(c.run), "146'x' 9 10 0");
    EXPECT_EQ(c.run.current_file, "job.def");
}

TEST(ScannerUses, ReadOnlyFileStartsAtLineTwo) {
    test::CapturedRun c;
    std::string lib = c.dir.write("lib.def", "#read_only\r\nVARIABLE v\n");
    std::string plain = c.dir.write("plain.def", "w");
    c.run.scanner.definition_path =
        c.dir.write("job.def", "#uses " + in_quotes(lib) + "\n#uses=" + in_quotes(plain) +
                                   " #uses " + in_quotes(lib));
    ASSERT_TRUE(scanner_start_pass(c.run, 1));
    EXPECT_EQ(next_token(c.run).code, Tok::VARIABLE);
    EXPECT_EQ(c.run.current_line, 2);
    EXPECT_EQ(c.run.current_file, lib);
    EXPECT_EQ(c.run.scanner.source_index, 1);
    EXPECT_EQ(next_token(c.run).text, "v");
    EXPECT_EQ(next_token(c.run).text, "w");
    EXPECT_EQ(c.run.scanner.source_index, 2);
    EXPECT_EQ(c.run.current_line, 1);
    EXPECT_EQ(next_token(c.run).code, Tok::VARIABLE);  // the first uses file again
    EXPECT_EQ(c.run.scanner.source_index, 1);
    EXPECT_EQ(test::scan_rest(c.run), "146'v' 0");
    EXPECT_EQ(c.run.scanner.source_index, 0);
    const std::vector<SourceFile>& list = c.run.scanner.sources;
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].name, c.run.scanner.definition_path);
    EXPECT_FALSE(list[0].read_only);
    EXPECT_EQ(list[1].name, lib);
    EXPECT_TRUE(list[1].read_only);
    EXPECT_EQ(list[2].name, plain);
    EXPECT_FALSE(list[2].read_only);
}

TEST(ScannerUses, UnknownPreferenceLine) {
    test::CapturedRun c;
    std::string lib = c.dir.write("lib.def", "#READ_ONLY please\nx");
    c.run.scanner.definition_path = c.dir.write("job.def", "#uses " + in_quotes(lib));
    ASSERT_TRUE(scanner_start_pass(c.run, 1));
    EXPECT_EQ(test::scan_rest(c.run), "<abort>");
    EXPECT_EQ(c.log(), "Unknown # preference in uses file at line 1 of " + lib + "\n");
}

TEST(ScannerUses, CsvPreferences) {
    const struct {
        const char* line;
        char delimiter;
        int trim;
    } cases[] = {
        {R"(#uses "*CSV_DEFAULT_DELIMITER=;")", ';', 0},
        {R"(#uses "*csv_default_delimiter=\9")", '\t', 0},   // the string escape gives a tab
        {R"(#uses "*CSV_DEFAULT_DELIMITER=\\9")", '\t', 0},  // the preference's own form
        {R"(#uses "*CSV_DEFAULT_DELIMITER=\\11")", '\x11', 0},
        {R"(#uses = "* CSV_AUTO_TRIM =1")", ',', 1},
        {R"(#uses "*CSV_AUTO_TRIM=12abc")", ',', 12},
    };
    for (const auto& k : cases) {
        ScanJob job(std::string(k.line) + " x");
        EXPECT_EQ(job.rest(), "146'x' 0") << k.line;
        EXPECT_EQ(job.c.run.csv.delimiter, k.delimiter) << k.line;
        EXPECT_EQ(job.c.run.csv.auto_trim, k.trim) << k.line;
        EXPECT_EQ(job.c.run.current_file, "job.def") << k.line;
        EXPECT_EQ(job.c.run.scanner.sources.size(), 1u) << k.line;
    }
    for (const char* bad : {R"(#uses "*CSV_DEFAULT_DELIMITER")", R"(#uses "*CSV_QUOTE=1")",
                            R"(#uses "*=1")", R"(#uses "*CSV_AUTO_TRIM=")"}) {
        ScanJob job(bad);
        EXPECT_EQ(job.rest(), "<abort>") << bad;
        EXPECT_EQ(job.c.log(), "Problem with include file, check file name at line 1 of job.def\n")
            << bad;
    }
}

}  // namespace
}  // namespace morvel
