// What the renderer's outputs hold and how they end: shading layers, thin rules, marks
// off the page, page and mark limits, PNG files written through to the close, and the
// PDF's document information.
#include <cairo.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "render/png_writer.h"
#include "render/render.h"
#include "render_support.h"
#include "test_support.h"

namespace morvel {
namespace {

const std::string kRender = MORVEL_RENDER_BINARY;
using test::kSetup;

// A 25 % shaded band, 900 x 300 dots, drawn `layers` times at the same place, then once
// more half a dot lower and one dot to the right (positions a printer rounds apart).
std::string shaded_band(int layers) {
    std::string job = kSetup + "\033*c25G\033*v2T";
    for (int i = 0; i < layers; ++i) job += "\033*p300x300Y\033*c900a300b2P";
    job += "\033*p301x1300Y\033*c900a300b2P";
    for (int i = 1; i < layers; ++i) job += "\033*p301x1300Y\033*c900a300b2P";
    return job;
}

std::vector<unsigned> pixels(const render::ImageDevice& d) {
    std::vector<unsigned> v;
    for (int y = 0; y < d.height(); ++y)
        for (int x = 0; x < d.width(); ++x) v.push_back(d.pixel(x, y));
    return v;
}

TEST(RenderOutput, OverlappingLayersOfOneShadingLookLikeOneLayer) {
    for (double dpi : {100.0, 300.0}) {
        test::Rendered one(dpi), three(dpi);
        test::render_bytes(one, shaded_band(1));
        test::render_bytes(three, shaded_band(3));
        EXPECT_TRUE(pixels(one.device) == pixels(three.device)) << dpi << " dpi";
    }
}

TEST(RenderOutput, ThinRulesAndBorderLinesKeepWholePixelsOfInk) {
    struct Case {
        const char* name;
        std::string job;
        int x, y;  // a pixel at 100 dpi that must be ink
    };
    // The logical page starts 71/3 pixels from the sheet's left edge.
    const std::vector<Case> cases = {
        {"one-dot vertical rule", "\033*p301x300Y\033*c1a300b0P", 124, 150},
        {"two-dot vertical rule", "\033*p302x300Y\033*c2a300b0P", 124, 150},
        {"one-dot horizontal rule", "\033*p300x301Y\033*c300a1b0P", 150, 100},
        {"two-dot horizontal rule", "\033*p300x302Y\033*c300a2b0P", 150, 100},
        {"box border of 2 dots", "\033*p600x600Y\033*c600a2b0P\033*c2a600b0P", 300, 200},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + c.job);
        int column = 0;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy) column += r.device.ink(c.x + dx, c.y + dy) ? 1 : 0;
        EXPECT_GE(column, 3) << c.name;
        // Snapped, not moved: nothing two pixels away.
        EXPECT_FALSE(r.device.ink(c.x + 3, c.y + 3)) << c.name;
    }
}

TEST(RenderOutput, MarksOffThePageAreReportedOncePerPageWithWhereTheyAre) {
    test::Rendered r(100);
    test::render_bytes(r, kSetup + "\033*p2000x300Y\033*c900a20b0P\033*p2000x400Y\033*c1000a20b0P" +
                              "\f\033*p100x100YOn the page\f" + "\033*p100x3600Y2026-12-10\f");
    const std::string& text = r.problems.text();
    EXPECT_NE(text.find("page 1: a mark reaches x=2900 y=300 dots"), std::string::npos) << text;
    EXPECT_EQ(text.find("page 1", text.find("page 1") + 1), std::string::npos) << text;
    EXPECT_EQ(text.find("page 2"), std::string::npos) << text;
    EXPECT_NE(text.find("page 3: a mark reaches"), std::string::npos) << text;
}

TEST(RenderOutput, MarksAreCutAtTheLogicalPagesEdge) {
    // A4's logical page ends 71 + 2338 dots from the sheet's left edge (803 px at 100 dpi);
    // the sheet goes on to 827 px.
    struct Case {
        const char* name;
        std::string job;
        int y;  // a row through the mark
    };
    const std::vector<Case> cases = {
        {"rule", "\033*p2300x300Y\033*c150a60b0P", 110},
        {"text", "\033*p2300x600Y\033(s0p10h12v0s0b4099TWWWWWWWW", 197},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + c.job);
        EXPECT_GT(test::ink_in(r.device, 790, c.y, 802, c.y + 1), 0) << c.name;
        EXPECT_EQ(test::ink_in(r.device, 805, 0, r.device.width(), r.device.height()), 0) << c.name;
    }
}

