// Which built-in face a request gets when the printer has no face of exactly that
// typeface, style and stroke weight (style before weight before typeface), and how far
// its characters advance.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "render/fonts.h"
#include "render_support.h"

namespace morvel {
namespace {

struct Wanted {
    bool proportional;
    long typeface, style, weight;
    double pitch;
};
struct Got {
    long typeface, style, weight;
};

render::FontRequest request_of(const Wanted& w) {
    render::FontRequest r;
    r.proportional = w.proportional;
    r.typeface = w.typeface;
    r.style = w.style;
    r.weight = w.weight;
    r.pitch = w.pitch;
    return r;
}

TEST(FontSelection, WeightIsMatchedAmongAllFacesBeforeTypeface) {
    struct Case {
        Wanted wanted;
        Got got;
    };
    const std::vector<Case> cases = {
        {{true, 4101, 0, 0, 0}, {4101, 0, 0}},  // a face of its own
        {{true, 4101, 0, 3, 0}, {4101, 0, 3}},
        {{true, 4101, 0, 6, 0}, {4362, 0, 4}},  // heavier than any: the heaviest
        {{true, 4101, 0, 7, 0}, {4362, 0, 4}},
        {{true, 4101, 0, 1, 0}, {4362, 0, 1}},     // the only face of weight 1
        {{true, 4101, 0, 2, 0}, {24607, 0, 2}},    // of two, the lower typeface number
        {{true, 24623, 0, 2, 0}, {24623, 0, 2}},   // unless the typeface has the weight
        {{true, 4101, 0, -3, 0}, {24623, 0, -3}},  // light: the one light face
        {{true, 4101, 0, -1, 0}, {24623, 0, -3}},  // thinner rather than nearer
        {{true, 4101, 0, -7, 0}, {24623, 0, -3}},  // none thinner: the next heavier
        {{true, 4362, 0, 0, 0}, {4101, 0, 0}},     // albertus has no medium weight
        {{true, 4362, 0, 3, 0}, {4101, 0, 3}},
        {{true, 24623, 0, 3, 0}, {4101, 0, 3}},  // nor bookman a bold
        {{true, 4148, 0, 6, 0}, {4362, 0, 4}},
        {{true, 52, 0, 3, 0}, {4148, 0, 3}},  // typefaces match without vendor bits
        // Style first: italic requests choose among the italic faces.
        {{true, 4101, 1, 6, 0}, {4101, 1, 3}},
        {{true, 4148, 1, 6, 0}, {4148, 1, 3}},
        {{true, 4101, 1, 1, 0}, {24607, 1, 2}},
        {{true, 4101, 1, -3, 0}, {24623, 1, -3}},
        {{true, 4116, 0, 0, 0}, {4101, 0, 0}},  // coronet is italic only
        {{true, 4101, 4, 3, 0}, {4140, 4, 3}},  // condensed bold: clarendon
        {{true, 4148, 4, 3, 0}, {4148, 4, 3}},
        {{true, 4101, 2, 0, 0}, {4101, 0, 0}},   // a style no face has: upright
        {{true, 4101, 33, 0, 0}, {4101, 1, 0}},  // structure does not part faces
        // Fixed pitch: courier and letter gothic come in two weights; the line printer
        // face only at its own pitch and weight.
        {{false, 4099, 0, -3, 10}, {4099, 0, 0}},
        {{false, 4099, 0, 6, 10}, {4099, 0, 3}},
        {{false, 4102, 1, 3, 10}, {4099, 1, 3}},
        {{false, 4102, 0, 2, 10}, {4102, 0, 3}},
        {{false, 0, 0, 0, 10}, {4099, 0, 0}},
        {{false, 0, 0, 0, 16.67}, {0, 0, 0}},
        {{false, 0, 0, 3, 16.67}, {4099, 0, 3}},
        // A proportional request never gets a fixed-pitch face.
        {{true, 4099, 0, 0, 0}, {4101, 0, 0}},
    };
    for (const Case& c : cases) {
        const render::BuiltinFace& f = render::select_builtin_face(request_of(c.wanted));
        EXPECT_EQ(f.typeface, c.got.typeface)
            << c.wanted.typeface << " s" << c.wanted.style << " w" << c.wanted.weight;
        EXPECT_EQ(f.style, c.got.style) << c.wanted.typeface << " w" << c.wanted.weight;
        EXPECT_EQ(f.weight, c.got.weight) << c.wanted.typeface << " s" << c.wanted.style;
        EXPECT_EQ(f.proportional, c.wanted.proportional) << c.wanted.typeface;
    }
}

// The left edge of the one-dot rule that starts at or after `from` on row `y`.
int rule_at(const render::ImageDevice& d, int from, int y) {
    for (int x = from; x < d.width(); ++x)
        if (d.ink(x, y)) return x;
    return -1;
}

// Two one-dot rules hanging 100 units below the text, the lowest ink of the page: the
// pixels from the left edge of the first to that of the second (-1: not found).
const std::string kRule = "\033*p+100Y\033*c1a30b0P\033*p-100Y";
int rules_apart(const render::ImageDevice& d) {
    int row = std::min(d.height() - 1, 1000);  // below the rules at 300 dpi
    while (row > 0 && rule_at(d, 0, row) < 0) --row;
    row -= 15;
    const int start = rule_at(d, 0, row);
    if (start < 0) return -1;
    int past = start;
    while (past < d.width() && d.ink(past, row)) ++past;
    const int end = rule_at(d, past, row);
    return end < 0 ? -1 : end - start;
}

TEST(FontSelection, TextAdvancesAsTheChosenFace) {
    // "ma " five times at 40 points, between two rules: its advance in ems is the sum of
    // the chosen face's m, a and space.
    struct Case {
        const char* font;
        double em;
    };
    const std::vector<Case> cases = {
        {"\033(s1p40v0s0b4101T", 0.7744 + 0.4425 + 0.2950},  // CG Times
        {"\033(s1p40v0s6b4101T", 0.8851 + 0.4979 + 0.3688},  // albertus extra bold
        {"\033(s1p40v0s7b4101T", 0.8851 + 0.4979 + 0.3688},
        {"\033(s1p40v0s1b4101T", 0.8298 + 0.4610 + 0.3135},  // albertus medium
        {"\033(s1p40v0s-3b4101T", 0.940 + 0.580 + 0.320},    // bookman light
        {"\033(s1p40v1s-3b4101T", 0.880 + 0.620 + 0.300},    // bookman light italic
        {"\033(s1p40v1s1b4101T", 0.940 + 0.660 + 0.280},     // avant garde demi oblique
        {"\033(s1p40v0s0b4362T", 0.7744 + 0.4425 + 0.2950},  // CG Times
        {"\033(s1p40v1s6b4148T", 0.8667 + 0.5347 + 0.3319},  // univers bold italic
    };
    const double units_per_em = 40.0 / 72 * 300;
    for (const Case& c : cases) {
        test::Rendered r(300);
        std::string job = test::kSetup + "\033(19U" + c.font + "\033*p100x600Y" + kRule;
        for (int i = 0; i < 5; ++i) job += "ma ";
        test::render_bytes(r, job + kRule);
        EXPECT_NEAR(rules_apart(r.device) / (5 * units_per_em), c.em, 0.003) << c.font + 1;
    }
}

TEST(FontSelection, FixedPitchAdvancesByWholeDots) {
    // Ten characters, or a move to column ten, between two rules, at 300 dpi.
    struct Case {
        const char* pitch;
        int dots;  // per character
    };
    const std::vector<Case> cases = {
        {"10", 30}, {"24", 13}, {"17", 18}, {"9", 33}, {"7", 43}, {"16.67", 18},
    };
    for (const Case& c : cases) {
        for (const std::string& move : {std::string(10, 'i'), std::string("\033&a10C")}) {
            test::Rendered r(300);
            test::render_bytes(r, test::kSetup + "\033(19U\033(s0p" + c.pitch +
                                      "h0s0b4099T\033*p0x600Y" + kRule + move + kRule);
            EXPECT_EQ(rules_apart(r.device), 10 * c.dots)
                << c.pitch << (move[0] == 'i' ? " text" : " column");
        }
    }
}

}  // namespace
}  // namespace morvel
