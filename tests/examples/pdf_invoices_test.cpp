// The PDF invoices example end to end: morvel's output program invokes morvel-render
// for each invoice, and each PDF carries its title, its text and its fonts.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "render/render_support.h"
#include "test_support.h"

namespace fs = std::filesystem;

namespace morvel {
namespace {

TEST(PdfInvoicesExample, EachInvoiceIsAPdfWithItsTitleTextAndFonts) {
    if (!test::tool_on_path("pdfinfo") || !test::tool_on_path("pdftotext") ||
        !test::tool_on_path("pdffonts"))
        GTEST_SKIP() << "poppler-utils missing";
    const fs::path source = fs::path(MORVEL_SOURCE_DIR) / "examples" / "pdf-invoices";
    test::TempDir scratch;
    const fs::path dir = scratch.path() / "pdf-invoices";
    fs::copy(source, dir, fs::copy_options::recursive);
    fs::copy(source.parent_path() / "run-example.sh", scratch.path() / "run-example.sh");
    fs::remove_all(dir / "out");
    std::string console;
    ASSERT_EQ(test::run_command("sh " + test::shell_quote((dir / "run.sh").string()) + " " +
                                    test::shell_quote(MORVEL_BINARY) + " " +
                                    test::shell_quote(MORVEL_RENDER_BINARY) + " 2>&1",
                                &console),
              0)
        << console;
    struct Invoice {
        const char* number;
        const char* customer;
    };
    for (const Invoice& inv :
         {Invoice{"10231", "Harbour Tools Ltd"}, Invoice{"10232", "Millbrook Bakery"},
          Invoice{"10233", "Northgate School"}}) {
        const std::string pdf =
            (dir / "out" / ("invoice-" + std::string(inv.number) + ".pdf")).string();
        ASSERT_TRUE(fs::exists(pdf)) << pdf << "\n" << console;
        std::string info, text, fonts;
        ASSERT_EQ(test::run_command("pdfinfo " + test::shell_quote(pdf), &info), 0);
        EXPECT_NE(info.find("Invoice " + std::string(inv.number) + " for " + inv.customer),
                  std::string::npos)
            << info;
        EXPECT_NE(info.find("Pages:           1"), std::string::npos) << info;
        ASSERT_EQ(test::run_command("pdftotext " + test::shell_quote(pdf) + " -", &text), 0);
        EXPECT_NE(text.find(inv.number), std::string::npos) << text;
        ASSERT_EQ(test::run_command("pdffonts " + test::shell_quote(pdf), &fonts), 0);
        // Every font row says "yes" in the embedded column.
        std::size_t rows = 0, embedded = 0;
        for (std::size_t at = fonts.find("Type 1C"); at != std::string::npos;
             at = fonts.find("Type 1C", at + 1)) {
            ++rows;
            std::size_t eol = fonts.find('\n', at);
            if (fonts.substr(at, eol - at).find(" yes ") != std::string::npos) ++embedded;
        }
        EXPECT_GT(rows, 0u) << fonts;
        EXPECT_EQ(embedded, rows) << fonts;
    }
}

}  // namespace
}  // namespace morvel
