// FORM statements and macro forms: exact printer bytes, the failure messages, and the
// edge cases of the readers and the raster writer.
#include "reformat/forms.h"

#include <gtest/gtest.h>

#include "core/printer_out.h"
#include "language/tree.h"
#include "reformat/image_fax.h"
#include "reformat/image_test_util.h"
#include "reformat/reformat_fixture.h"

namespace morvel {
namespace {

using test::Bitmap;
using test::lit;
using test::ReformatFixture;
using namespace std::string_literals;

const std::string kHeader =
    "\033%-12345X\033E\033&l0S\033&l0O\033&l26A"
    "\0339\033&l0E\033&u300D\033*v0T\033*c100G\033*v0n0O\033*p0x0Y"
    "\033&f200y0X\033(8O\033(s1070Te\033&f1X";
const std::string kDefaultFont = "\033(s0p10.000000h0s0b4099T\033&d@";

// 10 x 2 pixels: row 0 black from 0 to 3, row 1 black at 9.
Bitmap small_picture() {
    Bitmap b{10, 2, std::vector<std::uint8_t>(20, 0)};
    for (int x = 0; x < 4; ++x) b.pixels[static_cast<std::size_t>(x)] = 1;
    b.pixels[19] = 1;
    return b;
}

FormDefinition definition(const std::string& x, const std::string& y, const std::string& name,
                          const std::string& flags = "0", int macro = -1) {
    FormDefinition f;
    f.x = lit(x);
    f.y = lit(y);
    f.resolution = lit("300");
    f.name = lit(name);
    f.flags = lit(flags);
    f.macro_number = macro;
    return f;
}

std::unique_ptr<Statement> form_statement(FormDefinition f) {
    auto st = std::make_unique<Statement>();
    st->kind = Tok::FORM;
    st->payload = FormStatement{std::move(f)};
    return st;
}

TEST(Forms, FormStatementKnownAnswer) {
    ReformatFixture b;
    std::string file = b.c.dir.write("s.pcx", test::make_pcx(small_picture(), 1));
    auto p = test::printer_program();
    p->statements = test::list(form_statement(definition("100", "200", file)));
    ASSERT_EQ(b.run_program(*p), 0);
    EXPECT_EQ(b.contents(), kHeader + kDefaultFont +
                                "\033&l0O\0339\033&l0E\033*r0F\033*p100x200Y"
                                "\033*t300R\033*r10S\033*r1A\033*b0M"
                                "\033*b2W\xf0\x00\033*b2W\x00\x40\033*rC\f"s);
    EXPECT_EQ(b.variable("last_y"), "200");
}

TEST(Forms, MacroFormKnownAnswer) {
    ReformatFixture b;
    std::string file = b.c.dir.write("s.pcx", test::make_pcx(small_picture(), 1));
    auto p = test::printer_program();
    p->macro_forms.push_back(definition("-30000", "-30000", file, "1", 110));
    p->macro_forms.push_back(definition("0", "0", file, "0", 5));
    ASSERT_EQ(b.run_program(*p), 0);
    const std::string raster = "\033&l0O\0339\033&l0E\033*r0F";
    EXPECT_EQ(
        b.contents(),
        kHeader + "\033&f110Y\033&f0X" + raster +
            "\033*t300R\033*r10S\033*r1A\033*b1M"
            "\033*b4W\x00\xf0\x00\x00\033*b4W\x00\x00\x00\x40\033*rC\033&f1X\033&f110Y\033&f10X"s +
            "\033&f5Y\033&f0X" + raster +
            "\033*p0x0Y\033*t300R\033*r10S\033*r1A\033*b0M"
            "\033*b2W\xf0\x00\033*b2W\x00\x40\033*rC\033&f1X\033&f5Y\033&f10X"s +
            kDefaultFont + "\033&f110y2X\f");
}

// A little-endian TIFF of one strip holding data.
std::string tiff_file(int width, int height, int compression, const std::string& data,
                      int photometric = 0) {
    std::string t = "II*\0\x08\0\0\0"s;
    auto put16 = [&](unsigned v) {
        t += static_cast<char>(v & 0xFF), t += static_cast<char>(v >> 8);
    };
    auto put32 = [&](unsigned long v) {
        put16(static_cast<unsigned>(v & 0xFFFF)), put16(static_cast<unsigned>(v >> 16));
    };
    const unsigned entries[][2] = {{256, static_cast<unsigned>(width)},
                                   {257, static_cast<unsigned>(height)},
                                   {259, static_cast<unsigned>(compression)},
                                   {262, static_cast<unsigned>(photometric)},
                                   {273, 8 + 2 + 6 * 12 + 4},
                                   {279, static_cast<unsigned>(data.size())}};
    put16(6);
    for (const auto& e : entries) put16(e[0]), put16(4), put32(1), put32(e[1]);
    put32(0);
    return t + data;
}

// Bits written as '0' and '1' packed into bytes, most significant first.
std::string bits(const std::string& s) {
    std::string out((s.size() + 7) / 8, '\0');
    for (std::size_t i = 0; i < s.size(); ++i)
        if (s[i] == '1') out[i / 8] |= static_cast<char>(0x80 >> (i % 8));
    return out;
}

TEST(Forms, ReaderEdgeCases) {
    struct Case {
        const char* what;
        std::string file;
        std::vector<std::string> rows;
    } cases[] = {
        {"packbits: 128 skipped, 255 0 gives two zeros, 17 pixels in 3 bytes",
         tiff_file(17, 2, 32773, "\x80\xff\x00\x00\xab\x02\x01\x02\x03"s),
         {"\0\0\x80"s, "\x01\x02\0"s}},
        {"g3 row of white 1728 (make-up 1728, terminating 0)",
         tiff_file(1728, 1, 3,
                   bits("000000000001"
                        "010011011"
                        "00110101")),
         {std::string(216, '\0')}},
        {"g4 row of vertical-0 codes repeats the reference line",
         tiff_file(8, 2, 4,
                   bits("001"
                        "1000"
                        "11"
                        "1"
                        "111")),
         {"\x18", "\x18"}},
        {"g4 at the widest row, 15000 pixels",
         tiff_file(15000, 1, 4, bits("1")),
         {std::string(1875, '\0')}},
        {"pcx of width 100 sends 13 bytes with white padding",
         test::make_pcx(Bitmap{100, 1, std::vector<std::uint8_t>(100, 1)}, 1),
         {std::string(12, '\xff') + "\xf0"}},
    };
    for (const Case& k : cases) {
        test::CapturedRun c;
        std::string path = c.dir.write("f", k.file);
        std::FILE* f = std::fopen(c.dir.file("out").c_str(), "wb");
        PclOut out(f);
        FormRequest form;
        form.x = form.y = kAtCursor;
        print_form(c.run, out, form, path);
        std::fclose(f);
        auto rows = test::raster_rows(test::read_file(c.dir.file("out")));
        std::vector<std::string> got;
        for (const auto& r : rows) got.emplace_back(r.begin(), r.end());
        EXPECT_EQ(got, k.rows) << k.what;
        EXPECT_EQ(c.run.MEMORY_ERROR, 0) << k.what << c.console();
    }
}

// An 8-bit PCX whose palette marker is not 12.
std::string bad_palette() {
    std::string pcx = test::make_pcx(Bitmap{2, 1, {0, 1}}, 8);
    pcx[pcx.size() - 769] = 0;
    return pcx;
}

TEST(Forms, FailureMessages) {
    struct Case {
        const char* file;  // written unless empty
        std::string bytes;
        const char* x;
        bool run_after_errors;
        std::string console;  // with the file's path for %s
    } cases[] = {
        {"", "", "0", false, "Unable to open graphic file >%s<\n"},
        {"", "", "0", true, ""},
        {"t.txt", "hello", "0", false, ""},
        {"s.pcx", "\x0a\x05\x01\x01", "0", false, "Error reading the header for >%s<\n\n"},
        {"p.pcx", bad_palette(), "0", false, "Error reading palette for PCX file >%s<\n"},
        {"deep.bmp", "BM" + std::string(26, '\0') + "\x18" + std::string(40, '\0'), "0", false, ""},
        {"d.tif", "II*\0\xff\0\0\0"s, "0", false,
         "cannot seek to directory\nUnable to read TIFF file header for %s\n"},
        {"u.tif", tiff_file(8, 1, 1, "\0"s), "0", false,
         "Morvel only understands Group III Fax files,\n  Group IV Fax files,\n  or 'pack_bits' "
         "files.\n"},
        {"z.tif", tiff_file(8, 1, 4, "\0\0\0"s), "0", false,
         "***** find_code_word: 000000000000 at 87 (line 0) is a non-existant child\n\n"},
        {"w.tif", tiff_file(15001, 1, 4, bits("1")), "0", false,
         "Unsupported TIFF format\nUnable to read TIFF file header for %s\n"},
        {"n.pcx", "", "-5", false, "Negative coordinate passed to form command %s\n"},
    };
    for (const Case& k : cases) {
        ReformatFixture b;
        b.run.options.run_after_errors = k.run_after_errors;
        std::string path = *k.file ? b.c.dir.write(k.file, k.bytes) : b.c.dir.file("missing.pcx");
        auto p = test::printer_program();
        p->statements = test::list(form_statement(definition(k.x, "0", path)));
        b.run_program(*p);
        std::string want = k.console;
        if (auto at = want.find("%s"); at != std::string::npos) want.replace(at, 2, path);
        EXPECT_EQ(b.c.console(), want) << path;
        EXPECT_EQ(b.run.MEMORY_ERROR, want.empty() ? 0 : 1) << path;
        // A failed reader may have started the raster; nothing was drawn otherwise.
        if (std::string(k.file) != "z.tif") {
            EXPECT_EQ(b.contents().find("\033*r0F"), std::string::npos) << path;
        }
    }
}

TEST(Forms, RasterRowRules) {
    EXPECT_TRUE(fax_code_tables_are_prefix_free());
    std::vector<std::uint8_t> coded;
    compress_method1(std::vector<std::uint8_t>(300, 0xff), coded);
    EXPECT_EQ(coded, (std::vector<std::uint8_t>{255, 255, 43, 255}));
    std::array<std::uint8_t, 768> palette{};
    for (int i = 0; i < 3; ++i)
        palette[static_cast<std::size_t>(i)] = 200, palette[static_cast<std::size_t>(3 + i)] = 100;
    std::vector<std::uint8_t> mono;
    convert_to_mono(std::vector<std::uint8_t>{0, 1, 0, 1, 1, 1, 1, 1, 1, 0}, palette, mono);
    EXPECT_EQ(mono, (std::vector<std::uint8_t>{0x5f, 0x80}));
    finish_mono_row(mono, 9, true);
    EXPECT_EQ(mono, (std::vector<std::uint8_t>{0xa0, 0x00}));

    test::TempDir dir;
    std::FILE* f = std::fopen(dir.file("g").c_str(), "wb");
    PclOut out(f);
    std::array<std::uint8_t, 64> glyph{};
    glyph[0] = 0x81;
    write_raster_glyph(out, true, glyph);
    std::fclose(f);
    std::string rows = "\033*b2W\x81\0"s;
    for (int r = 1; r < 32; ++r) rows += "\033*b2W\0\0"s;
    EXPECT_EQ(test::read_file(dir.file("g")),
              "\033*p0P\033*r1U\033*t300R\033*r1A" + rows + "\033*rB\033*p1P");
}

TEST(Forms, ColourRasterSendsPaletteAndIndices) {
    test::CapturedRun c;
    std::string path = c.dir.write("c.pcx", test::make_pcx(Bitmap{3, 1, {1, 0, 1}}, 8));
    std::FILE* f = std::fopen(c.dir.file("out").c_str(), "wb");
    PclOut out(f);
    FormRequest form;
    form.x = form.y = kAtCursor;
    form.flags = kFormColourSetup | kFormColourSpace0;
    form.colour = true;
    print_form(c.run, out, form, path);
    std::fclose(f);
    std::string pcl = test::read_file(c.dir.file("out"));
    const std::string start =
        "\033&l0O\0339\033&l0E\033*r0F\033*p0P\033*v6W\0\x01\x08\x08\x08\x08"
        "\033*o3W\x06\x04\x06\033*t18J\033*v0a0b0c0I"s;
    EXPECT_EQ(pcl.substr(0, start.size()), start);
    EXPECT_NE(pcl.find("\033*v255a255b255c255I\033*t150R\033*r3S\033*r1A\033*b0M"
                       "\033*b3W\x14\xe6\x14\033*rC\033*p1P"),
              std::string::npos);
}

TEST(Forms, TextKindsDrawNoForm) {
    ReformatFixture b;
    auto p = test::text_program(3, 1);
    p->macro_forms.push_back(definition("0", "0", b.c.dir.file("missing.pcx"), "0", 110));
    p->statements = test::list(form_statement(definition("0", "0", b.c.dir.file("missing.pcx"))));
    b.run_program(*p);
    EXPECT_EQ(b.c.console(), "");
    EXPECT_EQ(b.contents().find('\033'), std::string::npos);
}

}  // namespace
}  // namespace morvel
