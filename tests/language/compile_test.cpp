// The two-pass compile: what each pass builds, the steps between them, the -o
// override and the limits that keep hostile definitions from exhausting the stack.
#include "language/compile.h"

#include <gtest/gtest.h>

#include <string>

#include "compile_support.h"
#include "language/tree.h"
#include "run.h"

namespace morvel {
namespace {

using test::Compiled;

const std::string E = "[EXTRACT] default_extract = { }\n";
const std::string kSections =
    "about to parse input section\n"
    "about to parse extract section\n"
    "about to parse delivery section\n"
    "about to parse output section\n"
    "about to parse reformat section\n";

TEST(Compile, ReformatProgramNamedBeforeItsSection) {
    Compiled d(E +
               "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = later\n"
               "[REFORMAT] REFORMAT = later, text { }\n");
    ASSERT_TRUE(d.ok()) << d.messages();
    EXPECT_EQ(d.tree().outputs.at(0)->statements.at(0)->as<ReformatCall>().program,
              d.tree().reformats.at(0));
}

// A parse error ends the compile in the pass where it is found, before any tree is kept.
TEST(Compile, ParseErrorStopsThePassItIsFoundIn) {
    const struct {
        std::string text;
        std::string log;
    } cases[] = {
        {"[INPUT] { DEBUG 1\n", "about to parse input section\nMissing } at line 2 of test.def\n"},
        {"[INPUT] LINES_PER_PAGE = 500 default_extract\n" + E + test::kMinimalOutput,
         kSections +
             "Created id structures\n\nabout to parse input section\n"
             "Invalid value at line 1 of test.def\n"
             "500 is not allowed here; LINES_PER_PAGE takes a whole number from 1 to 300\n"},
    };
    for (const auto& c : cases) {
        Compiled d(c.text);
        EXPECT_EQ(d.result, -1) << c.text;
        EXPECT_EQ(d.c.log(), c.log);
        EXPECT_FALSE(d.tree().input);
        EXPECT_TRUE(d.tree().extracts.empty());
    }
}

TEST(Compile, MissingDefinitionFailsThePass) {
    test::CapturedRun c;
    c.run.scanner.definition_path = c.dir.file("absent.def");
    EXPECT_EQ(compile_pass(c.run, 1), -1);
}

TEST(Compile, PaletteIsResetAtTheStartOfEachPass) {
    test::CapturedRun c;
    c.run.scanner.definition_path = c.dir.write(
        "t.def",
        E + "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = rp\n"
            "[REFORMAT] REFORMAT = rp, hp { SETTINGS = { PALETTE = 8, 1, 2, 3 } }\n");
    create_internal_variables(c.run);
    c.run.tree.palette[9] = PaletteEntry{9, 9, 9};
    c.run.tree.palette[1] = PaletteEntry{1, 1, 1};
    ASSERT_EQ(compile_pass(c.run, 1), 0);
    EXPECT_EQ(c.run.tree.palette[9].red, 0);
    EXPECT_EQ(c.run.tree.palette[1].red, 246);
    ASSERT_TRUE(prepare_identifiers(c.run));
    c.run.tree.palette[8] = PaletteEntry{7, 7, 7};
    ASSERT_EQ(compile_pass(c.run, 2), 0);
    EXPECT_EQ(c.run.tree.palette[8].red, 1);
    EXPECT_EQ(c.run.tree.palette[8].green, 2);
    EXPECT_EQ(c.run.tree.palette[8].blue, 3);
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST(Compile, PassOneBuildsNoProgramRecords) {
    test::CapturedRun c;
    c.run.scanner.definition_path = c.dir.write("t.def", E + test::kMinimalOutput);
    create_internal_variables(c.run);
    ASSERT_EQ(compile_pass(c.run, 1), 0);
    EXPECT_FALSE(c.run.tree.input);
    EXPECT_TRUE(c.run.tree.extracts.empty());
    EXPECT_TRUE(c.run.tree.outputs.empty());
    Identifier* id = lookup(c.run, "default_extract");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->kind, IdKind::Extract);
    EXPECT_FALSE(id->object);
}

TEST(Compile, OverrideInvocation) {
    std::string outputs =
        "[OUTPUT] OUTPUT = one INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = INVOKE\n"
        "OUTPUT = two INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = INVOKE\n";
    const struct {
        const char* word;
        bool ok;
        const char* one;
        const char* two;
        const char* message;
    } cases[] = {
        {"one=cat > @", true, "cat > @", "-", ""},
        {"TWO=!print", true, "-", "!print", ""},
        {"All=x=y", true, "x=y", "x=y", ""},
        {"one=", true, "", "-", ""},
        {"one", false, "-", "-", "Missing printer value in printer override one\n"},
        {"three=x", false, "-", "-", "three not found or not an output program\n"},
        {"default_extract=x", false, "-", "-",
         "default_extract not found or not an output program\n"},
    };
    for (const auto& c : cases) {
        Compiled d(E + outputs);
        ASSERT_TRUE(d.ok()) << d.messages();
        EXPECT_EQ(override_invocation(d.run(), c.word), c.ok) << c.word;
        auto text = [](const OutputProgram* p) {
            return p->invocation.override_text.value_or("-");
        };
        EXPECT_EQ(text(d.tree().outputs[0]), c.one) << c.word;
        EXPECT_EQ(text(d.tree().outputs[1]), c.two) << c.word;
        std::string messages = d.messages();
        EXPECT_EQ(messages.substr(0, std::string(c.message).size()), c.message) << c.word;
        EXPECT_EQ(d.run().MEMORY_ERROR, c.ok ? 0 : 1) << c.word;
    }
}

std::string nested_parentheses(int depth) {
    return "[INPUT] { DEBUG " + std::string(static_cast<std::size_t>(depth), '(') + "1" +
           std::string(static_cast<std::size_t>(depth), ')') + " default_extract }\n" + E +
           test::kMinimalOutput;
}

std::string nested_blocks(int depth) {
    std::string text = "[INPUT] { ";
    for (int i = 0; i < depth; ++i) text += "IF 1 THEN { ";
    text += "DEBUG 1 ";
    for (int i = 0; i < depth; ++i) text += "} ";
    return text + "default_extract }\n" + E + test::kMinimalOutput;
}

// Two hundred levels of nesting are allowed; the section block and the expression
// itself count as levels.
// A value read from the spool and passed without QUOTED is split at blanks by the
// command line: compiling says so once for each such parameter, with its line.
TEST(Compile, UnquotedSpoolValueInParametersIsPointedOut) {
    const std::string fields =
        "[EXTRACT] default_extract = { FIELD = 1, 1, 10, number }\n"
        "[OUTPUT] OUTPUT = out INVOCATION = \"cp\"\n";
    const std::string mask =
        "MASK = { sheet }\n[REFORMAT] REFORMAT = sheet, text { FIELD = 0, 0, , , number }\n";
    const struct {
        const char* what;
        std::string parameters;
        std::string mask_statements;
        std::string message;  // "" for none
    } cases[] = {
        {"field", "PARAMETERS = { OUTPUT_FILE,\n number }\n", "",
         "number in the PARAMETERS of output out at line 4 of test.def is not QUOTED: the "
         "command gets its value split at blanks\n"},
        {"quoted field", "PARAMETERS = { OUTPUT_FILE, QUOTED number }\n", "", ""},
        {"alias filled from a field", "PARAMETERS = { OUTPUT_FILE, ALIAS target = \"x\" }\n",
         "LET target = \"out/\" + TRIM(number)\n",
         "target in the PARAMETERS of output out at line 3 of test.def is not QUOTED: the "
         "command gets its value split at blanks\n"},
        {"quoted alias filled from a field",
         "PARAMETERS = { OUTPUT_FILE, QUOTED ALIAS target = \"x\" }\n",
         "LET target = \"out/\" + TRIM(number)\n", ""},
        {"variable of options", "PARAMETERS = { OUTPUT_FILE, ALIAS options = \"-n 2\" }\n",
         "LET options = \"-n 3\"\n", ""},
        {"spool line", "PARAMETERS = { OUTPUT_FILE, spool_line }\n", "",
         "spool_line in the PARAMETERS of output out at line 3 of test.def is not QUOTED: the "
         "command gets its value split at blanks\n"},
    };
    for (const auto& c : cases) {
        std::string text = fields + c.parameters;
        if (c.mask_statements.empty())
            text += mask;
        else
            text += "MASK = { " + c.mask_statements +
                    " sheet }\n[REFORMAT] REFORMAT = sheet, text { FIELD = 0, 0, , , number }\n";
        Compiled d(text);
        EXPECT_TRUE(d.ok()) << c.what << "\n" << d.messages();
        EXPECT_EQ(d.messages(), c.message) << c.what;
    }
}

TEST(Compile, NestingDepthIsLimited) {
    const struct {
        std::string text;
        bool ok;
    } cases[] = {
        {nested_parentheses(198), true},     {nested_parentheses(199), false},
        {nested_blocks(198), true},          {nested_blocks(199), false},
        {nested_parentheses(100000), false},
    };
    for (const auto& c : cases) {
        Compiled d(c.text);
        EXPECT_EQ(d.result, c.ok ? 0 : -1) << c.text.size();
        EXPECT_EQ(d.messages(), c.ok ? ""
                                     : "Statements or expressions are nested too deeply at line 1 "
                                       "of test.def\n")
            << c.text.size();
    }
}

TEST(Compile, ManyStatementsAreAppendedInOrder) {
    std::string text = "[INPUT] {\n";
    for (int i = 0; i < 20000; ++i) text += "DEBUG " + std::to_string(i) + "\n";
    Compiled d(text + "default_extract }\n" + E + test::kMinimalOutput);
    ASSERT_TRUE(d.ok()) << d.messages();
    const StatementList& list = d.tree().input->statements;
    ASSERT_EQ(list.size(), 20001u);
    EXPECT_EQ(dump(*list[12345]), "(DEBUG (+ 12345))");
    EXPECT_EQ(list[12345]->line, 12347);
}

const std::string kUsesOutput =
    "[EXTRACT] default_extract = { }\n"
    "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = rp\n";

TEST(UsesFiles, ACompleteProgramKeepsItsSourceIndex) {
    Compiled d(kUsesOutput + "[REFORMAT]\n#uses \"@DIR@/lib.def\"\n",
               {{"lib.def", "REFORMAT = rp, text {\n  MESSAGE = 0, 0, , , \"x\"\n}\n"}});
    ASSERT_TRUE(d.ok()) << d.messages();
    const ReformatProgram& p = *d.tree().reformats.at(0);
    EXPECT_EQ(p.source_index, 1);
    EXPECT_EQ(p.statements.at(0)->source_index, 1);
    EXPECT_EQ(p.statements.at(0)->line, 2);
    EXPECT_EQ(d.tree().outputs.at(0)->source_index, 0);
}

TEST(UsesFiles, ASeriesOfStatementsInsideABlock) {
    Compiled d("[INPUT] {\n#uses \"@DIR@/lib.def\"\ndefault_extract }\n" + kUsesOutput +
                   "[REFORMAT] REFORMAT = rp, text { }\n",
               {{"lib.def", "DEBUG 1\nDEBUG 2\n"}});
    ASSERT_TRUE(d.ok()) << d.messages();
    const StatementList& list = d.tree().input->statements;
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[1]->source_index, 1);
    EXPECT_EQ(list[1]->line, 2);
    EXPECT_EQ(list[2]->source_index, 0);
}

TEST(UsesFiles, ProgramsMustNotCrossTheirFile) {
    const struct {
        const char* name;
        std::string definition;
        std::string lib;
        const char* expected;  // followed by " at line N of <lib>"
        int line;
    } cases[] = {
        {"two programs", kUsesOutput + "[REFORMAT]\n#uses \"@DIR@/lib.def\"\n",
         "REFORMAT = rp, text { }\nREFORMAT = other, text { }\n",
         "#USES can only contain a series of statements, or a complete program", 2},
        {"program left open", kUsesOutput + "[REFORMAT]\n#uses \"@DIR@/lib.def\"\n}\n",
         "REFORMAT = rp, text {\nMESSAGE = 0, 0, , , \"x\"\n",
         "Cannot enter/exit uses/include file at this point", 3},
        {"extract program left open",
         "[EXTRACT]\n#uses \"@DIR@/lib.def\"\n}\n" + std::string(test::kMinimalOutput),
         "default_extract = {\n", "Cannot enter/exit uses/include file at this point", 2},
        {"output program ending in the definition",
         "[EXTRACT] default_extract = { }\n[OUTPUT]\n#uses \"@DIR@/lib.def\"\nINVOKE\n",
         "OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK =\n",
         "Cannot enter/exit uses/include file at this point", 2},
        {"block left open", "[INPUT] {\n#uses \"@DIR@/lib.def\"\n} }\n" + kUsesOutput,
         "DEBUG 1 IF 1 THEN {\n", "Cannot enter/exit uses/include file at this point", 2},
    };
    for (const auto& c : cases) {
        Compiled d(c.definition, {{"lib.def", c.lib}});
        std::string expected = std::string(c.expected) + " at line " + std::to_string(c.line) +
                               " of " + d.c.dir.file("lib.def") + "\n";
        EXPECT_EQ(d.messages(), expected) << c.name;
        EXPECT_EQ(d.result, -1) << c.name;
    }
}

TEST(Compile, ConversionsOfSettingsReportTheirRole) {
    Compiled d(
        "[INPUT] { VARIABLE = tray, string, \"abc\" VARIABLE = wide, string, \"x\" "
        "default_extract }\n" +
        kUsesOutput +
        "[REFORMAT] REFORMAT = rp, hp { SETTINGS = { PRINTER_TRAY = tray "
        "CHARACTER_WIDTH = wide } }\n");
    EXPECT_EQ(d.messages(), "PRINTER_TRAY passed abc\nCHAR_WIDTH passed x\n");
    EXPECT_EQ(d.result, 0);
    EXPECT_EQ(d.run().MEMORY_ERROR, 1);
}

// A reformat parameter binds a variable declared elsewhere instead of declaring it twice;
// an unknown parameter name declares its own variable.
TEST(Compile, ReformatParametersBindDeclaredVariables) {
    Compiled d(
        "[INPUT] { REPEAT ext }\n[EXTRACT] ext = { VARIABLE = p1 FIELD = 1, 1, 10, fa }\n"
        "[OUTPUT] OUTPUT = out INVOCATION = \"lp\" PARAMETERS = OUTPUT_FILE MASK = { pg }\n"
        "[REFORMAT] REFORMAT = wrap, text, p1, p2 { FUNCTION = STRCAT(p1, p2) }\n"
        "REFORMAT = pg, text { MESSAGE = 0, 0, , , wrap(fa, \"x\") }\n");
    EXPECT_TRUE(d.ok()) << d.messages();
    auto* wrap = lookup(d.run(), "wrap")->as<ReformatProgram>();
    ASSERT_NE(wrap, nullptr);
    ASSERT_EQ(wrap->parameters.size(), 2u);
    EXPECT_EQ(wrap->parameters[0].variable, lookup(d.run(), "p1")->as<VariableRecord>());
}

}  // namespace
}  // namespace morvel
