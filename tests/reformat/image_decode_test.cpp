// Images decoded by our readers and sent as raster rows, read back from the printer
// output and compared pixel for pixel with the same file decoded by ImageMagick.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/printer_out.h"
#include "reformat/forms.h"
#include "reformat/image_test_util.h"
#include "test_support.h"

namespace morvel {
namespace {

using test::Bitmap;

// Prints the file as a form and reads the raster back.
Bitmap print_and_read(test::CapturedRun& c, const std::string& file, long flags,
                      bool colour = false) {
    std::string out_path = c.dir.file("out.prn");
    std::FILE* f = std::fopen(out_path.c_str(), "wb");
    PclOut out(f);
    FormRequest form;
    form.x = form.y = kAtCursor;
    form.resolution = 300;
    form.flags = flags;
    form.colour = colour;
    print_form(c.run, out, form, file);
    std::fclose(f);
    int width = 0;
    auto rows = test::raster_rows(test::read_file(out_path), &width);
    return test::rows_to_bitmap(rows, width);
}

void expect_same(const Bitmap& got, const Bitmap& want, const std::string& what) {
    ASSERT_EQ(got.width, want.width) << what;
    ASSERT_EQ(got.height, want.height) << what;
    int wrong = 0;
    for (std::size_t i = 0; i < want.pixels.size(); ++i) wrong += got.pixels[i] != want.pixels[i];
    EXPECT_EQ(wrong, 0) << what;
}

// A picture with short runs (noise), a row-wide white band, a black run longer than
// the 1728 make-up code and a diagonal, 2000 pixels wide.
std::string make_source(const test::TempDir& dir) {
    std::string path = dir.file("source.pbm");
    std::string cmd =
        "convert -size 2000x48 xc:gray50 -seed 7 +noise Random -colorspace gray "
        "-threshold 50% -fill white -draw 'rectangle 0,10 1999,20' -fill black "
        "-draw 'rectangle 50,24 1950,30' -draw 'line 0,47 1999,32' '" +
        path + "'";
    return std::system(cmd.c_str()) == 0 ? path : "";
}

TEST(ImageDecode, ConvertedFilesMatchIndependentDecoding) {
    if (!test::have_tool("convert") || !test::have_tool("tiffcp"))
        GTEST_SKIP() << "no convert/tiffcp";
    test::CapturedRun c;
    std::string source = make_source(c.dir);
    ASSERT_FALSE(source.empty());
    struct Case {
        const char* name;
        const char* make;  // shell command, %s = source, %o = output
        long flags;
    } cases[] = {
        {"g3.tif", "convert %s -compress Fax %o", 0},
        {"g3_2d.tif", "convert %s -compress Fax t.tif && tiffcp -c g3:2d t.tif %o", 0},
        {"g3_lsb.tif", "convert %s -compress Fax t.tif && tiffcp -f lsb2msb t.tif %o", 1},
        {"g4.tif", "convert %s -compress Group4 %o", 1},
        {"g4_strips.tif", "convert %s -compress Group4 t.tif && tiffcp -r 7 t.tif %o", 0},
        {"packbits.tif", "convert %s -compress RLE %o", 0},
        {"packbits_mm.tif", "convert %s -compress RLE -endian MSB %o", 1},
        {"one.bmp", "convert %s -type bilevel BMP3:%o", 0},
        {"gray.bmp", "convert %s -type palette -colors 3 -depth 8 -compress None BMP3:%o", 1},
    };
    for (const Case& k : cases) {
        std::string file = c.dir.file(k.name);
        std::string cmd = "cd '" + c.dir.path().string() + "' && " + k.make;
        cmd.replace(cmd.find("%s"), 2, "'" + source + "'");
        cmd.replace(cmd.find("%o"), 2, "'" + file + "'");
        ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
        Bitmap want;
        ASSERT_TRUE(test::decode_with_convert(file, want)) << k.name;
        expect_same(print_and_read(c, file, k.flags), want, k.name);
    }
    EXPECT_EQ(c.run.MEMORY_ERROR, 0) << c.console();
}

TEST(ImageDecode, PcxFilesMatchIndependentDecoding) {
    if (!test::have_tool("convert")) GTEST_SKIP() << "no convert";
    test::CapturedRun c;
    Bitmap source{203, 9, {}};
    for (int y = 0; y < source.height; ++y)
        for (int x = 0; x < source.width; ++x)
            source.pixels.push_back((x * 7 + y * y) % 11 < 4 || x == y * 20);
    for (int bits : {1, 8}) {
        std::string file =
            c.dir.write("p" + std::to_string(bits) + ".pcx", test::make_pcx(source, bits));
        // ImageMagick reads 1-bit PCX files the other way round (1 black), against the
        // usual convention that the printer follows; only the 8-bit file is checked.
        Bitmap want;
        ASSERT_TRUE(test::decode_with_convert(file, want));
        if (bits == 8) expect_same(want, source, "convert reads our test file");
        expect_same(print_and_read(c, file, 1), source, file);
    }
}

TEST(ImageDecode, InvertAndFitWidth) {
    test::CapturedRun c;
    Bitmap source{40, 2, std::vector<std::uint8_t>(80, 0)};
    for (int x = 0; x < 20; ++x)
        source.pixels[static_cast<std::size_t>(x)] = 1;  // row 0: left half black
    std::string file = c.dir.write("s.pcx", test::make_pcx(source, 1));
    Bitmap inverted = print_and_read(c, file, kFormInvert);
    EXPECT_EQ(inverted.at(0, 0), 0);
    EXPECT_EQ(inverted.at(39, 0), 1);
    EXPECT_EQ(inverted.at(5, 1), 1);
    // Printable width 10 dots at 300 dpi: 40 pixels shrink to 10, left half black.
    c.run.settings.printable_width = 10;
    Bitmap fitted = print_and_read(c, file, kFormFitWidth);
    ASSERT_EQ(fitted.width, 10);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(fitted.at(x, 0), x < 5 ? 1 : 0) << x;
}

}  // namespace
}  // namespace morvel
