#include "cups/filter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace morvel {
namespace {

using test::read_file;
using test::TempDir;

// The text pages are twelve columns wide.
const std::string kA = "A alpha     \nA beta      \n";
const std::string kB = "B alpha     \nB beta      \n";

// Two output programs over a three-line page; both name a command that would leave a
// marker file if anything were invoked.
std::string two_outputs(const std::string& marker) {
    return R"([EXTRACT]
default_extract=
{
    LINES_PER_PAGE = 3
    FIELD=1,1,20,customer
}
[OUTPUT]
OUTPUT=out_a
INVOCATION="touch" PARAMETERS={ QUOTED ")" +
           marker + R"(" }
MASK=
{
    page_a
}
OUTPUT=out_b
INVOCATION="touch" PARAMETERS={ QUOTED ")" +
           marker + R"(" }
MASK=
{
    page_b
}

[REFORMAT]
REFORMAT=page_a, text
{
    SETTINGS=
    {
        PAGE_WIDTH=12
        PAGE_HEIGHT=1
    }
    MESSAGE=0,0,,,"A " + customer
}
REFORMAT=page_b, text
{
    SETTINGS=
    {
        PAGE_WIDTH=12
        PAGE_HEIGHT=1
    }
    MESSAGE=0,0,,,"B " + customer
}
)";
}

// One filter run with the printer data and the error stream captured.
struct FilterRun {
    int status = -1;
    std::string printer;
    std::string err;
};

class FilterTest : public ::testing::Test {
  protected:
    TempDir dir;
    std::string marker = dir.file("invoked");
    std::string definition = dir.write("job.def", two_outputs(marker));
    std::string spool = dir.write("job.prn", "alpha\n\n\nbeta\n\n\n");