TEST(RenderOutput, PagesAndCopiesStopAtThePageLimit) {
    struct Case {
        const char* name;
        std::string job;
        int limit, pages;
        bool reported;
    };
    const std::vector<Case> cases = {
        {"copies of many pages", kSetup + "\033&l99X" + std::string(2000, '\f'), 500, 500, true},
        {"within the limit", kSetup + "\033&l3X" + std::string(4, '\f'), 12, 12, false},
        {"copies cut on the last page", kSetup + "\033&l5XA\f", 3, 3, true},
    };
    for (const Case& c : cases) {
        test::Rendered r(8);
        r.device.set_max_pages(c.limit);
        test::render_bytes(r, c.job);
        EXPECT_EQ(r.pages, c.pages) << c.name;
        EXPECT_EQ(r.problems.text().find("not output (--max-pages)") != std::string::npos,
                  c.reported)
            << c.name << r.problems.text();
    }
}

// An image device that keeps few marks per page, as the PDF device keeps many.
class FewMarks : public render::ImageDevice {
  public:
    FewMarks() : ImageDevice(10) {}

  protected:
    long max_marks() const override { return 10; }
};

TEST(RenderOutput, APageWithTooManyMarksSaysSoAndDrawsTheFirst) {
    FewMarks device;
    render::Problems problems(nullptr);
    render::FontCache fonts;
    std::string job = kSetup;
    for (int i = 0; i < 30; ++i)
        job += "\033*p" + std::to_string(100 + i * 30) + "x100Y\033*c10a10b0P";
    render::MemoryInput in(job);
    EXPECT_EQ(render::render_job(in, device, fonts, problems), 1);
    EXPECT_NE(problems.text().find("page 1 has more than 10 marks"), std::string::npos)
        << problems.text();
}

TEST(RenderOutput, PngFilesHoldThePageAndAFullDiskIsAnError) {
    test::TempDir dir;
    cairo_surface_t* page = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 37, 5);
    cairo_t* cr = cairo_create(page);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_set_source_rgb(cr, 0.2, 0.4, 0.6);
    cairo_rectangle(cr, 3, 1, 10, 2);
    cairo_fill(cr);
    cairo_destroy(cr);

    std::string error;
    ASSERT_TRUE(render::write_png(page, dir.file("p.png"), 100, error)) << error;
    cairo_surface_t* back = cairo_image_surface_create_from_png(dir.file("p.png").c_str());
    ASSERT_EQ(cairo_surface_status(back), CAIRO_STATUS_SUCCESS);
    EXPECT_EQ(cairo_image_surface_get_width(back), 37);
    auto at = [](cairo_surface_t* s, int x, int y) {
        const unsigned char* row =
            cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
        return (row[x * 4] | row[x * 4 + 1] << 8 | row[x * 4 + 2] << 16) & 0xFFFFFF;
    };
    EXPECT_EQ(at(back, 5, 2), at(page, 5, 2));
    EXPECT_EQ(at(back, 5, 2), 0x336699);
    EXPECT_EQ(at(back, 20, 2), 0xFFFFFF);
    cairo_surface_destroy(back);

    if (std::filesystem::exists("/dev/full")) {
        std::filesystem::create_symlink("/dev/full", dir.file("full.png"));
        EXPECT_FALSE(render::write_png(page, dir.file("full.png"), 100, error));
        EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    }
    EXPECT_FALSE(render::write_png(page, dir.file("no/such/dir.png"), 100, error));
    cairo_surface_destroy(page);
}

TEST(RenderOutputCli, AFullDiskEndsWithAMessageAndExitOne) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    test::TempDir dir;
    std::string job = dir.write("job.pcl", kSetup + "Hello\fWorld\f");
    std::filesystem::create_symlink("/dev/full", dir.file("page-2.png"));
    std::filesystem::create_symlink("/dev/full", dir.file("out.pdf"));
    struct Case {
        const char* name;
        std::string command;
    };
    const std::vector<Case> cases = {
        {"PNG", kRender + " -o " + dir.file("page-%d.png") + " " + job},
        {"PDF file", kRender + " -o " + dir.file("out.pdf") + " " + job},
        {"PDF to standard output", kRender + " -o - " + job + " >/dev/full"},
    };
    for (const Case& c : cases) {
        std::string output;
        // The group's messages go to the output read back.
        EXPECT_EQ(test::run_command("{ exec 2>&1; " + c.command + "; }", &output), 1)
            << c.name << output;
        EXPECT_NE(output.find("morvel-render: "), std::string::npos) << c.name;
    }
}

