// Downloaded fonts: bitmap characters (plain and compressed, in blocks), TrueType
// characters, selection by ID and by attributes, font control and the memory cap.
#include <ft2build.h>
#include <gtest/gtest.h>
#include FT_FREETYPE_H

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "render/soft_fonts.h"
#include "render_support.h"

namespace morvel {
namespace {

using namespace std::string_literals;

using test::ink_in;
using test::kLeft;
using test::kSetup;

void put16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>(v >> 8 & 0xFF);
    s[at + 1] = static_cast<char>(v & 0xFF);
}

std::string be16(unsigned v) {
    std::string s(2, '\0');
    put16(s, 0, v);
    return s;
}

std::string be32(unsigned long v) {
    return be16(static_cast<unsigned>(v >> 16)) + be16(static_cast<unsigned>(v & 0xFFFF));
}

// A bitmap font header: 300 dpi, symbol set 8U, typeface 4148, fixed pitch 10 or
// proportional, 12 points high.
std::string bitmap_header(bool proportional = false) {
    std::string h(64, '\0');
    put16(h, 0, 64);
    h[2] = 0;         // format: bitmap
    h[3] = 1;         // 8-bit font
    put16(h, 6, 50);  // baseline
    put16(h, 8, 60);  // cell
    put16(h, 10, 70);
    h[13] = proportional ? 1 : 0;     // spacing
    put16(h, 14, 8 * 32 + 'U' - 64);  // 8U
    put16(h, 16, 30 * 4);             // pitch: 30 dots, 10 characters per inch
    put16(h, 18, 50 * 4);             // height: 50 dots, 12 points
    h[25] = static_cast<char>(4148 & 0xFF);
    h[26] = static_cast<char>(4148 >> 8);
    return h;
}

// A character descriptor: format 4, class `cls`, `w` x `h` dots whose reference
// point is at the image's lower left, advancing `w` dots.
std::string bitmap_descriptor(int cls, int w, int h, int continuation = 0) {
    std::string d(16, '\0');
    d[0] = 4;
    d[1] = static_cast<char>(continuation);
    d[2] = 14;
    d[3] = static_cast<char>(cls);
    put16(d, 6, 0);
    put16(d, 8, static_cast<unsigned>(h));
    put16(d, 10, static_cast<unsigned>(w));
    put16(d, 12, static_cast<unsigned>(h));
    put16(d, 14, static_cast<unsigned>(w * 4));
    return d;
}

// A solid 60 x 60 dot square: class 1 rows of bytes, class 2 one row repeated.
std::string square_class1() {
    std::string rows;
    for (int y = 0; y < 60; ++y) rows += std::string(7, '\xff') + "\xf0"s;
    return bitmap_descriptor(1, 60, 60) + rows;
}
std::string square_class2() {
    return bitmap_descriptor(2, 60, 60) + "\x3b\x00\x3c"s;  // 59 repeats, 0 paper, 60 ink
}

std::string download(int id, const std::string& header) {
    return "\033*c" + std::to_string(id) + "D\033)s" + std::to_string(header.size()) + "W" + header;
}
std::string character(int code, const std::string& block) {
    return "\033*c" + std::to_string(code) + "E\033(s" + std::to_string(block.size()) + "W" + block;
}

// The square drawn at (300, 300) dots fills 20 x 20 pixels above and right of it.
int square_ink(const render::ImageDevice& d) {
    const int x = static_cast<int>(100 + kLeft);
    return ink_in(d, x, 80, x + 20, 100);
}

TEST(SoftFonts, BitmapCharactersPrintAsDownloaded) {
    struct Case {
        const char* name;
        std::string job;
        bool square;          // the square prints
        const char* message;  // nullptr: nothing reported
    };
    const std::string font = download(5, bitmap_header()) + character('A', square_class1());
    const std::string at = "\033*p300x300Y";
    const std::string first_half = square_class1().substr(0, 16 + 30 * 8);
    std::string rest = square_class1().substr(16 + 30 * 8);
    const std::vector<Case> cases = {
        {"class 1 by ID", font + "\033(5X" + at + "A", true, nullptr},
        {"class 2 by ID",
         download(5, bitmap_header()) + character('A', square_class2()) + "\033(5X" + at + "A",
         true, nullptr},
        {"a character in two blocks",
         download(5, bitmap_header()) + character('A', first_half) + "\033(s" +
             std::to_string(rest.size() + 2) + "W\x04\x01"s + rest + "\033(5X" + at + "A",
         true, nullptr},
        {"chosen by its attributes", font + "\033(8U\033(s0p10h0s0b4148T" + at + "A", true,
         nullptr},
        {"attributes it lacks choose a built-in font",
         font + "\033(8U\033(s0p10h0s3b4148T" + at + "A", false, nullptr},
        {"attributes after the ID choose again", font + "\033(5X\033(s3B" + at + "A", false,
         nullptr},
        {"deleted font", font + "\033(5X\033*c2F" + at + "A", false, nullptr},
        {"deleted character", font + "\033(5X\033*c65E\033*c3F" + at + "A", false,
         "font 5 has no character for byte 65"},
        {"a reset drops a temporary font", font + "\033E\033(5X" + at + "A", false,
         "font 5 was not downloaded"},
        {"a permanent font stays after a reset",
         font + "\033*c5F\033E\033&l26A\033&l0E\033(5X" + at + "A", true, nullptr},
        {"secondary font after shift out",
         font + "\033)5X" + at +
             "\x0e"
             "A",
         true, nullptr},
        {"shift in prints the primary font",
         font + "\033)5X" + at +
             "\x0e\x0f"
             "A",
         false, nullptr},
        {"character of an unknown font", character('A', square_class1()), false,
         "character for font 0, which was not downloaded"},
        {"short header", "\033*c5D\033)s10W0123456789", false, "font header too short"},
        {"unknown class", download(5, bitmap_header()) + character('A', bitmap_descriptor(9, 4, 4)),
         false, "bitmap character (format 4, class 9) not read"},
    };
    for (const Case& c : cases) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + c.job);
        // A built-in A covers far less of the square.
        if (c.square)
            EXPECT_GE(square_ink(r.device), 380) << c.name;
        else
            EXPECT_LT(square_ink(r.device), 250) << c.name;
        const std::string& text = r.problems.text();
        if (c.message)
            EXPECT_NE(text.find(c.message), std::string::npos) << c.name << ": " << text;
        else
            EXPECT_EQ(r.problems.count(), 0u) << c.name << ": " << text;
    }
}

