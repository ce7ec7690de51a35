#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>

#include "test_support.h"
#include "values/functions_internal.h"

namespace morvel {
namespace {

TEST(FunctionsFile, ReadFile) {
    test::CapturedRun c;
    std::string crlf = c.dir.write("crlf.txt", "a\r\nb\r\n");
    EXPECT_EQ(fn_read_file(c.run, crlf, 0), "a\nb\n");
    EXPECT_EQ(fn_read_file(c.run, crlf, 1), "a\r\nb\r\n");
    EXPECT_EQ(fn_read_file(c.run, crlf, -1), "a\nb\n");
    std::string zero = c.dir.write("zero.bin", std::string("ab\0cd", 5));
    EXPECT_EQ(fn_read_file(c.run, zero, 1), "ab");
    // Larger than one read, with the zero byte far in.
    std::string big(200000, 'x');
    big[150000] = '\0';
    EXPECT_EQ(fn_read_file(c.run, c.dir.write("big", big), 0), std::string(150000, 'x'));
    EXPECT_EQ(fn_read_file(c.run, c.dir.write("empty", ""), 0), "");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    c.run.current_file = "t.def";
    EXPECT_EQ(fn_read_file(c.run, c.dir.file("missing"), 0), std::nullopt);
    EXPECT_EQ(fn_read_file(c.run, c.dir.path().string(), 0), std::nullopt);
    EXPECT_EQ(c.log(), "Unable to open file " + c.dir.file("missing") + " at line 0 of t.def\n" +
                           "Error reading file " + c.dir.path().string() + " at line 0 of t.def\n");
}

TEST(FunctionsFile, CreateFile) {
    test::CapturedRun c;
    std::string name = c.dir.file("new.txt");
    EXPECT_EQ(fn_create_file(c.run, name, std::string("x\ny")), name);
    EXPECT_EQ(test::read_file(name), "x\ny");
    EXPECT_EQ(fn_create_file(c.run, name, std::nullopt), name);
    EXPECT_EQ(test::read_file(name), "");
    // An empty name makes a new temporary file.
    c.run.options.temp_dir = c.dir.path().string();
    c.run.options.has_temp_dir = true;
    Text temp = fn_create_file(c.run, "", std::string("t"));
    ASSERT_TRUE(temp);
    EXPECT_EQ(std::filesystem::path(*temp).parent_path(), c.dir.path());
    EXPECT_EQ(std::filesystem::path(*temp).filename().string().substr(0, 3), "mrv");
    EXPECT_EQ(test::read_file(*temp), "t");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_create_file(c.run, c.dir.file("no/such/dir"), std::string("t")), std::nullopt);
    EXPECT_EQ(c.log(), "Unable to create file " + c.dir.file("no/such/dir") + " at line 0 of \n");
}

TEST(FunctionsFile, WritesToAFullDeviceFail) {
    if (access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no /dev/full";
    test::CapturedRun c;
    EXPECT_EQ(fn_create_file(c.run, "/dev/full", std::string("short")), std::nullopt);
    EXPECT_EQ(fn_create_file(c.run, "/dev/full", std::string(128, 'a')), std::nullopt);
    EXPECT_EQ(fn_create_file(c.run, "/dev/full", std::string(129, 'b')), std::nullopt);
    EXPECT_EQ(c.log(),
              "Error writing string >short< to file >/dev/full< at line 0 of \n"
              "Error writing string >" +
                  std::string(128, 'a') +
                  "< to file >/dev/full< at line 0 of \n"
                  "Error writing string starting >" +
                  std::string(128, 'b') + "< to file >/dev/full< at line 0 of \n");
    EXPECT_EQ(fn_append_file(c.run, "/dev/full", "y", 0), std::nullopt);
    EXPECT_NE(c.log().find("Error appending to file >/dev/full< at line 0 of \n"),
              std::string::npos);
}

TEST(FunctionsFile, AppendFileFlags) {
    test::CapturedRun c;
    struct Case {
        std::string text;
        long flags;
        std::string want;
    };
    const Case cases[] = {
        {"a", 0, "a\r\n"},
        {"a", 1, "a\n"},
        {"a", 2, "a"},
        {"a", 3, "a"},
        {"a", 7, "a\r\n"},
        {"a", -1, "a\r\n"},
        {"a\nb", 0, "a\r\nb\r\n"},
        {"a\r\nb", 0, "a\r\nb\r\n"},
        {"a\n\nb", 0, "a\r\n\r\nb\r\n"},
        {"a\n\nb", 1, "a\n\nb\n"},
        {"a\nb", 2, "a\r\nb"},
        // A text that ends with a line feed gets no further, empty line.
        {"a\n", 0, "a\r\n"},
        {"a\n", 1, "a\n"},
        {"a\n", 2, "a\r\n"},
        {"", 0, "\r\n"},
        {"", 2, ""},
    };
    int i = 0;
    for (const Case& k : cases) {
        std::string name = c.dir.file("out" + std::to_string(i++));
        EXPECT_EQ(fn_append_file(c.run, name, k.text, k.flags), name);
        EXPECT_EQ(test::read_file(name), k.want) << k.text << " " << k.flags;
    }
    std::string name = c.dir.write("log.txt", "x\r\n");
    fn_append_file(c.run, name, "y", 0);
    EXPECT_EQ(test::read_file(name), "x\r\ny\r\n");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_append_file(c.run, "", "y", 0), std::nullopt);
    EXPECT_EQ(fn_append_file(c.run, c.dir.file("no/dir"), "y", 0), std::nullopt);
    EXPECT_EQ(c.log(),
              "Empty file name passed to APPEND_FILE at line 0 of \n"
              "Unable to open file " +
                  c.dir.file("no/dir") + " for appending at line 0 of \n");
}

TEST(FunctionsFile, TempnamCreatesTheFile) {
    test::CapturedRun c;
    c.run.options.temp_dir = c.dir.path().string();
    c.run.options.has_temp_dir = true;
    Text a = fn_tempnam(c.run, "inv");
    Text b = fn_tempnam(c.run, "inv");
    ASSERT_TRUE(a && b);
    EXPECT_NE(*a, *b);
    EXPECT_TRUE(std::filesystem::exists(*a));
    EXPECT_EQ(std::filesystem::path(*a).parent_path(), c.dir.path());
    EXPECT_EQ(std::filesystem::path(*a).filename().string().substr(0, 3), "inv");
    c.run.options.temp_dir = c.dir.file("missing");
    EXPECT_EQ(fn_tempnam(c.run, "inv"), std::nullopt);
    EXPECT_EQ(c.log(), "");
}

TEST(FunctionsFile, Getenv) {
    setenv("MORVEL_TEST_VAR", "value", 1);
    EXPECT_EQ(fn_getenv("MORVEL_TEST_VAR", std::string("d")), "value");
    unsetenv("MORVEL_TEST_VAR");
    EXPECT_EQ(fn_getenv("MORVEL_TEST_VAR", std::string("d")), "d");
    EXPECT_EQ(fn_getenv("MORVEL_TEST_VAR", std::nullopt), "");
}

TEST(FunctionsFile, GetSetting) {
    test::CapturedRun c;
    const std::string ini =
        "top=1\n[Main]\nWidth = \"80\"\n\tName\t=  a b  \nEmpty=\"\"\nQuote=\"\n"
        "[Other]\nwidth=90\n[Main]\nLate=yes\n[Crlf]\r\nkey : v \r\n";
    struct Case {
        const char* section;
        const char* key;
        const char* sep;
        const char* want;
    };
    const Case cases[] = {
        {"main", "width", "", "80"},
        {"MAIN", "name", "=", "a b"},
        {"Main", "empty", "", ""},
        {"Main", "quote", "", "\""},
        {"Other", "WIDTH", "", "90"},
        {"Main", "top", "", ""},
        // Only the first section of a name is searched.
        {"Main", "late", "", ""},
        {"Crlf", "key", ":x", "v"},
        {"Nowhere", "width", "", ""},
    };
    for (const Case& k : cases)
        EXPECT_EQ(fn_get_setting(c.run, ini, k.section, k.key, k.sep), k.want)
            << k.section << k.key;
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_get_setting(c.run, ini, "", "width", ""), std::nullopt);
    EXPECT_EQ(fn_get_setting(c.run, ini, "Main", "", ""), std::nullopt);
    EXPECT_EQ(c.log(),
              "Empty section in GET_SETTING at line 0 of \n"
              "Empty param in GET_SETTING at line 0 of \n");
}

TEST(FunctionsFile, Parameter) {
    test::CapturedRun c;
    c.run.reformat.parameters[0] = std::string("result");
    c.run.reformat.parameters[9] = std::string("nine");
    EXPECT_EQ(fn_parameter(c.run, "0"), "result");
    EXPECT_EQ(fn_parameter(c.run, "9"), "nine");
    EXPECT_EQ(fn_parameter(c.run, "3"), "");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_parameter(c.run, "10"), std::nullopt);
    EXPECT_EQ(fn_parameter(c.run, "-1"), std::nullopt);
    EXPECT_EQ(fn_parameter(c.run, "one"), std::nullopt);
    EXPECT_EQ(c.log(),
              "eval_r_parameter(10) not a valid value, must be 0-9 at line 0 of \n"
              "eval_r_parameter(-1) not a valid value, must be 0-9 at line 0 of \n"
              "parameter position is not a number in PARAMETER() at line 0 of \n");
}

}  // namespace
}  // namespace morvel
