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
    std::string postscript = dir.write("letter.ps", "%!PS-Adobe-3.0\n/Times findfont\n");
    std::string self = dir.write("self.pdf", "\033EHello\f");
    std::string self_png = dir.write("self.png", "\033EHello\f");
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
        {"a PostScript file", "-o " + dir.file("g.pdf") + " " + postscript, 1},
        {"output over the job", "-o " + self + " " + self, 2},
        {"first page over the job", "-o " + self_png + " " + self_png, 2},
    };
    for (const Case& c : cases)
        EXPECT_EQ(test::run_command(kRender + " " + c.args), c.status) << c.name;
    // A job named as its own output is left as it was.
    EXPECT_EQ(std::filesystem::file_size(self), 8u);
    EXPECT_EQ(std::filesystem::file_size(self_png), 8u);
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

TEST(RenderCli, ARasterPageThatRecursIsHeldOnceInThePdf) {
    // A page of raster noise (which does not compress): four copies of the same page cost
    // little more than one, four different pages four times as much.
    auto page = [](unsigned seed) {
        std::string p = "\033E\033*p0x0Y\033*t300R\033*r1A";
        for (int row = 0; row < 200; ++row) {
            p += "\033*b300W";
            for (int i = 0; i < 300; ++i) {
                seed = seed * 1103515245u + 12345u;
                p += static_cast<char>(seed >> 16);
            }
        }
        return p + "\033*rB\f";
    };
    test::TempDir dir;
    auto pdf_size = [&](const std::string& job) {
        std::string pdf;
        EXPECT_EQ(test::run_command(kRender + " -o - - < " + dir.write("job.pcl", job), &pdf), 0);
        return static_cast<double>(pdf.size());
    };
    const double one = pdf_size(page(1));
    EXPECT_GT(one, 200 * 300 * 0.9);
    EXPECT_LT(pdf_size(page(1) + page(1) + page(1) + page(1)), one * 1.3);
    EXPECT_GT(pdf_size(page(1) + page(2) + page(3) + page(4)), one * 3.5);
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
