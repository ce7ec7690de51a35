// HP-GL/2 helpers: label direction, terminator, symbol set and font definition.
#include "reformat/fonts.h"

#include <gtest/gtest.h>

#include "reformat/reformat_fixture.h"

namespace morvel {
namespace {

TEST(Fonts, LabelDirection) {
    struct Case {
        double angle;
        const char* expected;
    } cases[] = {
        {0, "DI1.000000,0.000000;"},    {45, "DI1.000000,1.000000;"},
        {90, "DI0.000000,1.000000;"},   {135, "DI-1.000000,1.000000;"},
        {180, "DI-1.000000,0.000000;"}, {270, "DI0.000000,-1.000000;"},
        {-90, "DI0.000000,-1.000000;"}, {450, "DI0.000000,1.000000;"},
        {3, "DI1.000000,0.000000;"},    {-45, "DI1.000000,-1.000000;"},
    };
    for (const Case& c : cases) EXPECT_EQ(hpgl_direction(c.angle), c.expected) << c.angle;
}

TEST(Fonts, LabelTerminator) {
    std::string all_but_tilde;
    for (int code = 33; code < 126; ++code) all_but_tilde.push_back(static_cast<char>(code));
    std::string every = all_but_tilde + "~";
    EXPECT_EQ(label_terminator(""), '!');
    EXPECT_EQ(label_terminator("a!b"), '"');
    EXPECT_EQ(label_terminator(all_but_tilde), '~');
    EXPECT_EQ(label_terminator(every), 127);
    // ";" ends HP-GL/2 commands and is never the terminator.
    std::string up_to_colon;
    for (int code = 33; code <= ':'; ++code) up_to_colon.push_back(static_cast<char>(code));
    EXPECT_EQ(label_terminator(up_to_colon), '<');
}

TEST(Fonts, SymbolSetNumber) {
    struct Case {
        Text text;
        long expected;
    } cases[] = {{std::string("8U"), 277},
                 {std::string("19U"), 629},
                 {std::string("0N"), 14},
                 {std::string(""), 277},
                 {std::nullopt, 277}};
    for (const Case& c : cases) EXPECT_EQ(hpgl_symbol_set(&c.text), c.expected);
    EXPECT_EQ(hpgl_symbol_set(nullptr), 277);
}

TEST(Fonts, HpglFontDefinition) {
    test::ReformatFixture b;
    HpFont times;
    times.proportional = test::lit("1");
    times.typeface = test::lit("4101");
    times.size = test::lit("12.5");
    times.boldness = test::lit("3");
    times.effects = test::lit("1");
    FontOverride right = test::aligned(Alignment::Right);
    right.boldness = test::lit("-3");
    Text set = std::string("19U");
    EXPECT_EQ(hpgl_font(b.run, &times, nullptr, nullptr),
              "SD1,277,2,1,4,12.500000,5,1,6,3,7,4101;LO1;");
    EXPECT_EQ(hpgl_font(b.run, &times, &right, &set),
              "SD1,629,2,1,4,12.500000,5,1,6,-3,7,4101;LO7;");
    EXPECT_EQ(hpgl_font(b.run, nullptr, nullptr, nullptr),
              "SD1,277,2,0,3,10.000000,5,0,6,0,7,4099;LO1;");
    // Neither a font, a default font nor an override: nothing to define.
    lookup(b.run, "default_hp_font")->object.reset();
    EXPECT_EQ(hpgl_font(b.run, nullptr, nullptr, nullptr), "");
    EXPECT_EQ(hpgl_font(b.run, nullptr, &right, nullptr),
              "SD1,277,2,0,3,10.000000,5,0,6,-3,7,4099;LO7;");
}

}  // namespace
}  // namespace morvel
