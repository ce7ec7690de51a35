// The bundled examples: each folder under examples/ with an expected/ folder is
// copied to a scratch directory, its run.sh runs with the real binary, and every
// file in expected/ must come out in out/ with exactly the same bytes.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "test_support.h"

namespace fs = std::filesystem;

namespace morvel {
namespace {

fs::path examples_root() {
    return fs::path(MORVEL_SOURCE_DIR) / "examples";
}

std::vector<std::string> list_examples() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(examples_root()))
        if (fs::exists(entry.path() / "expected"))
            names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// Runs "sh run.sh <binary>" in dir; returns the exit code, output in dir/.console.
int run_script(const fs::path& dir) {
    pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0) _exit(127);
        FILE* console = std::freopen(".console", "w", stdout);
        if (console == nullptr || dup2(fileno(stdout), 2) < 0) _exit(127);
        unsetenv("VAVIRIRODI");
        setenv("LANG", "C", 1);
        setenv("TZ", "UTC", 1);
        execl("/bin/sh", "sh", "run.sh", MORVEL_BINARY, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(Examples, EveryExampleHasItsExpectedOutputs) {
    std::vector<std::string> names = list_examples();
    for (const char* name : {"invoice", "listing", "labels", "xml-orders", "form"})
        EXPECT_NE(std::find(names.begin(), names.end(), name), names.end()) << name;
}

class ExampleTest : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleTest, RunShWritesTheExpectedOutputs) {
    fs::path source = examples_root() / GetParam();
    test::TempDir scratch;
    fs::path dir = scratch.path() / GetParam();
    fs::create_directory(dir);
    for (const auto& entry : fs::directory_iterator(source))
        if (entry.path().filename() != "out")
            fs::copy(entry.path(), dir / entry.path().filename(), fs::copy_options::recursive);
    // run.sh reads the part all examples share from the folder above it.
    fs::copy(examples_root() / "run-example.sh", scratch.path() / "run-example.sh");

    ASSERT_EQ(run_script(dir), 0) << test::read_file((dir / ".console").string());

    for (const auto& entry : fs::recursive_directory_iterator(source / "expected")) {
        if (!entry.is_regular_file()) continue;
        fs::path rel = fs::relative(entry.path(), source / "expected");
        ASSERT_TRUE(fs::exists(dir / "out" / rel)) << rel << " was not written";
        EXPECT_TRUE(test::read_file((dir / "out" / rel).string()) ==
                    test::read_file(entry.path().string()))
            << rel << " differs from expected/" << rel.string();
    }
    // The run cleans up after itself: no temporary output files are left.
    for (const auto& entry : fs::directory_iterator(dir / "out"))
        EXPECT_NE(entry.path().filename().string().rfind("mrv", 0), 0u) << entry.path();
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleTest, ::testing::ValuesIn(list_examples()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return test::test_name(param.param);
                         });

}  // namespace
}  // namespace morvel
