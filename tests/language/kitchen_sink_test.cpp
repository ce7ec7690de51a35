// The kitchen-sink definition uses every section, statement, setting, option and
// expression form. It compiles without a message, and its whole tree is compared with
// a reviewed dump, so a changed shape anywhere shows up here.
#include <gtest/gtest.h>

#include <string>

#include "compile_support.h"
#include "language/compile.h"
#include "language/field.h"
#include "language/tree.h"

namespace morvel {
namespace {

std::string data_file(const char* name) {
    return test::read_file(std::string(MORVEL_SOURCE_DIR) + "/tests/language/data/" + name);
}

class KitchenSink : public ::testing::Test {
  protected:
    test::Compiled d{data_file("kitchen_sink.def")};
    const ReformatProgram& reformat(std::size_t i) { return *d.tree().reformats.at(i); }
};

TEST_F(KitchenSink, CompilesWithoutAnyMessage) {
    EXPECT_TRUE(d.ok());
    EXPECT_EQ(d.messages(), "");
}

TEST_F(KitchenSink, TreeMatchesTheReviewedDump) {
    EXPECT_EQ(dump(d.tree()), data_file("kitchen_sink.tree"));
}

TEST_F(KitchenSink, PrinterSettings) {
    const ReformatProgram& p = reformat(0);
    EXPECT_EQ(p.character_width, 25.5);
    EXPECT_EQ(p.line_height, 40.0);
    EXPECT_EQ(p.duplex, 1);
    EXPECT_TRUE(p.uses_hpgl);
    EXPECT_FALSE(p.hpgl_forbidden);
    EXPECT_EQ(p.page_height, 66);  // LINES_PER_PAGE after PAGE_HEIGHT wins
    EXPECT_EQ(p.paper_size, 27);
    EXPECT_EQ(p.printer_tray, 10);  // x_pos, read when compiled
    EXPECT_EQ(p.orientation, 1);
    EXPECT_EQ(p.x_shift, 10);
    EXPECT_EQ(p.y_shift, 20);
    EXPECT_EQ(p.pad, 1);
    EXPECT_EQ(p.trim_lines, 0);
    EXPECT_EQ(dump(*p.num_copies), "2");
    EXPECT_EQ(dump(*p.colour), "counter");
    EXPECT_EQ(dump(*p.symbol_set), "\"8U\"");
    ASSERT_EQ(p.include_files.size(), 2u);
    EXPECT_EQ(dump(p.include_files[1]), "label");
    EXPECT_EQ(p.character_map['A'], 'a');
    EXPECT_EQ(p.map_lower, 1);
    EXPECT_EQ(p.tab, 4);
    ASSERT_EQ(p.parameters.size(), 2u);
    EXPECT_EQ(p.parameters[1].variable->name, "p2");
    ASSERT_EQ(p.macro_forms.size(), 2u);
    EXPECT_EQ(p.macro_forms[0].macro_number, 110);
    EXPECT_EQ(p.macro_forms[1].macro_number, 5);
    EXPECT_EQ(dump(p.macro_forms[1].y), "40");
    ASSERT_EQ(p.hp_fonts.size(), 5u);
    EXPECT_EQ(p.hp_fonts[0]->colour, 1);
    ASSERT_EQ(p.epson_fonts.size(), 1u);
    EXPECT_EQ(d.tree().palette[8].blue, 30);
}

TEST_F(KitchenSink, TextSettings) {
    const ReformatProgram& text = reformat(1);
    EXPECT_EQ(text.page_width, 132);
    EXPECT_EQ(text.page_height, 60);
    EXPECT_EQ(text.form_feed, 1);
    EXPECT_EQ(text.force_form_feed, 1);
    EXPECT_EQ(text.trim_lines, 1);
    EXPECT_EQ(text.pad, 0);
    EXPECT_TRUE(text.uses_hpgl);  // ALIGN: right
    EXPECT_EQ(reformat(3).parameters.at(0).variable->name, "u1");
}

TEST_F(KitchenSink, OutputSettings) {
    const OutputProgram& printer = *d.tree().outputs[0];
    EXPECT_EQ(dump(*printer.pre_init), "(+ \"pre\")");
    EXPECT_EQ(dump(*printer.init_str), "(+ \"init\")");
    EXPECT_EQ(dump(*printer.post_init), "(+ \"post\")");
    EXPECT_EQ(dump(*printer.finalise), "(+ \"end\")");
    EXPECT_EQ(dump(*printer.xml_encoding), "(+ \"UTF-8\")");
    EXPECT_EQ(dump(*printer.xml_root), "(+ \"DOCUMENT\")");
    EXPECT_EQ(dump(*printer.xml_version), "(+ 1.0)");
    EXPECT_EQ(printer.xml_warning_level, 2);
    EXPECT_EQ(d.tree().outputs[1]->xml_warning_level, 0);
}

TEST_F(KitchenSink, FieldsAndCaseFamilies) {
    const ExtractProgram& invoice = *d.tree().extracts[0];
    ASSERT_EQ(invoice.fields.size(), 7u);
    EXPECT_EQ(invoice.fields[2]->kind, FieldKind::Colon);
    EXPECT_EQ(invoice.fields[4]->kind, FieldKind::Xml);
    const Statement& extract_case = *invoice.statements.back();
    EXPECT_EQ(extract_case.as<CaseStatement>().family, Tok::SEC_EXTRACT);
    const Statement& delivery_case = *d.tree().delivery->statements.at(3);
    EXPECT_EQ(delivery_case.as<CaseStatement>().family, Tok::SEC_DELIVERY);
    const Statement& reformat_case = *reformat(0).statements.at(25);
    EXPECT_EQ(reformat_case.kind, Tok::CASE);
    EXPECT_EQ(reformat_case.as<CaseStatement>().family, Tok::SEC_REFORMAT);
}

// A token file holds the token stream of the definition; compiling its replay must
// give the same tree as compiling the text.
TEST(KitchenSinkTokens, ReplayedTokenStreamBuildsTheSameTree) {
    test::CapturedRun recorded;
    std::string stream;
    recorded.run.scanner.definition_path =
        recorded.dir.write("test.def", data_file("kitchen_sink.def"));
    recorded.run.scanner.record = &stream;
    create_internal_variables(recorded.run);
    ASSERT_EQ(compile_pass(recorded.run, 1), 0);
    ASSERT_TRUE(prepare_identifiers(recorded.run));
    ASSERT_EQ(compile_pass(recorded.run, 2), 0);
    recorded.run.scanner.record = nullptr;

    test::CapturedRun replayed;
    replayed.run.options.definition_name = "test.def";
    replayed.run.scanner.replay = &stream;
    create_internal_variables(replayed.run);
    ASSERT_EQ(compile_pass(replayed.run, 1), 0);
    ASSERT_TRUE(prepare_identifiers(replayed.run));
    ASSERT_EQ(compile_pass(replayed.run, 2), 0);
    EXPECT_EQ(replayed.run.MEMORY_ERROR, 0);
    EXPECT_EQ(dump(replayed.run.tree), data_file("kitchen_sink.tree"));
}

}  // namespace
}  // namespace morvel
