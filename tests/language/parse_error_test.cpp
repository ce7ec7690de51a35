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
    int result = -1;  // result of the last pass that ran
};

void check(const Case& c) {
    Compiled d(c.text);
    // Warnings about unused names come first in pass-2 cases; they are tested apart.
    std::string messages;
    std::istringstream lines(d.messages());
    for (std::string line; std::getline(lines, line);)
        if (line.find(" defined but not used, at line ") == std::string::npos)
            messages += line + "\n";
    EXPECT_EQ(messages.substr(0, std::string(c.expected).size()), c.expected)
        << c.name << "\n--- got:\n"
        << messages;
    EXPECT_EQ(d.result, c.result) << c.name;
    EXPECT_EQ(d.run().MEMORY_ERROR, 1) << c.name;
}

TEST(ParseErrors, SectionsAndPrograms) {
    const Case cases[] = {
        {"no extract section", "[INPUT] { }\n" + O,
         "Missing extract program at line 2 of test.def\n"},
        {"no extract program", "[EXTRACT]\n" + O,
         "Missing extract program at line 2 of test.def\n"},
        {"comment token before [EXTRACT]", "[INPUT] { } REM note\n" + E + O,
         "Missing extract program at line 2 of test.def\n"},
        {"no output section", E, "Missing output section at line 2 of test.def\n"},
        {"no OUTPUT", E + "[OUTPUT] INVOCATION = \"lp\"", "Missing OUTPUT at line 2 of test.def\n"},
        {"no INVOCATION", E + "[OUTPUT] OUTPUT = out PARAMETERS = OUTPUT_FILE MASK = INVOKE",
         "Missing INVOCATION at line 2 of test.def\n"},
        {"no PARAMETERS", E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" MASK = INVOKE",
         "Missing parameters at line 2 of test.def\n"},
        {"empty PARAMETERS", E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = MASK",
         "Missing parameters at line 2 of test.def\n"},
        {"no MASK", E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE INVOKE",
         "Missing MASK at line 2 of test.def\n"},
        {"extract program without =", "[EXTRACT] default_extract { }\n" + O,
         "Missing = at line 1 of test.def\n"},
        {"extract program without {", "[EXTRACT] default_extract = LET x = 1 }\n" + O,
         "Missing { at line 1 of test.def\n"},
        {"block left open at the end", "[INPUT] { DEBUG 1\n\n",
         "Missing } at line 3 of test.def\n"},
        {"block closed by a section", "[EXTRACT] default_extract = { DEBUG 1\n" + O,
         "Missing } at line 2 of test.def\n"},
        {"single statement block expected", "[INPUT] IF 1 THEN }\n" + E + O,
         "Missing { at line 1 of test.def\n"},
        {"unknown reformat type", reformat("REFORMAT = rp, pcl { }"),
         "Unknown reformat type at line 3 of test.def\n"},
        {"reformat parameter not a name", reformat("REFORMAT = rp, hp, 5 { }"),
         "Invalid variable type at line 3 of test.def\n"},
        {"token after the last section", E + O + "[REFORMAT] }\n",
         "Unexpected token found, check syntax at line 3 of test.def\n", 0},
        {"no [INPUT] and no default_extract", "[EXTRACT] other = { }\n" + O,
         "default_extract extract program is not defined at line 1 of test.def\n", 0},
    };
    for (const Case& c : cases) check(c);
}