TEST(SoftFonts, AdvanceByPitchOrByCharacterWidth) {
    struct Case {
        bool proportional;
        int second_x;  // pixel where the second square starts
    };
    // Fixed pitch 10: 30 dots a character; proportional: the square's own 60 dots.
    for (const Case& c : std::vector<Case>{{false, 110}, {true, 120}}) {
        test::Rendered r(100);
        test::render_bytes(r, kSetup + download(1, bitmap_header(c.proportional)) +
                                  character('A', square_class2()) + "\033(1X\033*p300x300YAA");
        const int x = static_cast<int>(c.second_x + kLeft);
        EXPECT_GE(ink_in(r.device, x + 1, 80, x + 19, 100), 17 * 20) << c.proportional;
        EXPECT_EQ(ink_in(r.device, x + 21, 80, x + 40, 100), 0) << c.proportional;
    }
}

TEST(SoftFonts, MemoryCapDropsWhatExceedsIt) {
    render::SoftFonts fonts(2000);
    EXPECT_EQ(fonts.define_font(1, bitmap_header()), "");
    EXPECT_EQ(fonts.define_character(1, 'A', square_class2()), "");  // 8 bytes a row
    std::string error;
    ASSERT_NE(fonts.glyph(1, 'A', error), nullptr);
    // Held as downloaded until printed, then as its image: either counts.
    std::string big = bitmap_descriptor(1, 200, 200) + std::string(25 * 200, '\xff');
    EXPECT_NE(fonts.define_character(1, 'B', big).find("exceed 2000 bytes"), std::string::npos);
    EXPECT_EQ(fonts.find(1)->glyphs.count('B'), 0u);
    std::string wide = bitmap_descriptor(2, 1000, 1000) + "\x00\x00"s;  // small until decoded
    EXPECT_EQ(fonts.define_character(1, 'C', wide), "");
    EXPECT_EQ(fonts.glyph(1, 'C', error), nullptr);
    EXPECT_NE(error.find("exceed 2000 bytes"), std::string::npos);
    const std::size_t held = fonts.bytes();
    EXPECT_LE(held, 2000u);
    // Deleting gives the room back.
    EXPECT_TRUE(fonts.control(0, 0, 0));
    EXPECT_EQ(fonts.bytes(), 0u);
    EXPECT_FALSE(fonts.control(7, 0, 0));
}