TEST(RenderOutputCli, VersionAndTheDocumentInformationOfThePdf) {
    std::string version;
    ASSERT_EQ(test::run_command(kRender + " --version", &version), 0);
    EXPECT_EQ(version.rfind("morvel-render ", 0), 0u) << version;

    if (!test::tool_on_path("pdfinfo")) GTEST_SKIP() << "poppler-utils missing";
    test::TempDir dir;
    std::string job = dir.write("job.pcl", kSetup + "Invoice 4711\f");
    ASSERT_EQ(test::run_command(kRender +
                                " --title 'Invoice 4711' --author 'Acme Ltd' --subject Billing"
                                " --keywords 'invoice, 2026' -o " +
                                dir.file("a.pdf") + " " + job),
              0);
    std::string info;
    ASSERT_EQ(test::run_command("pdfinfo " + dir.file("a.pdf"), &info), 0);
    for (const char* want :
         {"Invoice 4711", "Acme Ltd", "Billing", "invoice, 2026", "morvel-render"})
        EXPECT_NE(info.find(want), std::string::npos) << want << "\n" << info;
}

// The grey level of a pixel of a binary PGM ("P5") image.
int grey_at(const std::string& pgm, int x, int y) {
    std::istringstream in(pgm);
    std::string magic;
    int w = 0, h = 0, max = 0;
    in >> magic >> w >> h >> max;
    auto start = static_cast<std::size_t>(in.tellg()) + 1;
    if (magic != "P5" || x >= w || y >= h) return -1;
    return static_cast<unsigned char>(pgm.at(start + static_cast<std::size_t>(y * w + x)));
}

// The PDF rasterised by pdftoppm: three layers of one shading look like one layer, both
// as flat grey (the default) and as the printer's halftone.
TEST(RenderOutputCli, PdfShadingLayersDoNotDarken) {
    if (!test::tool_on_path("pdftoppm")) GTEST_SKIP() << "poppler-utils missing";
    test::TempDir dir;
    std::string one = dir.write("one.pcl", shaded_band(1) + "\f");
    std::string three = dir.write("three.pcl", shaded_band(3) + "\f");
    for (const std::string option : {"", "--printer-shading "}) {
        std::vector<std::string> images;
        for (const std::string& job : {one, three}) {
            std::string pdf = job + ".pdf";
            ASSERT_EQ(test::run_command(kRender + " " + option + "-o " + pdf + " " + job), 0);
            std::string ppm;
            ASSERT_EQ(test::run_command("pdftoppm -r 100 -gray " + pdf, &ppm), 0);
            images.push_back(ppm);
        }
        // As flat grey the layers give the same pixels; the halftone's dots, smoothed by
        // the viewer where they meet the band's edges, may differ there, not inside.
        if (option.empty()) {
            EXPECT_TRUE(images[0] == images[1]);
        }
        for (int y = 110; y < 190; y += 3)
            for (int x = 150; x < 400; x += 7)
                ASSERT_EQ(grey_at(images[0], x, y), grey_at(images[1], x, y))
                    << option << "at " << x << "," << y;
        // Inside the band: flat grey by default, black and white dots as printed.
        std::set<int> levels;
        for (int y = 140; y < 150; ++y)
            for (int x = 190; x < 200; ++x) levels.insert(grey_at(images[0], x, y));
        if (option.empty()) {
            EXPECT_EQ(levels.size(), 1u);
            EXPECT_GT(*levels.begin(), 150);
            EXPECT_LT(*levels.begin(), 230);
        } else {
            EXPECT_TRUE(levels.count(255) && *levels.begin() < 100);
        }
    }
}

// Text under a shaded HP-GL/2 polygon (a rounded box drawn after it) shows through, as on
// paper, in both kinds of PDF shading.
TEST(RenderOutputCli, PdfTextShowsThroughAShadedPolygon) {
    if (!test::tool_on_path("pdftoppm")) GTEST_SKIP() << "poppler-utils missing";
    test::TempDir dir;
    std::string job = dir.write(
        "text.pcl", kSetup +
                        "\033*p0x0Y\033*c0T\033*c20000x20000Y\033%1BINSP1SC0,3.386667,0,-3.386667,"
                        "2IR0,100,0,100PU0,0;\033%1A\033(s0p10h12v0s3b4099T\033*p300x400YHHHHHHHHHH"
                        "\033%1BPU250,350PM0;PD1000,350,1000,450,250,450;PM2;FT10,30;FP;\033%1A\f");
    for (const std::string option : {"", "--printer-shading "}) {
        std::string pdf = job + ".pdf", ppm;
        ASSERT_EQ(test::run_command(kRender + " " + option + "-o " + pdf + " " + job), 0);
        ASSERT_EQ(test::run_command("pdftoppm -r 100 -gray " + pdf, &ppm), 0);
        int black = 0;
        for (int y = 125; y < 133; ++y)
            for (int x = test::px(300); x < test::px(600); ++x)
                black += grey_at(ppm, x, y) < 60 ? 1 : 0;
        EXPECT_GT(black, 150) << option;
    }
}

}  // namespace
}  // namespace morvel