TEST(ParseErrors, Statements) {
    auto input = [](const std::string& statements) {
        return "[INPUT] { VARIABLE = x VARIABLE = t " + statements + " }\n" + E + O;
    };
    const Case cases[] = {
        {"IF without THEN", input("IF x DEBUG x"), "Missing THEN at line 1 of test.def\n"},
        {"OF without colon", input("CASE x { OF 1 }"), "Missing colon at line 1 of test.def\n"},
        {"DEFAULT without colon", input("CASE x { DEFAULT DEBUG 1 }"),
         "Missing colon at line 1 of test.def\n"},
        {"CASE without {", input("CASE x OF 1 : DEBUG 1"), "Missing { at line 1 of test.def\n"},
        {"LET without a name", input("LET 5 = 1"), "Missing identifier at line 1 of test.def\n"},
        {"LET without =", input("LET x 1"), "Missing = at line 1 of test.def\n"},
        {"LET index without ]", input("LET t[1 = 2"), "Missing ] at line 1 of test.def\n"},
        {"LET of a field", input("LET default_line = 1"),
         "Invalid variable type at line 1 of test.def\n"},
        {"LET of a default name nobody declared", input("LET default_reformat = 1"),
         "Unable to find variable at line 1 of test.def\n"},
        {"VARIABLE without =", input("VARIABLE y"), "Missing = at line 1 of test.def\n"},
        {"VARIABLE of unknown type", input("VARIABLE = y, float"),
         "Invalid variable type at line 1 of test.def\n"},
        {"VARIABLE declared twice", input("VARIABLE = x"),
         "Duplicate definition of x\n"
         "Unable to add identifier, check not already declared at line 1 of test.def\n"},
        {"TAB with a string", input("TAB = \"8\""), "Invalid value at line 1 of test.def\n"},
        {"input statement naming an output program", input("out"),
         "out Is not an Extract section identifier at line 1 of test.def\n"},
        {"XML_DOCUMENTS naming a variable", input("XML_DOCUMENTS { OF \"a\" : x }"),
         "x Is not an Extract section identifier at line 1 of test.def\n"},
        {"input LINES_PER_PAGE 0", "[INPUT] LINES_PER_PAGE = 0 { }\n" + E + O,
         "Invalid value at line 1 of test.def\n"},
        {"input LINES_PER_PAGE 301", "[INPUT] LINES_PER_PAGE = 301 { }\n" + E + O,
         "Invalid value at line 1 of test.def\n"},
        {"name of a default identifier nobody declared", input("default_input"),
         "Missing identifier at line 1 of test.def\n"},
    };
    for (const Case& c : cases) check(c);
}

TEST(ParseErrors, Expressions) {
    auto input = [](const std::string& expression) {
        return "[INPUT] { VARIABLE = x DEBUG " + expression + " }\n" + E + O;
    };
    const Case cases[] = {
        {"open parenthesis", input("(x + 1"), "Missing ) at line 1 of test.def\n"},
        {"function without (", input("LCASE x"), "Missing ( at line 1 of test.def\n"},
        {"function without ,", input("STRCAT(x x)"), "Missing , at line 1 of test.def\n"},
        {"function without )", input("LCASE(x"), "Missing ) at line 1 of test.def\n"},
        {"three-argument function given two", input("SUBSTRING(x, 1)"),
         "Missing , at line 1 of test.def\n"},
        {"index without ]", input("x[1"), "Missing ] at line 1 of test.def\n"},
        {"operator without operand", input("x + )"), "Invalid value at line 1 of test.def\n"},
        {"function of a name given a number", input("BLANK(1)"),
         "Missing identifier at line 1 of test.def\n"},
        {"LOOK_AHEAD of a variable", input("LOOK_AHEAD(x)"),
         "x is not a field at line 1 of test.def\n"},
        {"NUM_LINES of an output program", input("NUM_LINES(out)"),
         "out is an invalid variable type at line 1 of test.def\n"},
        {"value of a program", input("out"), "Invalid variable type at line 1 of test.def\n"},
        {"call of a name that is no reformat program", input("default_extract(1)"),
         "Indentifier is not a REFORMAT program at line 1 of test.def\n"},
        {"INSERT_LINE into a field", input("INSERT_LINE(default_line, 1)"),
         "Invalid variable type at line 1 of test.def\n"},
    };
    for (const Case& c : cases) check(c);
}

