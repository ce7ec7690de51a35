// Every symbology Morvel draws, written by the real morvel, drawn by morvel-render and
// read back by independent decoders; the four-state code is checked bar by bar.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "barcode/four_state.h"
#include "render/input.h"
#include "render/render.h"
#include "render_support.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace morvel {
namespace {

constexpr int kDpi = 300;
constexpr int kLeft = 71;  // the logical page starts 71 dots into an A4 sheet

class BarcodeJob : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::tool_on_path("zbarimg") || !test::tool_on_path("ZXingReader"))
            GTEST_SKIP() << "zbarimg or ZXingReader missing";
        const fs::path source = fs::path(MORVEL_SOURCE_DIR) / "tests" / "render" / "barcodes";
        for (const char* name : {"job.def", "job.prn"})
            fs::copy_file(source / name, dir.path() / name);
        ASSERT_EQ(test::run_command("cd " + test::shell_quote(dir.path().string()) + " && " +
                                    MORVEL_BINARY + " -s -l job.log job.def job.prn"),
                  0);
        ASSERT_TRUE(fs::exists(dir.file("labels.pcl")));
        ASSERT_EQ(test::run_command(std::string(MORVEL_RENDER_BINARY) + " -r 300 -o " +
                                    test::shell_quote(dir.file("page.png")) + " " +
                                    test::shell_quote(dir.file("labels.pcl"))),
                  0);
    }
    test::TempDir dir;
};

TEST_F(BarcodeJob, LinearSymbolsDecodeBackToTheirData) {
    std::string found;
    test::run_command("zbarimg -q " + test::shell_quote(dir.file("page.png")), &found);
    for (const char* expected : {
             "CODE-128:CODE A\n",    // starting in code set A
             "CODE-128:Code b\n",    // code set B
             "CODE-128:12345678\n",  // code set C
             "CODE-39:CODE39\n", "I2/5:12345678\n",
             "EAN-8:12345670\n",  // check digit added
             "EAN-13:5901234123457\n",
             "EAN-13:0012345000058\n",  // the UPC-E symbol, read as its UPC-A number
         })
        EXPECT_NE(found.find(expected), std::string::npos) << expected << "in:\n" << found;
}

TEST_F(BarcodeJob, UpceAndPdf417DecodeWithTheSecondReader) {
    struct Case {
        const char* format;
        const char* text;
    };
    for (const Case& c : {Case{"UPCE", "\"01234558\""}, Case{"PDF417", "\"PDF417 from Morvel\""}}) {
        std::string found;
        test::run_command(std::string("ZXingReader -format ") + c.format + " " +
                              test::shell_quote(dir.file("page.png")),
                          &found);
        EXPECT_NE(found.find(c.text), std::string::npos) << c.format << ":\n" << found;
    }
}

TEST_F(BarcodeJob, FourStateBarsMatchTheirPattern) {
    test::CapturedRun run;
    std::optional<FourStateBars> bars = four_state_bars(run.run, "11*N39987520", 37);
    ASSERT_TRUE(bars);
    std::string pcl = test::read_file(dir.file("labels.pcl"));
    test::Rendered r(kDpi);
    test::render_bytes(r, pcl);
    const int top = 2600;
    for (std::size_t i = 0; i < bars->size(); ++i) {
        const int x = kLeft + 100 + 13 * static_cast<int>(i) + 3;
        const bool ascends = r.device.ink(x, top + 8);
        const bool descends = r.device.ink(x, top + 53);
        const int state = ascends ? (descends ? 0 : 1) : (descends ? 2 : 3);
        EXPECT_EQ(state, (*bars)[i]) << "bar " << i;
        EXPECT_TRUE(r.device.ink(x, top + 30)) << "bar " << i << " has no tracker part";
        EXPECT_FALSE(r.device.ink(x + 8, top + 30)) << "no gap after bar " << i;
    }
}

}  // namespace
}  // namespace morvel
