#include "core/shell_quote.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace morvel {
namespace {

// The arguments /bin/sh makes of a command-line tail, each followed by "|".
std::string shell_arguments(const std::string& tail) {
    std::string command = "printf '%s|' " + tail;
    std::FILE* p = popen(command.c_str(), "r");
    if (!p) return "<popen failed>";
    std::string out;
    int c;
    while ((c = std::fgetc(p)) != EOF) out += static_cast<char>(c);
    pclose(p);
    return out;
}

// Every character the shell would read as syntax reaches the command literally.
TEST(ShellQuote, ShellSeesEveryCharacterLiterally) {
    const char* values[] = {
        "1$(id>P)", "a`id`b",     "a;b",         "a|b",   "a&b",         "a<b",   "a>b",   "(a)",
        "it's",     "say \"hi\"", "back\\slash", "*?[a]", "line\nbreak", "$HOME", "~root", "a\\",
        "\\\"",     "#x",         "!x",          "",
    };
    for (const std::string value : values) {
        EXPECT_EQ(shell_arguments(shell_quoted(value)), value + "|") << value;
        if (value.find(' ') == std::string::npos && !value.empty()) {
            EXPECT_EQ(shell_arguments(shell_words(value)), value + "|") << value;
        }
    }
}

// Unquoted values still split at blanks and tabs; plain words stay bare, so command
// lines without shell characters read as they always did.
TEST(ShellQuote, WordsSplitAtBlanksAndStayBareWhenPlain) {
    const struct {
        const char* value;
        const char* line;
        const char* arguments;
    } cases[] = {
        {"-P office -n 2", "-P office -n 2", "-P|office|-n|2|"},
        {"out/invoice_10231.pcl", "out/invoice_10231.pcl", "out/invoice_10231.pcl|"},
        {" a\t b ", " a b ", "a|b|"},
        {"x;y z$(id)", "\"x;y\" \"z\\$(id)\"", "x;y|z$(id)|"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shell_words(c.value), c.line) << c.value;
        EXPECT_EQ(shell_arguments(shell_words(c.value)), c.arguments) << c.value;
    }
    EXPECT_EQ(shell_quoted("a b"), "\"a b\"");
}

}  // namespace
}  // namespace morvel
