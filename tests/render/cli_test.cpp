// morvel-render as a command: outputs, pipes, exit codes, and a PDF whose text and
// fonts other tools can read.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "render_support.h"
#include "test_support.h"

namespace morvel {
namespace {

const std::string kRender = MORVEL_RENDER_BINARY;
const std::string kJob =
    std::string(MORVEL_SOURCE_DIR) +
    "/tests/render/golden/pclfont.fixed_bold_font_and_reselect_whole_file/job.pcl";

TEST(RenderCli, ExitCodesSayWhatHappened) {
    test::TempDir dir;
    std::string bad = dir.write("bad.pcl", "Hello\033&z9Q");
    struct Case {
        const char* name;
        std::string args;
        int status;
    };
    const std::vector<Case> cases = {
        {"rendered", "-o " + dir.file("a.pdf") + " " + kJob, 0},
        {"rendered with problems", "-o " + dir.file("b.pdf") + " " + bad, 1},
        {"no arguments", "", 2},
        {"no output", kJob, 2},
        {"unknown option", "-x -o " + dir.file("c.pdf") + " " + kJob, 2},
        {"unreadable job", "-o " + dir.file("d.pdf") + " " + dir.file("missing.pcl"), 2},
        {"resolution out of range", "-r 0 -o " + dir.file("e.png") + " " + kJob, 2},
        {"unknown output type", "-o " + dir.file("f.tiff") + " " + kJob, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::run_command(kRender + " " + c.args), c.status) << c.name;
}

TEST(RenderCli, PngPagesAreNumberedAndAPipeGivesAPdf) {
    test::TempDir dir;
    std::string job = dir.write("two.pcl", "\033E\033&l26AOne\fTwo\f");
    ASSERT_EQ(test::run_command(kRender + " -o " + dir.file("p-%d.png") + " " + job), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.file("p-1.png")));
    EXPECT_TRUE(std::filesystem::exists(dir.file("p-2.png")));
    EXPECT_FALSE(std::filesystem::exists(dir.file("p-3.png")));

    std::string pdf;
    ASSERT_EQ(test::run_command(kRender + " -o - - < " + job, &pdf), 0);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
}

TEST(RenderCli, PdfTextIsSearchableAndItsFontsEmbedded) {
    if (!test::tool_on_path("pdftotext") || !test::tool_on_path("pdffonts"))
        GTEST_SKIP() << "poppler-utils missing";
    test::TempDir dir;
    ASSERT_EQ(test::run_command(kRender + " -o " + dir.file("job.pdf") + " " + kJob), 0);
    std::string text, fonts;
    test::run_command("pdftotext " + dir.file("job.pdf") + " -", &text);
    EXPECT_NE(text.find("Hello"), std::string::npos) << text;
    test::run_command("pdffonts " + dir.file("job.pdf"), &fonts);
    EXPECT_NE(fonts.find("NimbusMonoPS-Bold"), std::string::npos) << fonts;
    EXPECT_NE(fonts.find("yes yes"), std::string::npos) << fonts;  // embedded, subset
}

}  // namespace
}  // namespace morvel