    FilterRun run(const std::string& options, int copies = 1, const std::string& file = "",
                  const std::string& ppd = "") {
        FilterArguments args;
        args.job_id = "7";
        args.user = "clerk";
        args.title = "invoices";
        args.copies = copies;
        args.options = options;
        args.file = file.empty() ? spool : file;
        std::string printer_name = dir.file("printer.out");
        int fd = ::open(printer_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        char* err_buf = nullptr;
        std::size_t err_len = 0;
        std::FILE* err = open_memstream(&err_buf, &err_len);
        FilterStreams streams;
        streams.printer_fd = fd;
        streams.err = err;
        streams.ppd_path = ppd;
        streams.temp_dir = dir.path().string();
        FilterRun r;
        r.status = run_filter(args, streams);
        ::close(fd);
        std::fclose(err);
        r.err.assign(err_buf, err_len);
        std::free(err_buf);
        r.printer = read_file(printer_name);
        return r;
    }

    // Nothing but the printer file and the job's own files is left in the folder.
    void expect_no_scratch_left() {
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            EXPECT_EQ(entry.path().filename().string().rfind("morvel-cups-", 0), std::string::npos)
                << entry.path();
    }
};

TEST_F(FilterTest, WritesTheChosenOutputProgramsFileAndInvokesNothing) {
    struct Case {
        std::string options;
        int copies;
        std::string printer;
    } cases[] = {
        {"morvel-definition=" + definition, 1, kA},
        {"morvel-definition='" + definition + "' morvel-output=out_b", 1, kB},
        {"morvel-output=OUT_B morvel-definition=" + definition, 2, kB + kB},
    };
    for (const Case& c : cases) {
        FilterRun r = run(c.options, c.copies);
        EXPECT_EQ(r.status, 0) << c.options << "\n" << r.err;
        EXPECT_EQ(r.printer, c.printer) << c.options;
        EXPECT_NE(r.err.find("INFO: Morvel finished successfully\n"), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("ERROR: "), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(marker));
    expect_no_scratch_left();
}

TEST_F(FilterTest, ReadsTheSpoolFromStandardInputWithoutAFile) {
    TempDir other;
    FilterArguments args;
    args.options = "morvel-definition=" + definition;
    std::string spool_bytes = "gamma\n\n\n";
    std::FILE* in = fmemopen(spool_bytes.data(), spool_bytes.size(), "r");
    std::string printer_name = other.file("printer.out");
    int fd = ::open(printer_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::FILE* err = std::tmpfile();
    FilterStreams streams;
    streams.printer_fd = fd;
    streams.err = err;
    streams.in = in;
    streams.temp_dir = other.path().string();
    EXPECT_EQ(run_filter(args, streams), 0);
    ::close(fd);
    std::fclose(err);
    std::fclose(in);
    EXPECT_EQ(read_file(printer_name), "A gamma     \n");
}

TEST_F(FilterTest, AFailedJobPrintsNothingAndSaysWhyWithPrefixes) {
    std::string bad = dir.write("bad.def", "[INPUT]\n{\n    REPEAT nowhere\n}\n");
    struct Case {
        std::string options;
        std::string message;
    } cases[] = {
        {"", "ERROR: No definition: set the queue or job option morvel-definition\n"},
        {"morvel-definition=" + bad, "ERROR: The job failed (exit code 1); nothing was printed\n"},
        {"morvel-definition=" + dir.file("missing.def"), "ERROR: The job failed"},
        {"morvel-definition=" + definition + " morvel-output=out_c",
         "ERROR: The definition has no output program out_c\n"},
    };
    for (const Case& c : cases) {
        FilterRun r = run(c.options);
        EXPECT_EQ(r.status, 1) << c.options;
        EXPECT_EQ(r.printer, "") << c.options;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.options << "\n" << r.err;
        // Every line the print server reads carries a prefix.
        std::size_t start = 0;
        while (start < r.err.size()) {
            std::string line = r.err.substr(start, r.err.find('\n', start) - start);
            EXPECT_TRUE(line.rfind("ERROR: ", 0) == 0 || line.rfind("WARNING: ", 0) == 0 ||
                        line.rfind("INFO: ", 0) == 0)
                << line;
            start += line.size() + 1;
        }
    }
    FilterRun r = run("morvel-definition=" + bad);
    EXPECT_NE(r.err.find("ERROR: "), r.err.rfind("ERROR: "))
        << "the compile error is forwarded too";
    expect_no_scratch_left();
}

TEST_F(FilterTest, TakesTheDefinitionFromThePpdWhenNoOptionNamesOne) {
    std::string ppd =
        dir.write("queue.ppd", "*PPD-Adobe: \"4.3\"\n*MorvelDefinition: \"" + definition + "\"\n");
    FilterRun r = run("", 1, "", ppd);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.printer, kA);
    // A job option wins over the PPD.
    std::string empty_ppd = dir.write("empty.ppd", "*MorvelDefinition: \"/nowhere.def\"\n");
    EXPECT_EQ(run("morvel-definition=" + definition, 1, "", empty_ppd).status, 0);
}

TEST(FilterArguments, AcceptsThePrintServersCommandLineOnly) {
    struct Case {
        std::vector<std::string> argv;
        bool valid;
        int copies;
        std::string file;
    } cases[] = {
        {{"f", "1", "u", "t", "1", "a=b"}, true, 1, ""},
        {{"f", "1", "u", "t", "3", "", "/spool/d00001-001"}, true, 3, "/spool/d00001-001"},
        {{"f", "1", "u", "t", "9999", ""}, true, 9999, ""},
        {{"f"}, false, 0, ""},
        {{"f", "1", "u", "t", "1"}, false, 0, ""},
        {{"f", "1", "u", "t", "1", "", "file", "extra"}, false, 0, ""},
        {{"f", "1", "u", "t", "0", ""}, false, 0, ""},
        {{"f", "1", "u", "t", "10000", ""}, false, 0, ""},
        {{"f", "1", "u", "t", "2x", ""}, false, 0, ""},
        {{"f", "1", "u", "t", "", ""}, false, 0, ""},
    };
    for (Case& c : cases) {
        std::vector<char*> argv;
        for (std::string& word : c.argv) argv.push_back(word.data());
        auto args = read_filter_arguments(static_cast<int>(argv.size()), argv.data());
        ASSERT_EQ(args.has_value(), c.valid) << c.argv.size();
        if (!args) continue;
        EXPECT_EQ(args->copies, c.copies);
        EXPECT_EQ(args->file, c.file);
        EXPECT_EQ(args->options, c.argv[5]);
    }
}

TEST(FilterPpd, ReadsTheDefaultDefinition) {
    TempDir dir;
    struct Case {
        const char* text;
        std::optional<std::string> expected;
    } cases[] = {
        {"*PPD-Adobe: \"4.3\"\n*MorvelDefinition: \"/etc/morvel/a.def\"\n", "/etc/morvel/a.def"},
        {"*MorvelDefinition: \"\"\n", std::nullopt},
        {"*MorvelDefinition: \"unterminated\n", std::nullopt},
        {"*% *MorvelDefinition: \"/commented.def\"\n", std::nullopt},
        {"*NickName: \"x\"\n", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(definition_from_ppd(dir.write("q.ppd", c.text)), c.expected) << c.text;
    EXPECT_EQ(definition_from_ppd(dir.file("missing.ppd")), std::nullopt);
    EXPECT_EQ(definition_from_ppd(""), std::nullopt);
}

}  // namespace
}  // namespace morvel