TEST(ParseErrors, ExtractOutputAndDeliveryStatements) {
    auto extract = [](const std::string& statements) {
        return "[EXTRACT] default_extract = { VARIABLE = x " + statements + " }\n" + O;
    };
    const Case cases[] = {
        {"extract LINES_PER_PAGE 0", extract("").insert(30, "LINES_PER_PAGE = 0 "),
         "Invalid value at line 1 of test.def\n"},
        {"FIELD with a string position", extract("FIELD = \"a\", 1, 1, f"),
         "Invalid value at line 1 of test.def\n"},
        {"FIELD without ,", extract("FIELD = 1, 1 1, f"), "Missing , at line 1 of test.def\n"},
        {"FIELD without a name", extract("FIELD = 1, 1, 1, 5"),
         "Missing identifier at line 1 of test.def\n"},
        {"OUTPUT of a number", extract("OUTPUT 5"),
         "Missing output program at line 1 of test.def\n"},
        {"OUTPUT of a variable", extract("OUTPUT x"),
         "Identifier is not an OUTPUT program at line 1 of test.def\n"},
        {"RESET of a variable", extract("RESET x"),
         "Identifier is not an EXTRACT field at line 1 of test.def\n"},
        {"READ_FIELD of a variable", extract("READ_FIELD x"),
         "Invalid extract field at line 1 of test.def\n"},
        {"extract program declared twice",
         "[EXTRACT] default_extract = { } default_extract = { }\n" + O,
         "Duplicate definition of default_extract\nRun out of memory\n"},
        {"field declared twice goes on",
         "[EXTRACT] default_extract = { FIELD = 1, 1, 1, f FIELD = 1, 1, 1, F DEBUG f }\n" + O,
         "Duplicate definition of F\n", 0},
        {"MASK naming an extract program",
         E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE "
             "MASK = default_extract",
         "Indentifier is not a REFORMAT program at line 2 of test.def\n"},
        {"RESET other than PAGE",
         E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = RESET "
             "LINE",
         "Invalid value at line 2 of test.def\n"},
        {"OUTPUT_FILE of an extract program",
         E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE(default_extract) "
             "MASK = INVOKE",
         "Identifier is not an OUTPUT program at line 2 of test.def\n"},
        {"output program declared twice",
         E + O + "OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = INVOKE\n",
         "Duplicate definition of out\nUnable to create output program at line 3 of test.def\n"},
        {"delivery naming an extract program", E + "[DELIVERY] default_extract\n" + O,
         "Identifier is not an OUTPUT program at line 2 of test.def\n"},
    };
    for (const Case& c : cases) check(c);
}

