// Whole jobs: each folder under tests/jobs/cases/ is copied to a scratch
// directory, the real binary runs there, and the exit code, console output,
// log and output files are compared exactly.
//
// A case folder holds the job's input files and:
//   args          one command-line argument per line
//   stdin         bytes fed to standard input (optional)
//   env           NAME=VALUE lines added to the environment (optional)
//   exit          the expected exit code
//   log           the expected log, exactly (optional); the banner's date
//                 and time read as <date>
//   log_name      the log file to read (default job.log)
//   stdout        the expected standard output, exactly (optional)
//   stderr        the expected standard error, exactly (optional)
//   expect/       files that must exist afterwards with exactly these bytes
//   absent        names that must not exist afterwards, one per line
//   exist         names that must exist afterwards, one per line (for names
//                 that are awkward to keep in the source tree)
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace morvel {
namespace {

std::vector<std::string> list_cases() {
    std::vector<std::string> names;
    fs::path root = fs::path(MORVEL_SOURCE_DIR) / "tests" / "jobs" / "cases";
    if (!fs::exists(root)) return names;
    for (const auto& entry : fs::directory_iterator(root))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
}

struct Outcome {
    int exit_code = -1;
    std::string out, err;
};

// Runs the binary in dir with args, stdin bytes and extra environment.
Outcome run_binary(const fs::path& dir, const std::vector<std::string>& args,
                   const std::string& input, const std::vector<std::string>& env) {
    Outcome result;
    fs::path in_file = dir / ".stdin", out_file = dir / ".stdout", err_file = dir / ".stderr";
    std::ofstream(in_file, std::ios::binary) << input;
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        int in = open(in_file.c_str(), O_RDONLY);
        int out = open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        unsetenv("VAVIRIRODI");
        setenv("LANG", "C", 1);
        setenv("TZ", "UTC", 1);
        for (const std::string& e : env) {
            std::size_t eq = e.find('=');
            if (eq != std::string::npos)
                setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
        }
        std::vector<char*> argv;
        std::string binary = MORVEL_BINARY;
        std::string program = "morvel";  // the usage text names the program as started
        argv.push_back(program.data());
        std::vector<std::string> copy = args;
        for (std::string& a : copy) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(binary.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    result.exit_code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    result.out = test::read_file(out_file);
    result.err = test::read_file(err_file);
    fs::remove(in_file);
    fs::remove(out_file);
    fs::remove(err_file);
    return result;
}

std::string mask_dates(const std::string& log) {
    static const std::regex date(
        R"([A-Z][a-z]{2} [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4})");
    return std::regex_replace(log, date, "<date>");
}

class JobTest : public ::testing::TestWithParam<std::string> {};

TEST_P(JobTest, Runs) {
    fs::path source = fs::path(MORVEL_SOURCE_DIR) / "tests" / "jobs" / "cases" / GetParam();
    test::TempDir scratch;
    fs::copy(source, scratch.path(), fs::copy_options::recursive);
    const fs::path& dir = scratch.path();
    auto read = [&](const char* name) { return test::read_file((dir / name).string()); };
    auto has = [&](const char* name) { return fs::exists(dir / name); };

    std::vector<std::string> args = lines_of(read("args"));
    std::vector<std::string> env = has("env") ? lines_of(read("env")) : std::vector<std::string>{};
    Outcome r = run_binary(dir, args, has("stdin") ? read("stdin") : "", env);

    if (has("exit")) {
        EXPECT_EQ(r.exit_code, std::stoi(read("exit"))) << r.out << r.err;
    }
    if (has("stdout")) {
        EXPECT_EQ(r.out, read("stdout"));
    }
    if (has("stderr")) {
        EXPECT_EQ(r.err, read("stderr"));
    }
    if (has("log")) {
        std::string log_name = has("log_name") ? lines_of(read("log_name")).at(0) : "job.log";
        EXPECT_EQ(mask_dates(test::read_file((dir / log_name).string())), read("log"));
    }
    if (has("expect")) {
        for (const auto& entry : fs::recursive_directory_iterator(source / "expect")) {
            if (!entry.is_regular_file()) continue;
            fs::path rel = fs::relative(entry.path(), source / "expect");
            ASSERT_TRUE(fs::exists(dir / rel)) << rel << " was not written";
            EXPECT_EQ(test::read_file((dir / rel).string()), test::read_file(entry.path().string()))
                << rel;
        }
    }
    if (has("exist")) {
        for (const std::string& name : lines_of(read("exist"))) {
            EXPECT_TRUE(fs::exists(dir / name)) << name << " should exist";
        }
    }
    if (has("absent")) {
        for (const std::string& name : lines_of(read("absent"))) {
            EXPECT_FALSE(fs::exists(dir / name)) << name << " should not exist";
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, JobTest, ::testing::ValuesIn(list_cases()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return test::test_name(param.param);
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(JobTest);

}  // namespace
}  // namespace morvel

namespace morvel {
namespace {

// A new user's first job: the starter written with no one to answer, run over a text
// spool, leaves its printer job next to the definition.
TEST(StarterJob, WrittenWithoutATerminalRunsAndLeavesItsPagesNextToTheDefinition) {
    test::TempDir scratch;
    const fs::path& dir = scratch.path();
    fs::create_directory(dir / "jobs");
    scratch.write("report.txt", "HELLO WORLD\nsecond line\n\f");

    Outcome g = run_binary(dir, {"-g", "jobs/first.def"}, "", {});
    EXPECT_EQ(g.exit_code, 0) << g.out << g.err;
    EXPECT_EQ(g.out.find("Orientation"), std::string::npos) << "asked without a terminal";
    std::vector<std::string> lines = lines_of(test::read_file(scratch.file("jobs/first.def")));
    ASSERT_EQ(lines.size(), 35u);
    EXPECT_EQ(lines[8], "\tLINES_PER_PAGE = 66");
    EXPECT_EQ(lines[30], "\t\tORIENTATION=PORTRAIT");

    Outcome r = run_binary(dir, {"-s", "-l", "job.log", "jobs/first.def", "report.txt"}, "", {});
    EXPECT_EQ(r.exit_code, 0) << test::read_file(scratch.file("job.log"));
    std::string pcl = test::read_file(scratch.file("jobs/first.pcl"));
    EXPECT_TRUE(pcl.starts_with("\033%-12345X\033E")) << pcl.substr(0, 20);
    EXPECT_NE(pcl.find("HELLO WORLD"), std::string::npos);
    EXPECT_NE(pcl.find("second line"), std::string::npos);
}

}  // namespace
}  // namespace morvel

namespace morvel {
namespace {

// A small tmpfs mounted for one test, or a reason why not (mounting needs root).
class SmallDisk {
  public:
    SmallDisk(const fs::path& where, const char* size) : where_(where) {
        fs::create_directories(where);
        const std::string options = std::string("size=") + size;
        std::string command =
            "mount -t tmpfs -o " + options + " tmpfs '" + where.string() + "' 2>/dev/null";
        mounted_ = geteuid() == 0 && std::system(command.c_str()) == 0;
    }
    ~SmallDisk() {
        if (mounted_ && std::system(("umount '" + where_.string() + "'").c_str()) != 0)
            ADD_FAILURE() << "could not unmount " << where_;
    }
    SmallDisk(const SmallDisk&) = delete;
    SmallDisk& operator=(const SmallDisk&) = delete;
    bool mounted() const { return mounted_; }
    /// Fills the disk up to its last byte.
    void fill() const {
        std::ofstream filler(where_ / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        for (int i = 0; i < 100000 && filler.write(block.data(), block.size()); ++i) {
        }
    }

  private:
    fs::path where_;
    bool mounted_ = false;
};

// The temporary directory on a disk with little or no room: the job is not delivered
// cut short. The run says so and fails, and what was written is kept for another try.
TEST(FullDisk, OutputThatDoesNotFitIsKeptAndTheRunFails) {
    for (const bool room_for_a_block : {true, false}) {
        SCOPED_TRACE(room_for_a_block ? "4 KB free" : "nothing free");
        test::TempDir scratch;
        const fs::path& dir = scratch.path();
        const fs::path example = fs::path(MORVEL_SOURCE_DIR) / "examples" / "listing";
        fs::copy(example / "listing.def", dir / "listing.def");
        fs::copy(example / "stock.prn", dir / "stock.prn");
        fs::create_directory(dir / "out");
        SmallDisk disk(dir / "tmp", "4k");
        if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
        if (!room_for_a_block) disk.fill();

        Outcome r = run_binary(dir, {"-s", "-l", "job.log", "listing.def", "stock.prn"}, "",
                               {"VAVIRIRODI=" + (dir / "tmp").string()});
        const std::string log = test::read_file(scratch.file("job.log"));
        EXPECT_EQ(r.exit_code, 1) << log;
        EXPECT_NE(log.find("Unable to complete the output file of output program listing_job\n"
                           "No space left on device\n"),
                  std::string::npos)
            << log;
        EXPECT_NE(log.find("Output of listing_job is kept as " + (dir / "tmp").string() +
                           "/morvel-undelivered-listing_job.pcl"),
                  std::string::npos)
            << log;
        EXPECT_EQ(log.find("Morvel finished successfully"), std::string::npos) << log;
        EXPECT_FALSE(fs::exists(dir / "out" / "listing.pcl"));
    }
}

}  // namespace
}  // namespace morvel