TEST(SoftFonts, CompressedRowsMatchPlainOnes) {
    // A 12-dot-wide character: rows "ink 3, paper 4, ink 5" twice, then one of paper.
    std::string plain = bitmap_descriptor(1, 12, 3);
    plain += "\xe1\xf0\xe1\xf0\x00\x00"s;
    std::string packed = bitmap_descriptor(2, 12, 3) + "\x01\x00\x03\x04\x05\x00\x0c"s;
    render::SoftGlyph a, b;
    ASSERT_TRUE(render::decode_bitmap_character(plain, a));
    ASSERT_TRUE(render::decode_bitmap_character(packed, b));
    EXPECT_EQ(a.bits, b.bits);
    // Runs past the width are cut at it; a row cut short leaves the rest blank.
    std::string wild = bitmap_descriptor(2, 12, 3) + "\x05\x00\xff\xff"s;
    ASSERT_TRUE(render::decode_bitmap_character(wild, b));
    EXPECT_EQ(b.height, 3);
    EXPECT_FALSE(render::decode_bitmap_character(bitmap_descriptor(1, 20000, 2), b));
    EXPECT_EQ(render::check_bitmap_character(bitmap_descriptor(1, 16000, 16000)),
              "bitmap character of 16000 x 16000 dots is too large");
}

// A TrueType font made the way drivers download one: the tables of a font file in
// the header, each character's outline in a character block.
std::string truetype_job(const std::string& path, const std::string& text, int id) {
    std::ifstream in(path, std::ios::binary);
    std::string file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u16 = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(file[i]) << 8 |
                                     static_cast<unsigned char>(file[i + 1]));
    };
    auto u32 = [&](std::size_t i) { return static_cast<unsigned long>(u16(i)) << 16 | u16(i + 2); };
    std::map<std::string, std::pair<unsigned long, unsigned long>> tables;
    for (unsigned i = 0; i < u16(4); ++i) {
        std::size_t e = 12 + 16 * i;
        tables[file.substr(e, 4)] = {u32(e + 8), u32(e + 12)};
    }
    // The header's tables: a directory and the tables a scaler needs.
    std::vector<std::string> keep = {"cvt ", "fpgm", "head", "hhea", "hmtx", "maxp", "prep"};
    std::string dir =
        be32(0x00010000) + be16(static_cast<unsigned>(keep.size())) + std::string(6, '\0');
    std::string body;
    std::size_t offset = 12 + 16 * keep.size();
    for (const std::string& tag : keep) {
        auto [at, len] = tables.at(tag);
        dir += tag + be32(0) + be32(offset + body.size()) + be32(len);
        body += file.substr(at, len);
        while (body.size() % 4) body += '\0';
    }
    const std::string gt = dir + body;
    std::string h(72, '\0');
    put16(h, 0, 72);
    h[2] = 15;
    h[3] = 1;
    h[13] = 1;
    put16(h, 14, 8 * 32 + 'U' - 64);
    put16(h, 64, u16(tables.at("head").first + 18));  // units per em
    h += "GT" + be16(static_cast<unsigned>(gt.size())) + gt + "\xff\xff\x00\x00"s + "\0\0"s;
    std::string job = download(id, h);
    // Outlines through the file's own loca and cmap, found with FreeType.
    FT_Library lib;
    FT_Face face;
    EXPECT_EQ(FT_Init_FreeType(&lib), 0);
    EXPECT_EQ(FT_New_Face(lib, path.c_str(), 0, &face), 0);
    const bool long_loca = u16(tables.at("head").first + 50) == 1;
    const unsigned long loca = tables.at("loca").first, glyf = tables.at("glyf").first;
    for (char ch : text) {
        unsigned g = FT_Get_Char_Index(face, static_cast<unsigned char>(ch));
        unsigned long from = long_loca ? u32(loca + 4 * g) : 2ul * u16(loca + 2 * g);
        unsigned long to = long_loca ? u32(loca + 4 * g + 4) : 2ul * u16(loca + 2 * g + 2);
        std::string outline = file.substr(glyf + from, to - from);
        std::string block = "\x0f\x00\x02\x0f"s + be16(static_cast<unsigned>(outline.size() + 4)) +
                            be16(g) + outline + "\0\0"s;
        job += character(static_cast<unsigned char>(ch), block);
    }
    FT_Done_Face(face);
    FT_Done_FreeType(lib);
    return job;
}

