// Sections, settings, defaults and compile-time conversions of the grammar.
#include <gtest/gtest.h>

#include <string>

#include "compile_support.h"
#include "language/field.h"
#include "language/tree.h"

namespace morvel {
namespace {

using test::Compiled;

const std::string E = "[EXTRACT] default_extract = { }\n";

// A definition with one reformat program `rp` of `type` holding `body`, run by `out`.
std::string reformat(const std::string& type, const std::string& body) {
    return E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = rp\n" +
           "[REFORMAT] REFORMAT = rp, " + type + " {\n" + body + "\n}\n";
}

const ReformatProgram& only_reformat(Compiled& d) {
    return *d.tree().reformats.at(0);
}

const Statement& first_statement(Compiled& d) {
    return *only_reformat(d).statements.at(0);
}

TEST(Grammar, LogsEachSectionBeforeParsingItInBothPasses) {
    Compiled d(E + test::kMinimalOutput);
    ASSERT_TRUE(d.ok());
    const std::string sections =
        "about to parse input section\n"
        "about to parse extract section\n"
        "about to parse delivery section\n"
        "about to parse output section\n"
        "about to parse reformat section\n";
    EXPECT_EQ(d.c.log(), sections + "Created id structures\n\n" + sections);
}

TEST(Grammar, WithoutInputSectionEveryPageGoesToDefaultExtract) {
    Compiled d(E + test::kMinimalOutput);
    ASSERT_TRUE(d.ok());
    ASSERT_TRUE(d.tree().input);
    EXPECT_EQ(d.tree().input->lines_per_page, 66);
    EXPECT_EQ(dump(d.tree().input->statements), "{(REPEAT {(RUN default_extract)})}");
    const RepeatStatement& loop = d.tree().input->statements.at(0)->as<RepeatStatement>();
    EXPECT_FALSE(loop.by || loop.starts || loop.ends);
    EXPECT_EQ(loop.body.at(0)->as<ExtractCall>().program,
              lookup(d.run(), "default_extract")->as<ExtractProgram>());
}

TEST(Grammar, InputLinesPerPageBounds) {
    for (int lines : {1, 300}) {
        Compiled d("[INPUT] LINES_PER_PAGE = " + std::to_string(lines) + " default_extract\n" + E +
                   test::kMinimalOutput);
        ASSERT_TRUE(d.ok()) << lines;
        EXPECT_EQ(d.tree().input->lines_per_page, lines);
    }
}

TEST(Grammar, ReformatDefaultsByType) {
    const struct {
        const char* word;
        ReformatKind kind;
        bool xml, wide;
        int resolution;
        double width, height;
        int pad, crlf;
    } cases[] = {
        {"hp", ReformatKind::Printer, false, false, 300, 30.0, 50.0, 1, 0},
        {"HP", ReformatKind::Printer, false, false, 300, 30.0, 50.0, 1, 0},
        {"text", ReformatKind::TextPage, false, false, 1, 1.0, 1.0, 1, 0},
        {"Epson", ReformatKind::Epson, false, false, 1, 1.0, 1.0, 1, 0},
        {"xml", ReformatKind::TextPage, true, false, 1, 1.0, 1.0, 0, 1},
        {"UTF8", ReformatKind::TextPage, false, true, 1, 1.0, 1.0, 1, 0},
        {"\"text\"", ReformatKind::TextPage, false, false, 1, 1.0, 1.0, 1, 0},
    };
    for (const auto& c : cases) {
        Compiled d(reformat(c.word, ""));
        ASSERT_TRUE(d.ok()) << c.word << d.messages();
        const ReformatProgram& p = only_reformat(d);
        EXPECT_EQ(p.kind, c.kind) << c.word;
        EXPECT_EQ(p.xml, c.xml) << c.word;
        EXPECT_EQ(p.wide_cells, c.wide) << c.word;
        EXPECT_EQ(p.resolution, c.resolution) << c.word;
        EXPECT_EQ(p.character_width, c.width) << c.word;
        EXPECT_EQ(p.line_height, c.height) << c.word;
        EXPECT_EQ(p.pad, c.pad) << c.word;
        EXPECT_EQ(p.crlf, c.crlf) << c.word;
        EXPECT_EQ(p.character_map[200], 200) << c.word;
    }
}

TEST(Grammar, CoordinateUnitsAreConvertedWithTheSettingsReadSoFar) {
    const struct {
        const char* type;
        const char* settings;
        const char* coordinates;
        const char* placed;
    } cases[] = {
        {"hp", "", "1C, 1R", "(FIELD 0 50 - - @default_line)"},
        {"hp", "", "3C, 2R", "(FIELD 60 100 - - @default_line)"},
        {"text", "", "1C, 1R", "(FIELD 0 0 - - @default_line)"},
        {"text", "", "3C, 2R", "(FIELD 2 1 - - @default_line)"},
        {"hp", "CHARACTER_WIDTH = 12.5 LINE_HEIGHT = 25", "3C, 3R",
         "(FIELD 25 75 - - @default_line)"},
        {"text", "CHARACTER_WIDTH = 2 LINE_HEIGHT = 3", "3C, 3R", "(FIELD 4 6 - - @default_line)"},
        {"hp", "", "-5, 7", "(FIELD -5 7 - - @default_line)"},
        {"hp", "", "0C, 0R", "(FIELD -30 0 - - @default_line)"},
        {"hp", "", "x_pos, 1R", "(FIELD x_pos 50 - - @default_line)"},
    };
    for (const auto& c : cases) {
        Compiled e(reformat(c.type, std::string("SETTINGS = { ") + c.settings + " }\n" +
                                        "VARIABLE = x_pos\nFIELD = " + c.coordinates +
                                        ", , , default_line"));
        ASSERT_TRUE(e.ok()) << c.coordinates << e.messages();
        EXPECT_EQ(dump(*only_reformat(e).statements.at(1)), c.placed) << c.coordinates;
    }
}

TEST(Grammar, FormFeedSettingsAlsoSetPaddingAndTrimming) {
    const struct {
        const char* settings;
        int form_feed, force_form_feed, pad, trim;
    } cases[] = {
        {"FORM_FEED = 1", 1, 0, 0, 1},
        {"FORCE_FORM_FEED = 1 PAD = 1", 1, 1, 1, 1},  // a later setting wins
        {"FORM_FEED = 0 FORCE_FORM_FEED = 0", 0, 0, 1, 0},
    };
    for (const auto& c : cases) {
        Compiled d(reformat("text", std::string("SETTINGS = { ") + c.settings + " }"));
        ASSERT_TRUE(d.ok()) << c.settings << d.messages();
        const ReformatProgram& p = only_reformat(d);
        EXPECT_EQ(p.form_feed, c.form_feed) << c.settings;
        EXPECT_EQ(p.force_form_feed, c.force_form_feed) << c.settings;
        EXPECT_EQ(p.pad, c.pad) << c.settings;
        EXPECT_EQ(p.trim_lines, c.trim) << c.settings;
    }
}

TEST(Grammar, HpglUseIsMarkedByTheStatementsThatNeedIt) {
    const struct {
        const char* body;
        bool uses;
        bool forbidden;
    } cases[] = {
        {"BOX = 0, 0, 9, 9, 1, 10", false, false},
        {"BOX = 0, 0, 9, 9, 1, -30", true, false},
        {"RBOX = 0, 0, 9, 9, 1, 10", true, false},
        {"WATERMARK = 0, 0, , \"x\", 10, 45", true, false},
        {"MESSAGE = 0, 0, , , \"x\", 1, ALIGN: centre", true, false},
        {"MESSAGE = 0, 0, , , \"x\", 1, ALIGN: left", false, false},
        {"SETTINGS = { HPGL = 1 }", true, false},
        {"SETTINGS = { HPGL = 0 } BOX = 0, 0, 9, 9, 1, -30", true, true},
        {"SETTINGS = { HPGL = 0 HPGL = 2 }", true, false},
    };
    for (const auto& c : cases) {
        Compiled d(reformat("hp", c.body));
        ASSERT_TRUE(d.ok()) << c.body << d.messages();
        EXPECT_EQ(only_reformat(d).uses_hpgl, c.uses) << c.body;
        EXPECT_EQ(only_reformat(d).hpgl_forbidden, c.forbidden) << c.body;
    }
}

TEST(Grammar, ColourNamesInAnyLetterCase) {
    const struct {
        const char* word;
        int index;
    } cases[] = {{"black", 0},   {"RED", 1},  {"Green", 2}, {"yellow", 3}, {"blue", 4},
                 {"magenta", 5}, {"cyan", 6}, {"WHITE", 7}, {"12", 12}};
    for (const auto& c : cases) {
        Compiled d(reformat("hp", std::string("LINE = 0, 0, 9, 9, 1, ") + c.word));
        ASSERT_TRUE(d.ok()) << c.word << d.messages();
        const BoxStatement& box = first_statement(d).as<BoxStatement>();
        EXPECT_EQ(box.fill_colour, c.index) << c.word;
        EXPECT_EQ(box.border_colour, 0) << c.word;
        EXPECT_EQ(box.shading.literal, "100") << c.word;
        EXPECT_EQ(first_statement(d).kind, Tok::BOX) << c.word;
    }
}

TEST(Grammar, BarcodeTypeWords) {
    const char* words[] = {"bar128a", "BAR128B", "bar128c", "code39", "ean8",
                           "ean13",   "UpcE",    "i25",     "pdf417", "\"aus4state\""};
    for (int i = 0; i < 10; ++i) {
        Compiled d(
            reformat("hp", std::string("BARCODE = ") + words[i] + ", 1, 2, 3, , , , , , \"1\""));
        ASSERT_TRUE(d.ok()) << words[i] << d.messages();
        const BarcodeStatement& b = first_statement(d).as<BarcodeStatement>();
        EXPECT_EQ(static_cast<int>(b.type), i) << words[i];
        EXPECT_FALSE(b.thickness || b.ratio || b.checksum_pos || b.restrict_value || b.trim);
    }
    Compiled d(
        reformat("hp", "VARIABLE = h BARCODE = code39, 1R, 2, h, 3, 2, 1, 0, 0, \"1\" + \"2\""));
    ASSERT_TRUE(d.ok()) << d.messages();
    EXPECT_EQ(dump(*only_reformat(d).statements.at(1)), "(BARCODE 3 50 2 h 3 2 1 0 0 (+ 1 2))");
}

TEST(Grammar, AlignmentWordsBareOrQuotedInAnyLetterCase) {
    const struct {
        const char* word;
        Alignment alignment;
    } cases[] = {{"left", Alignment::Left},     {"LEFT", Alignment::Left},
                 {"Centre", Alignment::Centre}, {"\"centre\"", Alignment::Centre},
                 {"right", Alignment::Right},   {"\"RIGHT\"", Alignment::Right}};
    for (const auto& c : cases) {
        Compiled d(reformat("text", std::string("MESSAGE = 0, 0, , , \"x\", 1, ALIGN: ") + c.word));
        ASSERT_TRUE(d.ok()) << c.word << d.messages();
        const TextStatement& t = first_statement(d).as<TextStatement>();
        ASSERT_TRUE(t.font_override) << c.word;
        EXPECT_EQ(t.font_override->alignment, c.alignment) << c.word;
        EXPECT_EQ(t.font_override->colour, -1) << c.word;
        EXPECT_FALSE(t.font_override->no_reset) << c.word;
    }
}

TEST(Grammar, TextStatementSlots) {
    Compiled d(
        reformat("hp",
                 "SETTINGS = { HP_FONT = f, 0, COURIER, 10, NORMAL EPSON_FONT = e, 1, 2, 3 }\n"
                 "FIELD = 1, 2, , , default_line\n"
                 "FIELD = 1, 2, INVERSE, f, default_line, 40\n"
                 "PAGE = 1, 2, , e, \"%n\", 1, COLOUR: 2, NORESET: 0\n"
                 "INCLUDE = 1, 2, , , \"f.pcl\""));
    ASSERT_TRUE(d.ok()) << d.messages();
    const StatementList& list = only_reformat(d).statements;
    const TextStatement& plain = list.at(0)->as<TextStatement>();
    EXPECT_FALSE(plain.inverse || plain.hp_font || plain.epson_font || plain.line_step ||
                 plain.font_override);
    const TextStatement& styled = list.at(1)->as<TextStatement>();
    EXPECT_TRUE(styled.inverse);
    EXPECT_EQ(styled.hp_font, lookup(d.run(), "f")->as<HpFont>());
    EXPECT_EQ(dump(*styled.line_step), "40");
    EXPECT_FALSE(styled.font_override);
    const TextStatement& page = list.at(2)->as<TextStatement>();
    EXPECT_EQ(page.epson_font, lookup(d.run(), "e")->as<EpsonFont>());
    EXPECT_EQ(page.font_override->colour, 2);
    EXPECT_EQ(page.font_override->no_reset, 0);
    EXPECT_EQ(list.at(3)->kind, Tok::INCLUDE);
}

TEST(Grammar, ReformatRepeatWithoutBoundRunsOverItsFirstField) {
    Compiled d(
        reformat("text", "REPEAT { FIELD = 0, 0, , , default_line MESSAGE = 0, 1, , , \"-\" }"));
    ASSERT_TRUE(d.ok()) << d.messages();
    EXPECT_EQ(dump(first_statement(d)),
              "(REPEAT BY (NUM_LINES @default_line) {(FIELD 0 0 - - @default_line) "
              "(MESSAGE 0 1 - - (+ \"-\"))})");
    Compiled bounded(reformat("text", "REPEAT { MESSAGE = 0, 0, , , \"-\" } ENDS 1"));
    ASSERT_TRUE(bounded.ok()) << bounded.messages();
    EXPECT_FALSE(first_statement(bounded).as<RepeatStatement>().by);
}

TEST(Grammar, MappingsAndParameters) {
    Compiled d(reformat("hp, p_one, p_two",
                        "MAPPINGS = { MAP 65, 97 MAP 0, 255 MAP 255, 0 MAP_LU = 1 MAP_UL = 1 "
                        "TAB = 4 }\nFUNCTION = p_one + p_two"));
    ASSERT_TRUE(d.ok()) << d.messages();
    const ReformatProgram& p = only_reformat(d);
    EXPECT_EQ(p.character_map['A'], 'a');
    EXPECT_EQ(p.character_map[0], 255);
    EXPECT_EQ(p.character_map[255], 0);
    EXPECT_EQ(p.character_map['B'], 'B');
    EXPECT_EQ(p.map_upper, 1);
    EXPECT_EQ(p.map_lower, 1);
    EXPECT_EQ(p.tab, 4);
    ASSERT_EQ(p.parameters.size(), 2u);
    EXPECT_EQ(p.parameters[0].variable, lookup(d.run(), "p_one")->as<VariableRecord>());
    EXPECT_EQ(p.parameters[0].index, 1);
    EXPECT_EQ(p.parameters[1].variable, lookup(d.run(), "p_two")->as<VariableRecord>());
    EXPECT_EQ(p.parameters[1].index, 2);
}

TEST(Grammar, MacroFormsAreNumberedOverTheWholeDefinition) {
    Compiled d(E +
               "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = { a b }\n"
               "[REFORMAT]\n"
               "REFORMAT = a, hp { SETTINGS = { FORM = 0, 0, 300, \"x\", 0 ORIENTATION = 1 "
               "FORM = 1, 1R, 150, \"y\", 1, 1 FORM = 0, 0, 300, \"z\", 0 } }\n"
               "REFORMAT = b, hp { SETTINGS = { FORM = 0, 0, 300, \"w\", 0, 99 "
               "FORM = 0, 0, 300, \"v\", 0 } FORM = 5, 6, 75, \"s\", 16 }\n");
    ASSERT_TRUE(d.ok()) << d.messages();
    const ReformatProgram& a = *d.tree().reformats.at(0);
    const ReformatProgram& b = *d.tree().reformats.at(1);
    ASSERT_EQ(a.macro_forms.size(), 3u);
    EXPECT_EQ(a.macro_forms[0].macro_number, 110);
    EXPECT_EQ(a.macro_forms[0].orientation, 0);
    EXPECT_EQ(a.macro_forms[1].macro_number, 1);
    EXPECT_EQ(a.macro_forms[1].orientation, 1);
    EXPECT_EQ(dump(a.macro_forms[1].y), "50");
    EXPECT_EQ(a.macro_forms[2].macro_number, 111);
    ASSERT_EQ(b.macro_forms.size(), 2u);
    EXPECT_EQ(b.macro_forms[0].macro_number, 99);
    EXPECT_EQ(b.macro_forms[1].macro_number, 112);
    EXPECT_EQ(dump(*b.statements.at(0)), "(FORM 5 6 75 \"s\" 16 -1)");
}

TEST(Grammar, PaletteTakesEntriesEightUp) {
    Compiled d(reformat("hp", "SETTINGS = { PALETTE = 8, 1, 2, 3 PALETTE = 255, 255, 0, 128 }"));
    ASSERT_TRUE(d.ok()) << d.messages();
    const Palette& p = d.tree().palette;
    EXPECT_EQ(p[7].blue, 255);  // the named colours stay
    EXPECT_EQ(p[8].red, 1);
    EXPECT_EQ(p[8].green, 2);
    EXPECT_EQ(p[8].blue, 3);
    EXPECT_EQ(p[9].red + p[9].green + p[9].blue, 0);
    EXPECT_EQ(p[255].red, 255);
    EXPECT_EQ(p[255].blue, 128);
}

TEST(Grammar, OutputProgramsParametersAndSettings) {
    Compiled d(E +
               "[OUTPUT]\n"
               "OUTPUT = one INVOCATION = \"lp\"\n"
               "PARAMETERS = { OUTPUT_FILE, QUOTED \"-o\" = QUOTED \"a b\" \"key\" = 5 "
               "ALIAS dest = \"main\", OUTPUT_FILE(second) }\n"
               "SETTINGS = { INIT_STR = \"x\" }\n"
               "MASK = INVOKE\n"
               "OUTPUT = second INVOCATION = dest PARAMETERS = \"single\" MASK = { }\n"
               "OUTPUT = third INVOCATION = \"cat\" PARAMETERS = { }\n"
               "SETTINGS = { XML_WARN = 258 XML_ROOT = \"r\" } MASK = { }\n");
    ASSERT_TRUE(d.ok()) << d.messages();
    ASSERT_EQ(d.tree().outputs.size(), 3u);
    const OutputProgram& one = *d.tree().outputs[0];
    const OutputProgram& second = *d.tree().outputs[1];
    const OutputProgram& third = *d.tree().outputs[2];
    EXPECT_EQ(one.sequence, 0);
    EXPECT_EQ(second.sequence, 1);
    EXPECT_EQ(third.sequence, 2);
    EXPECT_EQ(dump(d.tree()).substr(dump(d.tree()).find("(OUTPUT one")),
              "(OUTPUT one 0 \"lp\" (OUTPUT_FILE QUOTED \"-o\" QUOTED \"a b\" \"key\" 5 dest "
              "OUTPUT_FILE(second)) {(INVOKE)})\n"
              "(OUTPUT second 1 dest (\"single\") {})\n"
              "(OUTPUT third 2 \"cat\" () {})\n");
    EXPECT_EQ(one.invocation.parameters.at(6).other, &second);
    EXPECT_FALSE(one.invocation.override_text);
    EXPECT_EQ(one.xml_warning_level, 1);
    EXPECT_TRUE(one.init_str);
    EXPECT_FALSE(one.pre_init);
    EXPECT_EQ(second.xml_warning_level, 0);
    EXPECT_EQ(third.xml_warning_level, 258);
    EXPECT_EQ(dump(*third.xml_root), "(+ \"r\")");
    // An alias is a variable holding its value, so -v can change the parameter.
    EXPECT_EQ(lookup(d.run(), "dest")->as<VariableRecord>()->cell.value, "main");
}

TEST(Grammar, ExtractProgramOptionsAndFieldRecords) {
    Compiled d(
        "[EXTRACT]\n"
        "default_extract = { LINES_PER_PAGE = 5 BYTES_PER_PAGE = 100 DISCARD = 1 TAB = 4\n"
        "  last_of_doc = 1 = 1\n"
        "  FIELD = 2, 3, 4, plain FIELD = 1, 1, 9, kept, 1 FIELD = 1, 1, 9, both, 1, 1\n"
        "  COLON_FIELD = \"No\", colon, 1 XML_FIELD = \"a.b\", xmlf\n"
        "  DEBUG plain + kept + both + colon + xmlf }\n"
        "other = { }\n" +
        std::string(test::kMinimalOutput) + "");
    ASSERT_TRUE(d.messages().find("other defined but not used") != std::string::npos);
    ASSERT_EQ(d.tree().extracts.size(), 2u);
    const ExtractProgram& p = *d.tree().extracts[0];
    EXPECT_EQ(p.name, "default_extract");
    EXPECT_EQ(p.lines_per_page, 5);
    EXPECT_EQ(dump(*p.bytes_per_page), "100");
    EXPECT_EQ(dump(*p.discard), "1");
    EXPECT_EQ(dump(*p.tab), "4");
    EXPECT_EQ(dump(*p.last_of_doc), "(= 1 1)");
    ASSERT_EQ(p.fields.size(), 5u);
    const char* names[] = {"plain", "kept", "both", "colon", "xmlf"};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(p.fields[i]->name, names[i]);
    const FieldRecord& plain = *p.fields[0];
    EXPECT_EQ(plain.kind, FieldKind::Position);
    EXPECT_EQ(dump(plain.x) + dump(plain.y) + dump(plain.length), "234");
    EXPECT_FALSE(plain.expanded || plain.persistent);
    EXPECT_TRUE(p.fields[1]->expanded && !p.fields[1]->persistent);
    EXPECT_TRUE(p.fields[2]->expanded && p.fields[2]->persistent);
    EXPECT_EQ(p.fields[3]->kind, FieldKind::Colon);
    EXPECT_EQ(p.fields[3]->label.literal, "No");
    EXPECT_TRUE(p.fields[3]->persistent);
    EXPECT_EQ(p.fields[4]->kind, FieldKind::Xml);
    EXPECT_EQ(p.fields[4]->xml_path.literal, "a.b");
    EXPECT_TRUE(p.fields[4]->expanded);
    EXPECT_EQ(p.statements.at(4)->kind, Tok::FIELD);  // XML_FIELD is stored as FIELD
    EXPECT_EQ(d.tree().extracts[1]->lines_per_page, 66);
    EXPECT_FALSE(d.tree().extracts[1]->bytes_per_page);
}

TEST(Grammar, DefaultLineFieldAndDefaultFont) {
    Compiled d(E + test::kMinimalOutput);
    ASSERT_TRUE(d.ok());
    const FieldRecord* line = lookup(d.run(), "default_line")->as<FieldRecord>();
    ASSERT_TRUE(line);
    EXPECT_EQ(dump(line->x) + " " + dump(line->y) + " " + dump(line->length), "1 1 80");
    const HpFont* font = lookup(d.run(), "default_hp_font")->as<HpFont>();
    ASSERT_TRUE(font);
    EXPECT_EQ(dump(font->typeface) + " " + dump(font->size) + " " + dump(font->boldness) + " " +
                  dump(font->proportional),
              "4099 10 0 0");
    EXPECT_TRUE(lookup(d.run(), "default_epson_font")->as<EpsonFont>());
}

TEST(Grammar, VariablesGetTheirInitialValuesWhenCompiled) {
    Compiled d(
        "[INPUT] { VARIABLE = plain VARIABLE = text, string, \"abc\"\n"
        "VARIABLE = number, number, -2.5, 1 VARIABLE = copy, integer, text\n"
        "DEBUG plain + text + number + copy default_extract }\n" +
        E + test::kMinimalOutput);
    ASSERT_TRUE(d.ok()) << d.messages();
    auto value = [&](const char* name) {
        const VariableRecord* v = lookup(d.run(), name)->as<VariableRecord>();
        return v->cell.value.value_or("NULL") + "/" + v->cell.previous.value_or("NULL") + "/" +
               v->initial;
    };
    EXPECT_EQ(value("plain"), "//");
    EXPECT_EQ(value("text"), "abc/abc/abc");
    EXPECT_EQ(value("number"), "-2.5/-2.5/-2.5");
    EXPECT_EQ(value("copy"), "abc/abc/abc");
    EXPECT_EQ(dump(*d.tree().input->statements.at(2)), "(VARIABLE number number -2.5 1)");
    EXPECT_EQ(d.tree().input->statements.at(3)->as<VariableStatement>().type,
              VariableType::Integer);
}

TEST(Grammar, HpFontDefinitions) {
    Compiled d(reformat("hp",
                        "SETTINGS = { HP_FONT = a, 1, TIMES, 10.5, EXTRABOLD, ITALIC, UNDERLINE, "
                        "COLOUR: cyan HP_FONT = b, 0, 4148, 8, -2, 3 HP_FONT = fc, 0, UNIVERS, 9, "
                        "LIGHT }\nMESSAGE = 0, 0, , a, \"\" MESSAGE = 0, 0, , b, \"\" "
                        "MESSAGE = 0, 0, , fc, \"\""));
    ASSERT_TRUE(d.ok()) << d.messages();
    const ReformatProgram& p = only_reformat(d);
    ASSERT_EQ(p.hp_fonts.size(), 3u);
    const HpFont& a = *p.hp_fonts[0];
    EXPECT_EQ(dump(a.proportional) + " " + dump(a.typeface) + " " + dump(a.size) + " " +
                  dump(a.boldness) + " " + dump(*a.effects),
              "1 4101 10.5 6 1");
    EXPECT_TRUE(a.underline);
    EXPECT_EQ(a.colour, 6);
    const HpFont& b = *p.hp_fonts[1];
    EXPECT_EQ(dump(b.typeface) + " " + dump(b.boldness) + " " + dump(*b.effects), "4148 -2 3");
    EXPECT_FALSE(b.underline);
    const HpFont& fc = *p.hp_fonts[2];
    EXPECT_EQ(dump(fc.typeface) + " " + dump(fc.boldness), "4148 -3");
    EXPECT_FALSE(fc.effects);
}

TEST(Grammar, XmlStatementsKeepTheirAttributes) {
    Compiled d(reformat("xml",
                        "XML_BLOCK \"doc\" XML_HAS_ATTRIBUTE \"id\", 1, \"kind\", \"a\" + \"b\" {\n"
                        "  XML_TAG \"t\", 2 XML_COMMENT \"c\" }\n"
                        "XML_TAG \"u\", 3\nARCH_FIELD \"n\", 4 PRINT 5 PRINT_LINE 6 ARCH_TABLE 7 "
                        "EJECT_PAGE"));
    ASSERT_TRUE(d.ok()) << d.messages();
    EXPECT_EQ(dump(only_reformat(d).statements),
              "{(XML_BLOCK (+ \"doc\") (ATTR \"id\" (+ 1)) (ATTR \"kind\" (+ \"a\" \"b\")) "
              "{(XML_TAG (+ \"t\") (+ 2)) (XML_COMMENT (+ \"c\"))}) (XML_TAG (+ \"u\") (+ 3)) "
              "(ARCH_FIELD (+ \"n\") (+ 4)) (PRINT (+ 5)) (PRINT_LINE (+ 6)) (ARCH_TABLE (+ 7)) "
              "(EJECT_PAGE)}");
}

}  // namespace
}  // namespace morvel
