#include "cups/filter.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

// The user the filter runs as in these tests: not the owner of the test's files, who
// stands for the administrator.
constexpr uid_t kFilterUser = 65534;

// Trusts the test's own user as the administrator, and runs as someone else.
WriteTrust test_trust() {
    WriteTrust trust;
    trust.self_uid = kFilterUser;
    trust.self_groups = {kFilterUser};
    trust.trusted_owner = ::getuid();
    trust.trusted_groups = {0, ::getgid()};
    return trust;
}

// A definition that runs a command as soon as it composes a page.
std::string runs_a_command(const std::string& command) {
    std::string text = two_outputs("/nonexistent/never");
    std::string mask = "    page_a\n";
    text.insert(text.find(mask) + mask.size(), "    CALL EXECUTE(\"" + command + "\")\n");
    return text;
}

class FilterTest : public ::testing::Test {
  protected:
    TempDir dir;
    TempDir defs;  // the queue's definition folder
    std::string marker = dir.file("invoked");
    std::string definition = defs.write("job.def", two_outputs(marker));
    std::string spool = dir.write("job.prn", "alpha\n\n\nbeta\n\n\n");
    WriteTrust trust = test_trust();

    FilterArguments arguments(const std::string& options, int copies, const std::string& file) {
        FilterArguments args;
        args.job_id = "7";
        args.user = "clerk";
        args.title = "invoices";
        args.copies = copies;
        args.options = options;
        args.file = file.empty() ? spool : file;
        return args;
    }

    FilterStreams streams_for(const std::string& ppd) {
        FilterStreams streams;
        streams.ppd_path = ppd;
        streams.temp_dir = dir.path().string();
        streams.definition_folder = defs.path().string();
        streams.trust = trust;
        return streams;
    }

