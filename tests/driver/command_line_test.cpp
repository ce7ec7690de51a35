#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/banner.h"
#include "driver/generator.h"
#include "driver/settings.h"
#include "test_support.h"

namespace morvel {
namespace {

struct Scanned {
    OptionScan scan;
    std::vector<Override> overrides;
};

Scanned scan_words(test::CapturedRun& c, std::vector<std::string> words) {
    words.insert(words.begin(), "morvel");
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    Scanned s;
    s.scan = read_options(c.run, static_cast<int>(argv.size()), argv.data(), s.overrides);
    return s;
}

TEST(CommandLine, JoinedFlagsAndArguments) {
    test::CapturedRun c;
    Scanned s = scan_words(c, {"-sn", "-lrun.log", "-z", "48", "-vName=abc", "-o", "all=cat", "-d",
                               "ret", "def", "spool", "extra"});
    ASSERT_EQ(s.scan.outcome, OptionScan::Outcome::Run);
    EXPECT_EQ(s.scan.first_file, 10);
    EXPECT_TRUE(c.run.options.silent);
    EXPECT_TRUE(c.run.options.debug_disabled);
    EXPECT_EQ(c.run.options.log_file_name, "run.log");
    EXPECT_EQ(c.run.trace_flags, 48);
    EXPECT_EQ(c.run.options.return_code_file, "ret");
    ASSERT_EQ(s.overrides.size(), 2u);
    EXPECT_EQ(s.overrides[0].option, 'v');
    EXPECT_EQ(s.overrides[0].word, "Name=abc");
    EXPECT_EQ(s.overrides[1].word, "all=cat");
}

TEST(CommandLine, WordsThatEndTheOptions) {
    struct Case {
        std::vector<std::string> words;
        int first_file;
    };
    const Case cases[] = {
        {{"--", "-s", "x"}, 2},  // "--" is skipped, what follows is a file
        {{"-", "x"}, 1},         // "-" alone is the spool on standard input
        {{"- s", "x"}, 1},       // white space right after the switch
        {{"def", "-s"}, 1},      // the first plain word
        {{"-r", "-m", "a", "b"}, 3},
    };
    for (const Case& k : cases) {
        test::CapturedRun c;
        Scanned s = scan_words(c, k.words);
        EXPECT_EQ(s.scan.outcome, OptionScan::Outcome::Run);
        EXPECT_EQ(s.scan.first_file, k.first_file) << k.words[0];
        EXPECT_FALSE(c.run.options.silent);
    }
}

// An unknown switch and a separate missing argument are job cases; this is the
// switch that wants an argument at the end of a joined group.
TEST(CommandLine, MissingArgumentAfterJoinedFlagsPrintsUsageAndExits100) {
    test::CapturedRun c;
    Scanned s = scan_words(c, {"-sl"});
    EXPECT_EQ(s.scan.outcome, OptionScan::Outcome::Exit);
    EXPECT_EQ(s.scan.exit_code, 100);
    std::string console = c.console();  // standard error shares the capture here
    EXPECT_TRUE(
        console.starts_with("get command line option: Invalid argument\n"
                            "morvel: option -l needs an argument\n"
                            "morvel Version 5.0(2020.1), Build 000.000\n"))
        << console;
}

TEST(CommandLine, HelpEndsTheRunWithZero) {
    test::CapturedRun c;
    Scanned s = scan_words(c, {"-s", "-h", "-x"});
    EXPECT_EQ(s.scan.outcome, OptionScan::Outcome::Exit);
    EXPECT_EQ(s.scan.exit_code, 0);
    EXPECT_NE(c.console().find("\t[-h] : help, shows this message\n"), std::string::npos);
}

TEST(CommandLine, LogNamedAfterDefinition) {
    EXPECT_EQ(log_name_from_definition("jobs/invoice.def"), "jobs/invoice.log");
    EXPECT_EQ(log_name_from_definition("abc.d"), "abc.d.log");
    EXPECT_EQ(log_name_from_definition("a.bc"), "a.bc.log");
    EXPECT_EQ(log_name_from_definition(".def"), ".def.log");
    EXPECT_EQ(log_name_from_definition("x.def"), "x.log");
}

TEST(Banner, NamesAreCentredInTheFrame) {
    EXPECT_EQ(banner_line("jobs/invoice.def"),
              "*" + std::string(23, ' ') + "jobs/invoice.def" + std::string(24, ' ') + "*");
    EXPECT_EQ(banner_line(std::string(62, 'a')), "* " + std::string(62, 'a') + " *");
    EXPECT_EQ(banner_line(std::string(63, 'a')), std::string(63, 'a'));
    EXPECT_EQ(banner_line("").size(), 65u);
    setenv("TZ", "UTC", 1);
    tzset();
    EXPECT_EQ(banner_time(0), "Thu Jan  1 00:00:00 1970");
    EXPECT_EQ(banner_time(1796068452), "Mon Nov 30 19:54:12 2026");
    EXPECT_EQ(banner_time(1796500000), "Sat Dec  5 19:46:40 2026");
}

TEST(Settings, WidthsAndAutoForms) {
    test::CapturedRun c;
    std::string path = c.dir.write("morvel.ini",
                                   "printer_width=50\n"
                                   "PRINTER_HEIGHT=3000\r\n"
                                   "printer_width = 2400\n"
                                   "no equals sign\n"
                                   "auto_form=invoice.def,1,1,INVOICE\n"
                                   "auto_form=bad.def,0,1,INVOICE\n"
                                   "auto_form=short.def,1\n");
    read_settings_file(c.run, path);
    EXPECT_EQ(c.run.settings.printable_width, 2360);
    EXPECT_EQ(c.run.settings.printable_height, 3000);
    ASSERT_EQ(c.run.settings.auto_forms.size(), 1u);
    EXPECT_EQ(c.run.settings.auto_forms[0].definition, "invoice.def");
    EXPECT_EQ(c.run.settings.auto_forms[0].text, "INVOICE");
    EXPECT_EQ(c.log(), "Invalid values in auto form\nInvalid values in auto form\n");

    test::CapturedRun missing;
    read_settings_file(missing.run, missing.dir.file("none.ini"));
    EXPECT_EQ(missing.run.settings.printable_width, 2360);
    EXPECT_EQ(missing.run.MEMORY_ERROR, 0);
}

TEST(Settings, StrictDeliveryKeyOnlySwitchesOn) {
    struct Case {
        const char* ini;
        bool from_command_line;
        bool strict;
    } cases[] = {
        {"strict_delivery=1\n", false, true},    {"STRICT_DELIVERY=yes\r\n", false, true},
        {"strict_delivery=true\n", false, true}, {"strict_delivery=0\n", false, false},
        {"strict_delivery=\n", false, false},    {"strict_delivery=no\n", true, true},
        {"printer_width=2400\n", false, false},
    };
    for (const Case& k : cases) {
        test::CapturedRun c;
        c.run.options.strict_delivery = k.from_command_line;
        read_settings_file(c.run, c.dir.write("morvel.ini", k.ini));
        EXPECT_EQ(c.run.options.strict_delivery, k.strict) << k.ini;
        EXPECT_EQ(c.log(), "") << k.ini;
    }
}

TEST(CommandLine, UnknownOrIncompleteOptionIsNamed) {
    struct Case {
        std::vector<std::string> words;
        const char* named;
    } cases[] = {
        {{"-x"}, "morvel: unknown option -x\n"},
        {{"-sx"}, "morvel: unknown option -x\n"},
        {{"--frobnicate"}, "morvel: unknown option --frobnicate\n"},
        {{"-sl"}, "morvel: option -l needs an argument\n"},
    };
    for (const Case& k : cases) {
        test::CapturedRun c;
        Scanned s = scan_words(c, k.words);
        EXPECT_EQ(s.scan.exit_code, 100);
        EXPECT_TRUE(c.console().starts_with(std::string("get command line option: Invalid "
                                                        "argument\n") +
                                            k.named))
            << c.console();
    }
}

TEST(CommandLine, StrictDeliveryIsALongOption) {
    test::CapturedRun c;
    Scanned s = scan_words(c, {"--strict-delivery", "-s", "job.def"});
    EXPECT_EQ(s.scan.outcome, OptionScan::Outcome::Run);
    EXPECT_TRUE(c.run.options.strict_delivery);
    EXPECT_TRUE(c.run.options.silent);
}

TEST(Generator, AsksUntilTheAnswerIsKnown) {
    test::CapturedRun c;
    c.set_input("sideways\nLANDSCAPE\n");
    std::string path = c.dir.file("start.def");
    EXPECT_EQ(write_default_definition(c.run, path), 0);
    EXPECT_TRUE(c.console().starts_with(
        "Orientation (return for portrait):Orientation (return for portrait):\nWrote "))
        << c.console();
    std::string text = test::read_file(path);
    EXPECT_NE(text.find("\tLINES_PER_PAGE = 48\n\tREPEAT FIELD=1,1,132,full_line\n"),
              std::string::npos);
    EXPECT_NE(text.find("\t\tORIENTATION=LANDSCAPE\n"), std::string::npos);
    EXPECT_EQ(text.rfind("[INPUT]\n{\n\tREPEAT my_extract\n}\n\n[EXTRACT]\n", 0), 0u);

    test::CapturedRun p;
    p.set_input("\n");
    EXPECT_EQ(write_default_definition(p.run, path), 0);
    EXPECT_NE(test::read_file(path).find("\t\tORIENTATION=PORTRAIT\n"), std::string::npos);

    // Input that is no terminal and ends before an answer: portrait, as with no input.
    test::CapturedRun eof;
    eof.set_input("sideways\n");
    EXPECT_EQ(write_default_definition(eof.run, path), 0);
    EXPECT_NE(test::read_file(path).find("\t\tORIENTATION=PORTRAIT\n"), std::string::npos);

    test::CapturedRun bad;
    EXPECT_EQ(write_default_definition(bad.run, bad.dir.file("no/dir/x.def")), 1);
    EXPECT_EQ(bad.log(), "Unable to open default definition file " + bad.dir.file("no/dir/x.def") +
                             "\nNo such file or directory\n");
}

}  // namespace
}  // namespace morvel
