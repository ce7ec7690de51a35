// Typefaces to URW families and symbol sets to characters.
#include "render/fonts.h"

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "render/device.h"
#include "render_support.h"

namespace morvel {
namespace {

using render::Family;

TEST(RenderFonts, TypefacesMapToTheirUrwFamilies) {
    struct Case {
        long typeface;
        bool proportional;
        Family family;
    };
    const std::vector<Case> cases = {
        {4099, false, Family::Mono},   // courier
        {0, false, Family::Mono},      // line printer
        {4148, true, Family::Sans},    // univers
        {16602, true, Family::Sans},   // arial
        {4101, true, Family::Serif},   // times
        {16901, true, Family::Serif},  // times new
        {4197, true, Family::Serif},   // garamond
        {16686, true, Family::Symbol},
        {31402, true, Family::Dingbats},
        {4148, false, Family::Mono},  // a fixed-pitch request is always drawn fixed
        {-5, true, Family::Serif},    // negative numbers count by their size
        // Spacing before typeface: a proportional request of a fixed-only typeface, or of
        // one the printer lacks, gets the default proportional face.
        {4099, true, Family::Serif},
        {0, true, Family::Serif},
        {9999, true, Family::Serif},
        {24580, true, Family::Sans},  // helvetica
    };
    for (const Case& c : cases)
        EXPECT_EQ(render::family_for(c.typeface, c.proportional), c.family) << c.typeface;
}

TEST(RenderFonts, SymbolSetsGiveTheirCharacters) {
    struct Case {
        const char* set;
        unsigned char byte;
        char32_t character;
        bool known;
    };
    const std::vector<Case> cases = {
        {"8U", 'A', U'A', true},
        {"8U", 0xC5, U'\u00E9', true},  // Roman-8 e acute
        {"0N", 0xE9, U'\u00E9', true},
        {"19U", 0x80, U'\u20AC', true},  // euro in 1252
        {"10U", 0x82, U'\u00E9', true},
        {"12U", 0x9C, U'\u00A3', true},
        {"2N", 0xA3, U'\u0141', true},
        {"99Q", 0xC5, U'\u00E9', false},  // unknown: Roman-8
        // Sets given as tables: typesetter ligatures, dashes and mathematics.
        {"7J", 0xC0, U'\u2212', true},
        {"7J", 0xAD, U'\uFB01', true},  // minus, fi
        {"7J", 'A', U'A', true},
        {"6J", 0xAB, U'\uFB00', true},  // ff
        {"8M", 'a', U'\u03B1', true},
        {"8M", 0xA2, U'\u2192', true},  // alpha, arrow
        {"10J", 0xD0, U'\u2014', true},
        {"10J", '\'', U'\u2019', true},  // PostScript text
        {"15U", 0x66, U'\u2500', true},
        {"8M", '"', U'\uFFFD', true},
        // The PC-8 family prints symbols for control codes.
        {"10U", 0x10, U'\u25BA', true},
        {"10U", 0x14, U'\u00B6', true},
        {"12U", 0x7F, U'\u2302', true},
        {"0N", 0x10, U'\u0010', true},
        // Where the printer's sets part from the code pages of the same name.
        {"10U", '~', U'\u02DC', true},
        {"0N", '~', U'\u02DC', true},
        {"0N", '^', U'\u02C6', true},
        {"19U", '~', U'~', true},
        {"8U", '~', U'~', true},
        {"8U", '\'', U'\u2019', true},
        {"8U", '`', U'\u2018', true},
        {"99Q", '\'', U'\u2019', false},  // a set the printer lacks prints as Roman-8
        {"2N", '^', U'\u02C6', true},
        {"2N", 0x80, U'\u20AC', true},
        // Windows 3.0 Latin 1: ISO Latin 1 above 159, below it only the euro and quotes.
        {"9U", 0xE9, U'\u00E9', true},
        {"9U", 0x80, U'\u20AC', true},
        {"9U", 0x92, U'\u2019', true},
        {"9U", 0x85, U'\uFFFD', true},
        // PC-858: PC-850 with the euro in place of the dotless i.
        {"13U", 0x84, U'\u00E4', true},
        {"13U", 0xD5, U'\u20AC', true},
        {"13U", '^', U'\u02C6', true},
        // The ISO 7-bit sets: their national letters, nothing above 126.
        {"0U", '\'', U'\u2019', true},
        {"0U", '`', U'\u2018', true},
        {"0U", 0xE9, U'\uFFFD', true},
        {"1E", '#', U'\u00A3', true},
        {"1E", '\'', U'\'', true},
        {"1E", 0xC5, U'\uFFFD', true},
        {"0I", '@', U'\u00A7', true},
        {"0I", '}', U'\u00E8', true},
        {"0I", '`', U'\u00F9', true},
        {"0S", '[', U'\u00C4', true},
        {"0S", '`', U'\u00E9', true},
        {"0S", 0xE9, U'\uFFFD', true},
    };
    for (const Case& c : cases) {
        bool known = !c.known;
        auto table = render::symbol_set_table(c.set, known);
        EXPECT_EQ(table[c.byte], c.character) << c.set << " " << int{c.byte};
        EXPECT_EQ(known, c.known) << c.set;
    }
}

TEST(RenderFonts, EveryFamilyLoadsWithGlyphsForItsLetters) {
    render::FontCache cache;
    for (long typeface : {4099L, 4148L, 4101L}) {
        for (long weight : {0L, 3L}) {
            render::FontRequest request;
            request.proportional = typeface != 4099;
            request.typeface = typeface;
            request.weight = weight;
            std::string error;
            const render::ActiveFont* font = cache.get(request, error);
            ASSERT_NE(font, nullptr) << error;
            EXPECT_NE(font->glyph['A'], 0u) << typeface;
            EXPECT_GT(font->advance['W'], font->advance['i'] * (typeface == 4099 ? 0.99 : 1.5))
                << typeface;
        }
    }
}

TEST(RenderFonts, ProportionalTextAdvancesAsThePrintersOwnTypeface) {
    // Widths in ems of the printer's built-in faces, not of the URW face that draws them:
    // its plus and minus are wider and its comma is wider than Nimbus Roman's.
    struct Case {
        long typeface;
        long weight;
        long style;
        const char* set;
        unsigned char byte;
        double em;
    };
    const std::vector<Case> cases = {
        {4101, 0, 0, "19U", '+', 0.885},
        {4101, 0, 0, "19U", ',', 0.332},
        {4101, 0, 0, "19U", 'a', 0.443},
        {4101, 3, 0, "7J", 0xC0, 0.885},  // bold minus
        {4101, 0, 0, "7J", 0xAD, 0.553},  // fi ligature
        {4101, 0, 0, "10U", '`', 0.498},  // the grave accent, not the open quote
        {4101, 0, 0, "8M", '-', 0.885},   // minus of the mathematics set
        {5, 0, 0, "19U", '+', 0.885},     // the same typeface without its vendor number
        {4148, 0, 0, "19U", 'a', 0.535},
        {4148, 0, 1, "19U", 'W', 0.996},
        {4116, 0, 1, "19U", 'a', 0.332},   // coronet is built in as an italic only
        {4116, 0, 0, "19U", 'a', 0.443},   // so style before typeface: upright CG Times
        {4148, 0, 4, "19U", 'a', 0.406},   // condensed
        {4362, 4, 0, "19U", 'a', 0.498},   // the heavier of two weights of a face
        {9999, 0, 0, "19U", '+', 0.885},   // unknown: the serif default's widths
        {4099, 0, 0, "19U", 'i', 0.277},   // courier asked proportional: the same
        {24580, 0, 0, "19U", 'a', 0.556},  // helvetica shares arial's widths
        {4362, 1, 0, "19U", 'a', 0.461},
        {4362, 7, 0, "19U", 'a', 0.498},  // nearest weight
        // The word space of CG Times and Univers is wider than their tables; Arial's is not.
        {4101, 0, 0, "19U", ' ', 0.296},
        {4101, 3, 1, "19U", ' ', 0.296},
        {4101, 0, 0, "0N", 0xA0, 0.296},
        {9999, 0, 0, "19U", ' ', 0.296},
        {4148, 0, 0, "19U", ' ', 0.332},
        {4148, 3, 0, "19U", ' ', 0.332},
        {16602, 0, 0, "19U", ' ', 0.278},
    };
    render::FontCache cache;
    for (const Case& c : cases) {
        render::FontRequest request;
        request.proportional = true;
        request.typeface = c.typeface;
        request.weight = c.weight;
        request.style = c.style;
        request.symbol_set = c.set;
        std::string error;
        const render::ActiveFont* font = cache.get(request, error);
        ASSERT_NE(font, nullptr) << error;
        EXPECT_NEAR(font->advance[c.byte], c.em, 0.002)
            << c.typeface << " " << c.set << " " << static_cast<int>(c.byte);
    }
    // A face narrower than the URW face that draws it is drawn narrowed; others are not.
    struct Scale {
        long typeface;
        long style;
        double low, high;
    };
    for (const Scale& c :
         std::vector<Scale>{{4101, 0, 1, 1}, {4148, 0, 1, 1}, {4148, 4, 0.7, 0.9}}) {
        render::FontRequest request;
        request.proportional = true;
        request.typeface = c.typeface;
        request.style = c.style;
        std::string error;
        const render::ActiveFont* font = cache.get(request, error);
        ASSERT_NE(font, nullptr) << error;
        EXPECT_GE(font->x_scale, c.low) << c.typeface << " " << c.style;
        EXPECT_LE(font->x_scale, c.high) << c.typeface << " " << c.style;
    }
    // The line printer face (only at its own pitch) is drawn taller than Courier at that
    // pitch; Courier is not.
    for (long typeface : {0L, 4099L}) {
        render::FontRequest request;
        request.typeface = typeface;
        request.pitch = 16.67;
        std::string error;
        const render::ActiveFont* font = cache.get(request, error);
        ASSERT_NE(font, nullptr) << error;
        EXPECT_NEAR(font->y_scale, typeface == 0 ? 8.5 / 7.2 : 1, 1e-9) << typeface;
    }
    // A typeface the printer does not have keeps the widths of the face that draws it.
    EXPECT_EQ(render::printer_metrics_for(4140 + 7, 0, 0), nullptr);
}

TEST(RenderFonts, PngFilesAreNamedByPage) {
    struct Case {
        const char* pattern;
        int page;
        const char* name;
    };
    const std::vector<Case> cases = {
        {"page-%d.png", 3, "page-3.png"}, {"out/p%d-x.png", 12, "out/p12-x.png"},
        {"one.png", 1, "one.png"},        {"one.png", 2, "one-2.png"},
        {"dir.v/one", 2, "dir.v/one-2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(render::PngDevice(c.pattern, 100).file_name(c.page), c.name) << c.pattern;
}

TEST(RenderFonts, TheDingbatSetPrintsWithTheDingbatFaceWhateverTheTypeface) {
    // Only the dingbat face has the set, so a printer takes it, proportional, at the height
    // asked for, whatever typeface, weight and spacing the selection names.
    const std::string text = "\033*p100x200Y\"#$%&()*+\033*p100x400Y" + std::string(10, '!');
    auto ink = [&](const std::string& selection) {
        test::Rendered r(100);
        test::render_bytes(r, test::kSetup + "\033(579L" + selection + text);
        return std::array<int, 2>{test::ink_in(r.device, 0, 0, 800, 110),
                                  test::ink_in(r.device, 0, 110, 800, 180)};
    };
    const std::array<int, 2> dingbats = ink("\033(s1p12v0s0b2730T");
    ASSERT_GT(dingbats[0], 100);
    const char* selections[] = {
        "\033(s0p10h12v0s0b4099T",  // fixed-pitch Courier
        "\033(s1p12v0s0b4101T",     // Times
        "\033(s1p12v0s3b4148T",     // Univers bold
        "\033(s0p16.67h12v0s0b0T",  // line printer
    };
    for (const char* selection : selections) EXPECT_EQ(ink(selection), dingbats) << selection + 1;
}

}  // namespace
}  // namespace morvel