    FilterRun run(const std::string& options, int copies = 1, const std::string& file = "",
                  const std::string& ppd = "") {
        FilterArguments args = arguments(options, copies, file);
        std::string printer_name = dir.file("printer.out");
        int fd = ::open(printer_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        // A real file: the job runs in a process of its own.
        std::string err_name = dir.file("filter.err");
        std::FILE* err = std::fopen(err_name.c_str(), "wb");
        FilterStreams streams = streams_for(ppd);
        streams.printer_fd = fd;
        streams.err = err;
        FilterRun r;
        r.status = run_filter(args, streams);
        ::close(fd);
        std::fclose(err);
        r.err = read_file(err_name);
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
        {"morvel-definition=job.def", 1, kA},
        {"morvel-definition='job.def' morvel-output=out_b", 1, kB},
        {"morvel-output=OUT_B morvel-definition=job.def", 2, kB + kB},
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
    args.options = "morvel-definition=job.def";
    std::string spool_bytes = "gamma\n\n\n";
    std::FILE* in = fmemopen(spool_bytes.data(), spool_bytes.size(), "r");
    std::string printer_name = other.file("printer.out");
    int fd = ::open(printer_name.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    std::FILE* err = std::tmpfile();
    FilterStreams streams = streams_for("");
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
    defs.write("bad.def", "[INPUT]\n{\n    REPEAT nowhere\n}\n");
    struct Case {
        std::string options;
        std::string message;
    } cases[] = {
        {"", "ERROR: No definition: set the queue or job option morvel-definition\n"},
        {"morvel-definition=bad.def", "ERROR: The job failed (exit code 1); nothing was printed\n"},
        {"morvel-definition=missing.def", "ERROR: Refusing the definition " +
                                              defs.file("missing.def") +
                                              ": No such file or directory\n"},
        {"morvel-definition=job.def morvel-output=out_c",
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
    FilterRun r = run("morvel-definition=bad.def");
    EXPECT_NE(r.err.find("ERROR: "), r.err.rfind("ERROR: "))
        << "the compile error is forwarded too";
    expect_no_scratch_left();
}

TEST_F(FilterTest, TakesTheDefinitionFromThePpdWhenNoOptionNamesOne) {
    std::string ppd =
        dir.write("queue.ppd", "*PPD-Adobe: \"4.3\"\n*MorvelDefinition: \"job.def\"\n");
    FilterRun r = run("", 1, "", ppd);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.printer, kA);
    // A job option wins over the PPD.
    std::string empty_ppd = dir.write("empty.ppd", "*MorvelDefinition: \"nowhere.def\"\n");
    EXPECT_EQ(run("morvel-definition=job.def", 1, "", empty_ppd).status, 0);
}

TEST_F(FilterTest, RunsOnlyADefinitionOfTheFolderNamedByItsFileName) {
    TempDir elsewhere;
    std::string evil = elsewhere.write("evil.def", runs_a_command("touch " + marker));
    defs.write("evil-inside.def", runs_a_command("touch " + marker));
    std::string victim = dir.write("victim", "kept");
    std::filesystem::create_directory(defs.path() / "sub");
    defs.write("sub/job.def", two_outputs(marker));
    const std::string plain = ": a job names a definition by its file name in " +
                              defs.path().string() + ", without a folder\n";
    struct Case {
        std::string value;
        std::string message;
    } cases[] = {
        {evil, "ERROR: Refusing the definition " + evil + plain},
        {"../" + elsewhere.path().filename().string() + "/evil.def", plain},
        {"sub/job.def", plain},
        {defs.file("job.def"), plain},
        {spool, "ERROR: Refusing the definition " + spool + plain},
        {"/dev/stdin", "ERROR: Refusing the definition /dev/stdin" + plain},
        {"/proc/self/fd/0", plain},
        {"..", plain},
        {".", plain},
        {"-g" + victim, "ERROR: Refusing the definition -g" + victim +
                            ": a definition's name must not start with -\n"},
        {"-", "must not start with -"},
        {"sub",
         "ERROR: Refusing the definition " + defs.file("sub") + ": it is not a regular file\n"},
    };
    for (const Case& c : cases) {
        FilterRun r = run("morvel-definition='" + c.value + "'");
        EXPECT_EQ(r.status, 1) << c.value;
        EXPECT_EQ(r.printer, "") << c.value;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.value << "\n" << r.err;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << "nothing ran: " << r.err;
    }
    // The same from the queue's PPD.
    std::string ppd = dir.write("queue.ppd", "*MorvelDefinition: \"" + evil + "\"\n");
    EXPECT_EQ(run("", 1, "", ppd).status, 1);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_EQ(read_file(victim), "kept");
    expect_no_scratch_left();
    // The folder's own definition runs its command: the marker above means something.
    EXPECT_EQ(run("morvel-definition=evil-inside.def").status, 0);
    EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST_F(FilterTest, RefusesADefinitionOrFolderOthersCanWrite) {
    defs.write("evil.def", runs_a_command("touch " + marker));
    TempDir open_folder;
    open_folder.write("evil.def", runs_a_command("touch " + marker));
    std::filesystem::permissions(open_folder.path(), std::filesystem::perms::all);
    std::string open_ppd =
        dir.write("open.ppd", "*MorvelDefinitionFolder: \"" + open_folder.path().string() + "\"\n");
    std::string relative_ppd = dir.write("relative.ppd", "*MorvelDefinitionFolder: \"defs\"\n");
    std::string missing_ppd =
        dir.write("missing.ppd", "*MorvelDefinitionFolder: \"" + dir.file("none") + "\"\n");
    const std::string file = "ERROR: Refusing the definition " + defs.file("evil.def") +
                             ": others than root and the administrators can change it: ";
    struct Case {
        const char* what;
        std::filesystem::perms mode;
        bool owned_by_filter_user;
        std::string ppd;
        std::string message;
    } cases[] = {
        {"anyone can write the file", std::filesystem::perms(0666), false, "",
         file + "anyone can write it (chmod o-w)\n"},
        // Not root, the test's own folder is the filter user's as well, and named first.
        {"the filter user owns the file", std::filesystem::perms(0444), true, "",
         "it belongs to user "},
        {"anyone can write the folder", std::filesystem::perms(0644), false, open_ppd,
         "others than root and the administrators can change the definition folder " +
             open_folder.path().string() + ": anyone can write it (chmod o-w)\n"},
        {"a relative folder", std::filesystem::perms(0644), false, relative_ppd,
         "the definition folder defs is not an absolute path"},
        {"no folder", std::filesystem::perms(0644), false, missing_ppd,
         "the definition folder " + dir.file("none") +
             " cannot be used (No such file or directory); create it, owned by root"},
    };
    for (const Case& c : cases) {
        std::filesystem::permissions(defs.file("evil.def"), c.mode);
        trust = test_trust();
        if (c.owned_by_filter_user) {
            // As root the file can be given to the filter user; otherwise the filter
            // runs as the owner.
            if (::getuid() == 0) {
                ASSERT_EQ(::chown(defs.file("evil.def").c_str(), kFilterUser, -1), 0);
            } else {
                trust.self_uid = ::getuid();
            }
        }
        FilterRun r = run("morvel-definition=evil.def", 1, "", c.ppd);
        EXPECT_EQ(r.status, 1) << c.what;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.what << "\n" << r.err;
        if (::getuid() == 0) {
            ASSERT_EQ(::chown(defs.file("evil.def").c_str(), 0, -1), 0);
        }
    }
    EXPECT_FALSE(std::filesystem::exists(marker));
    expect_no_scratch_left();
}

TEST_F(FilterTest, TheUnsafeKeywordAllowsAnyPathButNeverTheDocumentOrADevice) {
    TempDir elsewhere;
    std::string own = elsewhere.write("own.def", runs_a_command("touch " + marker));
    std::filesystem::permissions(own, std::filesystem::perms(0666));
    std::string ppd = dir.write("unsafe.ppd", "*MorvelUnsafeAnyDefinition: True\n");
    std::string victim = dir.write("victim", "kept");
    struct Case {
        std::string value;
        std::string message;
    } cases[] = {
        {spool, "ERROR: Refusing the definition " + spool + ": it is the job's own document\n"},
        {"/dev/stdin", "ERROR: Refusing the definition /dev/stdin: it is not a regular file\n"},
        {"/dev/null", "ERROR: Refusing the definition /dev/null: it is not a regular file\n"},
        {"-g" + victim, "a definition's name must not start with -"},
        {elsewhere.file("missing.def"), "No such file or directory"},
    };
    for (const Case& c : cases) {
        FilterRun r = run("morvel-definition='" + c.value + "'", 1, "", ppd);
        EXPECT_EQ(r.status, 1) << c.value;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << c.value << "\n" << r.err;
    }
    // The job's document given as standard input, named as the open descriptor.
    std::FILE* in = std::fopen(spool.c_str(), "rb");
    FilterArguments args =
        arguments("morvel-definition=/proc/self/fd/" + std::to_string(::fileno(in)), 1, spool);
    args.file.clear();
    std::string err_name = dir.file("stdin.err");
    std::FILE* err = std::fopen(err_name.c_str(), "wb");
    FilterStreams streams = streams_for(ppd);
    streams.in = in;
    streams.err = err;
    streams.printer_fd = ::open("/dev/null", O_WRONLY);
    EXPECT_EQ(run_filter(args, streams), 1);
    ::close(streams.printer_fd);
    std::fclose(err);
    std::fclose(in);
    EXPECT_NE(read_file(err_name).find("it is the job's own document"), std::string::npos)
        << read_file(err_name);
    EXPECT_FALSE(std::filesystem::exists(marker));
    EXPECT_EQ(read_file(victim), "kept");
    // Any other file runs, whoever can write it: the administrator chose so.
    FilterRun r = run("morvel-definition=" + own, 1, "", ppd);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_TRUE(std::filesystem::exists(marker));
}

TEST_F(FilterTest, KeepsTheLogOnlyInTheQueuesLogFolder) {
    TempDir logs;
    TempDir open_logs;
    std::filesystem::permissions(open_logs.path(), std::filesystem::perms::all);
    std::filesystem::create_symlink(dir.file("victim"), logs.path() / "planted.log");
    std::string victim = dir.write("victim", "kept");
    std::string ppd = dir.write("logs.ppd", "*MorvelLogFolder: \"" + logs.path().string() + "\"\n");
    std::string open_ppd =
        dir.write("open.ppd", "*MorvelLogFolder: \"" + open_logs.path().string() + "\"\n");
    struct Case {
        std::string options;
        std::string ppd;
        std::string message;  // empty: the job runs
    } cases[] = {
        {"morvel-log=" + victim, "",
         "ERROR: Refusing morvel-log=" + victim +
             ": the queue has no log folder (*MorvelLogFolder in its PPD)\n"},
        {"morvel-log=" + victim, ppd,
         ": a job names a log by its file name in " + logs.path().string()},
        {"morvel-log=../victim", ppd, "without a folder"},
        {"morvel-log=-x", ppd, "without a folder"},
        {"morvel-log=planted.log", ppd, "planted.log is not a regular file"},
        {"morvel-log=job.log", open_ppd, "anyone can write the log folder"},
        {"morvel-log=job.log", ppd, ""},
    };
    for (const Case& c : cases) {
        FilterRun r = run("morvel-definition=job.def " + c.options, 1, "", c.ppd);
        EXPECT_EQ(r.status, c.message.empty() ? 0 : 1) << c.options << "\n" << r.err;
        if (!c.message.empty()) {
            EXPECT_NE(r.err.find(c.message), std::string::npos) << c.options << "\n" << r.err;
        }
    }
    EXPECT_EQ(read_file(victim), "kept");
    EXPECT_NE(read_file(logs.file("job.log")).find("Morvel finished successfully"),
              std::string::npos);
}

TEST_F(FilterTest, AFullPrinterStreamIsAnError) {
    int fd = ::open("/dev/full", O_WRONLY);
    if (fd < 0) GTEST_SKIP() << "no /dev/full here";
    std::string err_name = dir.file("full.err");
    std::FILE* err = std::fopen(err_name.c_str(), "wb");
    FilterStreams streams = streams_for("");
    streams.printer_fd = fd;
    streams.err = err;
    EXPECT_EQ(run_filter(arguments("morvel-definition=job.def", 1, ""), streams), 1);
    ::close(fd);
    std::fclose(err);
    std::string text = read_file(err_name);
    EXPECT_NE(text.find("ERROR: Unable to send "), std::string::npos) << text;
    EXPECT_NE(text.find("No space left on device"), std::string::npos) << text;
    EXPECT_EQ(text.find("Sent "), std::string::npos) << text;
}

TEST_F(FilterTest, ACancelledJobLeavesNoFilesBehind) {
    std::string started = dir.file("started");
    defs.write("slow.def", runs_a_command("touch " + started + "; exec sleep 30"));
    std::string err_name = dir.file("cancel.err");
    pid_t pid = ::fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::FILE* err = std::fopen(err_name.c_str(), "wb");
        FilterStreams streams = streams_for("");
        streams.err = err;
        streams.printer_fd = ::open("/dev/null", O_WRONLY);
        int status = run_filter(arguments("morvel-definition=slow.def", 1, ""), streams);
        std::fclose(err);
        ::_exit(status);
    }
    for (int i = 0; i < 1500 && !std::filesystem::exists(started); ++i) ::usleep(20000);
    bool job_started = std::filesystem::exists(started);
    // Mid-job there is a scratch folder with the log and a temporary folder.
    bool scratch_seen = false;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        if (entry.path().filename().string().rfind("morvel-cups-", 0) == 0)
            scratch_seen = std::filesystem::exists(entry.path() / "morvel.log") &&
                           std::filesystem::is_directory(entry.path() / "tmp");
    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    int wait_status = 0;
    ASSERT_EQ(::waitpid(pid, &wait_status, 0), pid);
    ASSERT_TRUE(job_started) << read_file(err_name);
    EXPECT_TRUE(scratch_seen);
    ASSERT_TRUE(WIFEXITED(wait_status)) << wait_status;
    EXPECT_EQ(WEXITSTATUS(wait_status), kCancelledStatus);
    EXPECT_NE(read_file(err_name).find("INFO: The job was cancelled"), std::string::npos)
        << read_file(err_name);
    expect_no_scratch_left();
}

TEST(FilterPpd, ReadsTheQueueSettings) {
    TempDir dir;
    QueueSettings s = read_queue_settings(dir.write("q.ppd",
                                                    "*MorvelDefinitionFolder: \"/srv/defs\"\n"
                                                    "*MorvelDefinition: \"a.def\"\n"
                                                    "*MorvelLogFolder: \"/var/log/morvel\"\n"
                                                    "*MorvelUnsafeAnyDefinition: true\n"
                                                    "*MorvelDefinitionFolder: \"/second\"\n"));
    EXPECT_EQ(s.definition, "a.def");
    EXPECT_EQ(s.definition_folder, "/srv/defs");
    EXPECT_EQ(s.log_folder, "/var/log/morvel");
    EXPECT_TRUE(s.unsafe_any_definition);
    struct Case {
        const char* text;
        bool unsafe;
    } cases[] = {
        {"*MorvelUnsafeAnyDefinition: True\n", true},
        {"*MorvelUnsafeAnyDefinition: False\n", false},
        {"*MorvelUnsafeAnyDefinition: \"True\"\n", true},
        {"*MorvelUnsafeAnyDefinition: yes\n", false},
        {"*% *MorvelUnsafeAnyDefinition: True\n", false},
        {"*MorvelDefinition: \"x\"\n", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(read_queue_settings(dir.write("u.ppd", c.text)).unsafe_any_definition, c.unsafe)
            << c.text;
    EXPECT_FALSE(read_queue_settings("").definition_folder.has_value());
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
