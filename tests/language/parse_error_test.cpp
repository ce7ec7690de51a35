// Every message of the grammar that a definition can provoke, with its level: level 1
// and 3 messages carry " at line N of test.def", level 2 and 3 may be followed by the
// system's error text, so the expected text is the start of what the compile reported.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "compile_support.h"

namespace morvel {
namespace {

using test::Compiled;

const std::string E = "[EXTRACT] default_extract = { }\n";
const std::string O =
    "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = INVOKE\n";

// A definition whose only reformat program is `program` (its header included).
std::string reformat(const std::string& program) {
    return E +
           "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = rp\n"
           "[REFORMAT] " +
           program + "\n";
}

struct Case {
    const char* name;
    std::string text;
    const char* expected;
    int line = 0;     // of the location that ends `expected`; 0 when it has none
    int result = -1;  // result of the last pass that ran
};

void check(const Case& c) {
    std::string expected = c.expected;
    if (c.line > 0) expected += " at line " + std::to_string(c.line) + " of test.def\n";
    Compiled d(c.text);
    // Warnings about unused names come first in pass-2 cases; they are tested apart.
    std::string messages;
    std::istringstream lines(d.messages());
    for (std::string line; std::getline(lines, line);)
        if (line.find(" defined but not used, at line ") == std::string::npos)
            messages += line + "\n";
    EXPECT_EQ(messages.substr(0, expected.size()), expected) << c.name << "\n--- got:\n"
                                                             << messages;
    EXPECT_EQ(d.result, c.result) << c.name;
    EXPECT_EQ(d.run().MEMORY_ERROR, 1) << c.name;
}

TEST(ParseErrors, SectionsAndPrograms) {
    const Case cases[] = {
        {"no extract section", "[INPUT] { }\n" + O, "Missing extract program", 2},
        {"no extract program", "[EXTRACT]\n" + O, "Missing extract program", 2},
        {"comment token before [EXTRACT]", "[INPUT] { } REM note\n" + E + O,
         "Missing extract program", 2},
        {"no output section", E, "Missing output section", 2},
        {"no OUTPUT", E + "[OUTPUT] INVOCATION = \"lp\"", "Missing OUTPUT", 2},
        {"no INVOCATION", E + "[OUTPUT] OUTPUT = out PARAMETERS = OUTPUT_FILE MASK = INVOKE",
         "Missing INVOCATION", 2},
        {"no PARAMETERS", E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" MASK = INVOKE",
         "Missing parameters", 2},
        {"empty PARAMETERS", E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = MASK",
         "Missing parameters", 2},
        {"no MASK", E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE INVOKE",
         "Missing MASK", 2},
        {"extract program without =", "[EXTRACT] default_extract { }\n" + O, "Missing =", 1},
        {"extract program without {", "[EXTRACT] default_extract = LET x = 1 }\n" + O, "Missing {",
         1},
        {"block left open at the end", "[INPUT] { DEBUG 1\n\n", "Missing }", 3},
        {"block closed by a section", "[EXTRACT] default_extract = { DEBUG 1\n" + O, "Missing }",
         2},
        {"single statement block expected", "[INPUT] IF 1 THEN }\n" + E + O, "Missing {", 1},
        {"unknown reformat type", reformat("REFORMAT = rp, pcl { }"), "Unknown reformat type", 3},
        {"reformat parameter not a name", reformat("REFORMAT = rp, hp, 5 { }"),
         "Invalid variable type", 3},
        {"token after the last section", E + O + "[REFORMAT] }\n",
         "Unexpected token found, check syntax", 3, 0},
        {"no [INPUT] and no default_extract", "[EXTRACT] other = { }\n" + O,
         "default_extract extract program is not defined", 1, 0},
    };
    for (const Case& c : cases) check(c);
}

TEST(ParseErrors, Statements) {
    auto input = [](const std::string& statements) {
        return "[INPUT] { VARIABLE = x VARIABLE = t " + statements + " }\n" + E + O;
    };
    const Case cases[] = {
        {"IF without THEN", input("IF x DEBUG x"), "Missing THEN", 1},
        {"OF without colon", input("CASE x { OF 1 }"), "Missing colon", 1},
        {"DEFAULT without colon", input("CASE x { DEFAULT DEBUG 1 }"), "Missing colon", 1},
        {"CASE without {", input("CASE x OF 1 : DEBUG 1"), "Missing {", 1},
        {"LET without a name", input("LET 5 = 1"), "Missing identifier", 1},
        {"LET without =", input("LET x 1"), "Missing =", 1},
        {"LET index without ]", input("LET t[1 = 2"), "Missing ]", 1},
        {"LET of a field", input("LET default_line = 1"), "Invalid variable type", 1},
        {"LET of a default name nobody declared", input("LET default_reformat = 1"),
         "Unable to find variable", 1},
        {"VARIABLE without =", input("VARIABLE y"), "Missing =", 1},
        {"VARIABLE of unknown type", input("VARIABLE = y, float"), "Invalid variable type", 1},
        {"VARIABLE declared twice", input("VARIABLE = x"),
         "Duplicate definition of x\n"
         "Unable to add identifier, check not already declared",
         1},
        {"TAB with a string", input("TAB = \"8\""), "Invalid value", 1},
        {"input statement naming an output program", input("out"),
         "out Is not an Extract section identifier", 1},
        {"XML_DOCUMENTS naming a variable", input("XML_DOCUMENTS { OF \"a\" : x }"),
         "x Is not an Extract section identifier", 1},
        {"input LINES_PER_PAGE 0", "[INPUT] LINES_PER_PAGE = 0 { }\n" + E + O, "Invalid value", 1},
        {"input LINES_PER_PAGE 301", "[INPUT] LINES_PER_PAGE = 301 { }\n" + E + O, "Invalid value",
         1},
        {"name of a default identifier nobody declared", input("default_input"),
         "Missing identifier", 1},
    };
    for (const Case& c : cases) check(c);
}

TEST(ParseErrors, Expressions) {
    auto input = [](const std::string& expression) {
        return "[INPUT] { VARIABLE = x DEBUG " + expression + " }\n" + E + O;
    };
    const Case cases[] = {
        {"open parenthesis", input("(x + 1"), "Missing )", 1},
        {"function without (", input("LCASE x"), "Missing (", 1},
        {"function without ,", input("STRCAT(x x)"), "Missing ,", 1},
        {"function without )", input("LCASE(x"), "Missing )", 1},
        {"three-argument function given two", input("SUBSTRING(x, 1)"), "Missing ,", 1},
        {"index without ]", input("x[1"), "Missing ]", 1},
        {"operator without operand", input("x + )"), "Invalid value", 1},
        {"function of a name given a number", input("BLANK(1)"), "Missing identifier", 1},
        {"LOOK_AHEAD of a variable", input("LOOK_AHEAD(x)"), "x is not a field", 1},
        {"NUM_LINES of an output program", input("NUM_LINES(out)"),
         "out is an invalid variable type", 1},
        {"value of a program", input("out"), "Invalid variable type", 1},
        {"call of a name that is no reformat program", input("default_extract(1)"),
         "Indentifier is not a REFORMAT program", 1},
        {"INSERT_LINE into a field", input("INSERT_LINE(default_line, 1)"), "Invalid variable type",
         1},
    };
    for (const Case& c : cases) check(c);
}

TEST(ParseErrors, ExtractOutputAndDeliveryStatementsAndDuplicatePrograms) {
    auto extract = [](const std::string& statements) {
        return "[EXTRACT] default_extract = { VARIABLE = x " + statements + " }\n" + O;
    };
    const Case cases[] = {
        {"extract LINES_PER_PAGE 0", extract("").insert(30, "LINES_PER_PAGE = 0 "), "Invalid value",
         1},
        {"FIELD with a string position", extract("FIELD = \"a\", 1, 1, f"), "Invalid value", 1},
        {"FIELD without ,", extract("FIELD = 1, 1 1, f"), "Missing ,", 1},
        {"FIELD without a name", extract("FIELD = 1, 1, 1, 5"), "Missing identifier", 1},
        {"OUTPUT of a number", extract("OUTPUT 5"), "Missing output program", 1},
        {"OUTPUT of a variable", extract("OUTPUT x"), "Identifier is not an OUTPUT program", 1},
        {"RESET of a variable", extract("RESET x"), "Identifier is not an EXTRACT field", 1},
        {"READ_FIELD of a variable", extract("READ_FIELD x"), "Invalid extract field", 1},
        {"extract program declared twice",
         "[EXTRACT] default_extract = { } default_extract = { }\n" + O,
         "Duplicate definition of default_extract\nRun out of memory\n"},
        {"field declared twice goes on",
         "[EXTRACT] default_extract = { FIELD = 1, 1, 1, f FIELD = 1, 1, 1, F DEBUG f }\n" + O,
         "Duplicate definition of F\n", 0, 0},
        {"MASK naming an extract program",
         E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE "
             "MASK = default_extract",
         "Indentifier is not a REFORMAT program", 2},
        {"RESET other than PAGE",
         E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = RESET "
             "LINE",
         "Invalid value", 2},
        {"OUTPUT_FILE of an extract program",
         E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE(default_extract) "
             "MASK = INVOKE",
         "Identifier is not an OUTPUT program", 2},
        {"output program declared twice",
         E + O + "OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = INVOKE\n",
         "Duplicate definition of out\nUnable to create output program", 3},
        {"delivery naming an extract program", E + "[DELIVERY] default_extract\n" + O,
         "Identifier is not an OUTPUT program", 2},
        {"reformat program declared twice",
         reformat("REFORMAT = rp, hp { }\nREFORMAT = rp, text { }"),
         "Duplicate definition of rp\nUnable to create reformat program", 4},
    };
    for (const Case& c : cases) check(c);
}

// Each body is the whole of a one-line reformat program of its type, so every message
// is located at line 3.
TEST(ParseErrors, ReformatPrograms) {
    const char* kNotAllowedHere = "This command can not be used with this reformat type";
    const char* kNoHpgl = "HPGL is not allowed in this reformat program";
    const struct {
        const char* name;
        const char* type;
        const char* body;
        const char* message;
    } cases[] = {
        {"MAP beyond a byte", "hp", "MAPPINGS = { MAP 300, 1 }", "Invalid mapping"},
        {"MAP to beyond a byte", "hp", "MAPPINGS = { MAP 1, 256 }", "Invalid mapping"},
        {"PALETTE of a named colour", "hp", "SETTINGS = { PALETTE = 5, 1, 2, 3 }", "Invalid value"},
        {"PALETTE past the table", "hp", "SETTINGS = { PALETTE = 256, 1, 2, 3 }", "Invalid value"},
        {"PALETTE component past a byte", "hp", "SETTINGS = { PALETTE = 8, 1, 256, 3 }",
         "Invalid value"},
        {"macro form number 0", "hp", "SETTINGS = { FORM = 0, 0, 300, \"a\", 0, 0 }",
         "Invalid value"},
        {"macro form number 100", "hp", "SETTINGS = { FORM = 0, 0, 300, \"a\", 0, 100 }",
         "Invalid value"},
        {"unknown colour name", "hp", "BOX = 0, 0, 1, 1, 1, 1, purple, red", "Invalid value"},
        {"unknown barcode type", "hp", "BARCODE = qr, 0, 0, 1, , , , , , \"x\"", "Invalid value"},
        {"barcode without its empty slots", "hp", "BARCODE = i25, 0, 0, 1, \"x\"", "Missing ,"},
        {"negative corner radius", "hp", "RBOX = 0, 0, 9, 9, 1, 1, 0, -1, 0, 0", "Invalid value"},
        {"alignment middle", "hp", "MESSAGE = 0, 0, , , \"x\", 1, ALIGN: middle",
         "Invalid alignment, valid values are LEFT, CENTRE, and RIGHT"},
        {"unknown text option", "hp", "MESSAGE = 0, 0, , , \"x\", 1, 5", "Invalid value"},
        {"text statement without its empty slots", "hp", "MESSAGE = 0, 0, \"x\"", "Missing ,"},
        {"font slot naming a variable", "hp", "VARIABLE = v MESSAGE = 0, 0, , v, \"x\"",
         "Invalid value"},
        {"repeat without bound", "text", "REPEAT { MESSAGE = 0, 0, , , \"x\" }",
         "Infinite repeat, add a BY option"},
        {"empty repeat without bound", "text", "REPEAT { }", "Infinite repeat, add a BY option"},
        {"watermark with HPGL 0", "hp", "SETTINGS = { HPGL = 0 } WATERMARK = 0, 0, , \"x\", 1, 2",
         kNoHpgl},
        {"rounded box with HPGL 0", "hp", "SETTINGS = { HPGL = 0 } RBOX = 0, 0, 9, 9, 1, 1",
         kNoHpgl},
        {"centred text with HPGL 0", "hp",
         "SETTINGS = { HPGL = 0 } MESSAGE = 0, 0, , , \"x\", 1, ALIGN: centre", kNoHpgl},
        {"box in a text program", "text", "BOX = 0, 0, 9, 9, 1, 1", kNotAllowedHere},
        {"line in an xml program", "xml", "LINE = 0, 0, 9, 9, 1", kNotAllowedHere},
        {"macro in an epson program", "epson", "MACRO 5", kNotAllowedHere},
        {"barcode in a utf8 program", "utf8", "BARCODE = i25, 0, 0, 1, , , , , , \"1\"",
         kNotAllowedHere},
        {"watermark in a text program", "text", "WATERMARK = 0, 0, , \"x\", 1, 2", kNotAllowedHere},
        {"rounded box in a text program", "text", "RBOX = 0, 0, 9, 9, 1, 1", kNotAllowedHere},
        {"repeated xml attribute", "xml", "XML_TAG \"a\", 1 XML_HAS_ATTRIBUTE \"id\", 1, \"id\", 2",
         "xml attribute id already used in tag, all attribute names must be unique"},
        {"xml attribute name not a string", "xml", "XML_BLOCK \"a\" XML_HAS_ATTRIBUTE 5, 1 { }",
         "Invalid value"},
        {"HP_FONT declared twice", "hp",
         "SETTINGS = { HP_FONT = f, 0, 1, 2, 3 HP_FONT = f, 0, 1, 2, 3 }",
         "Duplicate definition of f\nUnable to add identifier, check not already declared"},
    };
    for (const auto& c : cases) {
        check({c.name, reformat(std::string("REFORMAT = rp, ") + c.type + " { " + c.body + " }"),
               c.message, 3});
    }
}

TEST(ParseErrors, NamesUsedButNeverDeclaredAreAllReportedInTableOrder) {
    Compiled d("[INPUT] { DEBUG mmm DEBUG ggg\nDEBUG zzz DEBUG ggg DEBUG aaa }\n" + E + O);
    EXPECT_EQ(d.messages(),
              "Couldnt find definition of mmm at line 1\n"
              "Couldnt find definition of ggg at line 1\n"
              "Couldnt find definition of aaa at line 2\n"
              "Couldnt find definition of zzz at line 2\n"
              "Failed check references\n");
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.run().MEMORY_ERROR, 1);
    EXPECT_FALSE(d.tree().input);
}

TEST(ParseErrors, UnusedDeclarationsWarnAndTheCompileGoesOn) {
    Compiled d("[INPUT] { VARIABLE = mmm VARIABLE = ggg\nVARIABLE = zzz }\n" + E + O);
    EXPECT_EQ(d.messages(),
              "ggg defined but not used, at line 1\n"
              "mmm defined but not used, at line 1\n"
              "zzz defined but not used, at line 2\n");
    EXPECT_TRUE(d.ok());
    EXPECT_TRUE(d.tree().input);
}

TEST(ParseErrors, InvalidXmlAttributeNameOnlyWarns) {
    Compiled d(
        reformat("REFORMAT = rp, xml { XML_TAG \"a\", 1 XML_HAS_ATTRIBUTE \"a b\", 1, \"\", 2 }"));
    EXPECT_EQ(d.messages(),
              "a b is not a valid xml name at line 3 of test.def\n"
              " is not a valid xml name at line 3 of test.def\n");
    EXPECT_TRUE(d.ok());
    const ReformatProgram& r = *d.tree().reformats.at(0);
    EXPECT_EQ(r.statements.at(0)->as<XmlTagStatement>().attributes.size(), 2u);
}

}  // namespace
}  // namespace morvel