TEST(SoftFonts, TrueTypeCharactersPrintInTheirOutlines) {
    const std::string path = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
    if (!std::filesystem::exists(path)) GTEST_SKIP() << "no " << path;
    test::Rendered r(100);
    test::render_bytes(
        r, kSetup + truetype_job(path, "HIL", 9) + "\033(s1p72V\033(9X\033*p300x600YHIL");
    EXPECT_EQ(r.problems.count(), 0u) << r.problems.text();
    // 72-point capitals stand about 0.73 inch on the baseline at y = 200.
    const int x = static_cast<int>(100 + kLeft);
    EXPECT_GT(ink_in(r.device, x, 135, x + 130, 200), 1500);
    EXPECT_EQ(ink_in(r.device, x, 100, x + 130, 125), 0);
    // The H's two stems and the gap between them.
    EXPECT_GT(ink_in(r.device, x + 12, 150, x + 20, 190), 300);
    EXPECT_EQ(ink_in(r.device, x + 26, 135, x + 50, 155), 0);
}

TEST(SoftFonts, MalformedHeadersAreRefused) {
    auto scalable = [](int format, const std::string& segments) {
        std::string h(72, '\0');
        put16(h, 0, 72);
        h[2] = static_cast<char>(format);
        return h + segments;
    };
    struct Case {
        const char* name;
        std::string header;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {"Intellifont", scalable(10, ""), "font header format 10 is not drawn"},
        {"segment size cut short (format 16)", scalable(16, "GT\0\0"s),
         "font header segment runs past the header"},
        {"segment longer than the header", scalable(15, "GT\x10\x00"s + "abc"),
         "font header segment runs past the header"},
        {"no segments", scalable(15, "\xff\xff\0\0"s),
         "scalable font header without TrueType tables"},
        {"bitmap header too short", std::string(63, '\0'), "font header too short"},
    };
    for (const Case& c : cases) {
        render::SoftFonts fonts;
        EXPECT_EQ(fonts.define_font(1, c.header), c.problem) << c.name;
        EXPECT_EQ(fonts.find(1), nullptr) << c.name;
        EXPECT_EQ(fonts.bytes(), 0u) << c.name;
    }
}

TEST(SoftFonts, BrokenTrueTypeFallsBackWithAReport) {
    std::string h(72, '\0');
    put16(h, 0, 72);
    h[2] = 15;
    h += "GT" + be16(12) + std::string(12, '\0') + "\xff\xff\x00\x00"s;
    test::Rendered r(100);
    test::render_bytes(r, kSetup + download(3, h) +
                              character('A', "\x0f\x00\x02\x0f\x00\x06\x00\x01\x00\x00"s) +
                              "\033(3X\033*p300x300YA");
    EXPECT_NE(r.problems.text().find("font 3 is printed in a built-in font"), std::string::npos)
        << r.problems.text();
    EXPECT_GT(ink_in(r.device, 0, 0, r.device.width(), r.device.height()), 0);
}

}  // namespace
}  // namespace morvel
