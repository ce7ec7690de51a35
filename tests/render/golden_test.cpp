// Every page of the reference jobs in tests/render/golden rendered at 100 dpi and
// scored against the reference page with tests/render/score_pages.py.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <vector>

#include "render_support.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace morvel {
namespace {

constexpr double kMinimumScore = 0.97;

fs::path golden_root() {
    return fs::path(MORVEL_SOURCE_DIR) / "tests" / "render" / "golden";
}

std::vector<std::string> golden_jobs() {
    std::vector<std::string> names;
    if (!fs::exists(golden_root())) return names;
    for (const auto& entry : fs::directory_iterator(golden_root()))
        if (entry.is_directory()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int reference_pages(const fs::path& dir) {
    int n = 0;
    while (fs::exists(dir / ("page-" + std::to_string(n + 1) + ".png"))) ++n;
    return n;
}

class GoldenPages : public ::testing::TestWithParam<std::string> {};

TEST_P(GoldenPages, EveryPageAgreesWithTheReference) {
    if (!test::tool_on_path("python3") || !test::tool_on_path("convert"))
        GTEST_SKIP() << "python3 or convert (imagemagick) missing";
    const fs::path dir = golden_root() / GetParam();
    test::TempDir tmp;
    std::string pattern = tmp.file("page-%d.png");
    int status = test::run_command(std::string(MORVEL_RENDER_BINARY) + " -r 100 -o " +
                                   test::shell_quote(pattern) + " " +
                                   test::shell_quote((dir / "job.pcl").string()));
    ASSERT_GE(status, 0);
    ASSERT_LE(status, 1) << "morvel-render failed on " << GetParam();

    const int pages = reference_pages(dir);
    ASSERT_GT(pages, 0);
    EXPECT_FALSE(fs::exists(tmp.file("page-" + std::to_string(pages + 1) + ".png")))
        << "more pages than the reference";
    std::string command = "python3 " + test::shell_quote(std::string(MORVEL_SOURCE_DIR) +
                                                         "/tests/render/score_pages.py");
    for (int p = 1; p <= pages; ++p) {
        std::string name = "page-" + std::to_string(p) + ".png";
        ASSERT_TRUE(fs::exists(tmp.file(name))) << "page " << p << " missing";
        command += " " + test::shell_quote((dir / name).string()) + " " +
                   test::shell_quote(tmp.file(name));
    }
    std::string scores;
    ASSERT_EQ(test::run_command(command, &scores), 0);
    std::istringstream lines(scores);
    for (int p = 1; p <= pages; ++p) {
        double score = 0, recall = 0, precision = 0;
        ASSERT_TRUE(lines >> score >> recall >> precision) << scores;
        EXPECT_GE(score, kMinimumScore)
            << GetParam() << " page " << p << " recall " << recall << " precision " << precision;
    }
}

INSTANTIATE_TEST_SUITE_P(Jobs, GoldenPages, ::testing::ValuesIn(golden_jobs()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                             return test::test_name(param.param);
                         });

}  // namespace
}  // namespace morvel