TEST(ParseErrors, ReformatPrograms) {
    const Case cases[] = {
        {"reformat program declared twice",
         reformat("REFORMAT = rp, hp { }\nREFORMAT = rp, text { }"),
         "Duplicate definition of rp\nUnable to create reformat program at line 4 of test.def\n"},
        {"MAP beyond a byte", reformat("REFORMAT = rp, hp { MAPPINGS = { MAP 300, 1 } }"),
         "Invalid mapping at line 3 of test.def\n"},
        {"MAP to beyond a byte", reformat("REFORMAT = rp, hp { MAPPINGS = { MAP 1, 256 } }"),
         "Invalid mapping at line 3 of test.def\n"},
        {"PALETTE of a named colour",
         reformat("REFORMAT = rp, hp { SETTINGS = { PALETTE = 5, 1, 2, 3 } }"),
         "Invalid value at line 3 of test.def\n"},
        {"PALETTE past the table",
         reformat("REFORMAT = rp, hp { SETTINGS = { PALETTE = 256, 1, 2, 3 } }"),
         "Invalid value at line 3 of test.def\n"},
        {"PALETTE component past a byte",
         reformat("REFORMAT = rp, hp { SETTINGS = { PALETTE = 8, 1, 256, 3 } }"),
         "Invalid value at line 3 of test.def\n"},
        {"macro form number 0",
         reformat("REFORMAT = rp, hp { SETTINGS = { FORM = 0, 0, 300, \"a\", 0, 0 } }"),
         "Invalid value at line 3 of test.def\n"},
        {"macro form number 100",
         reformat("REFORMAT = rp, hp { SETTINGS = { FORM = 0, 0, 300, \"a\", 0, 100 } }"),
         "Invalid value at line 3 of test.def\n"},
        {"unknown colour name",
         reformat("REFORMAT = rp, hp { BOX = 0, 0, 1, 1, 1, 1, purple, red }"),
         "Invalid value at line 3 of test.def\n"},
        {"unknown barcode type",
         reformat("REFORMAT = rp, hp { BARCODE = qr, 0, 0, 1, , , , , , \"x\" }"),
         "Invalid value at line 3 of test.def\n"},
        {"barcode without its empty slots",
         reformat("REFORMAT = rp, hp { BARCODE = i25, 0, 0, 1, \"x\" }"),
         "Missing , at line 3 of test.def\n"},
        {"negative corner radius",
         reformat("REFORMAT = rp, hp { RBOX = 0, 0, 9, 9, 1, 1, 0, -1, 0, 0 }"),
         "Invalid value at line 3 of test.def\n"},
        {"alignment middle",
         reformat("REFORMAT = rp, hp { MESSAGE = 0, 0, , , \"x\", 1, ALIGN: middle }"),
         "Invalid alignment, valid values are LEFT, CENTRE, and RIGHT at line 3 of test.def\n"},
        {"unknown text option", reformat("REFORMAT = rp, hp { MESSAGE = 0, 0, , , \"x\", 1, 5 }"),
         "Invalid value at line 3 of test.def\n"},
        {"text statement without its empty slots",
         reformat("REFORMAT = rp, hp { MESSAGE = 0, 0, \"x\" }"),
         "Missing , at line 3 of test.def\n"},
        {"font slot naming a variable",
         reformat("REFORMAT = rp, hp { VARIABLE = v MESSAGE = 0, 0, , v, \"x\" }"),
         "Invalid value at line 3 of test.def\n"},
        {"repeat without bound",
         reformat("REFORMAT = rp, text { REPEAT { MESSAGE = 0, 0, , , \"x\" } }"),
         "Infinite repeat, add a BY option at line 3 of test.def\n"},
        {"empty repeat without bound", reformat("REFORMAT = rp, text { REPEAT { } }"),
         "Infinite repeat, add a BY option at line 3 of test.def\n"},
        {"watermark with HPGL 0",
         reformat("REFORMAT = rp, hp { SETTINGS = { HPGL = 0 } WATERMARK = 0, 0, , \"x\", 1, 2 }"),
         "HPGL is not allowed in this reformat program at line 3 of test.def\n"},
        {"rounded box with HPGL 0",
         reformat("REFORMAT = rp, hp { SETTINGS = { HPGL = 0 } RBOX = 0, 0, 9, 9, 1, 1 }"),
         "HPGL is not allowed in this reformat program at line 3 of test.def\n"},
        {"centred text with HPGL 0",
         reformat("REFORMAT = rp, hp { SETTINGS = { HPGL = 0 } MESSAGE = 0, 0, , , \"x\", 1, "
                  "ALIGN: centre }"),
         "HPGL is not allowed in this reformat program at line 3 of test.def\n"},
        {"box in a text program", reformat("REFORMAT = rp, text { BOX = 0, 0, 9, 9, 1, 1 }"),
         "This command can not be used with this reformat type at line 3 of test.def\n"},
        {"line in an xml program", reformat("REFORMAT = rp, xml { LINE = 0, 0, 9, 9, 1 }"),
         "This command can not be used with this reformat type at line 3 of test.def\n"},
        {"macro in an epson program", reformat("REFORMAT = rp, epson { MACRO 5 }"),
         "This command can not be used with this reformat type at line 3 of test.def\n"},
        {"barcode in a utf8 program",
         reformat("REFORMAT = rp, utf8 { BARCODE = i25, 0, 0, 1, , , , , , \"1\" }"),
         "This command can not be used with this reformat type at line 3 of test.def\n"},
        {"watermark in a text program",
         reformat("REFORMAT = rp, text { WATERMARK = 0, 0, , \"x\", 1, 2 }"),
         "This command can not be used with this reformat type at line 3 of test.def\n"},
        {"rounded box in a text program",
         reformat("REFORMAT = rp, text { RBOX = 0, 0, 9, 9, 1, 1 }"),
         "This command can not be used with this reformat type at line 3 of test.def\n"},
        {"repeated xml attribute",
         reformat("REFORMAT = rp, xml { XML_TAG \"a\", 1 XML_HAS_ATTRIBUTE \"id\", 1, \"id\", 2 }"),
         "xml attribute id already used in tag, all attribute names must be unique at line 3 of "
         "test.def\n"},
        {"xml attribute name not a string",
         reformat("REFORMAT = rp, xml { XML_BLOCK \"a\" XML_HAS_ATTRIBUTE 5, 1 { } }"),
         "Invalid value at line 3 of test.def\n"},
        {"HP_FONT declared twice",
         reformat("REFORMAT = rp, hp { SETTINGS = { HP_FONT = f, 0, 1, 2, 3 HP_FONT = f, 0, 1, 2, "
                  "3 } }"),
         "Duplicate definition of f\n"
         "Unable to add identifier, check not already declared at line 3 of test.def\n"},
    };
    for (const Case& c : cases) check(c);
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
