#include "values/identifiers.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <vector>

#include "test_support.h"
#include "values/value.h"

namespace morvel {
namespace {

std::vector<std::string> names_of(Identifier* root) {
    std::vector<std::string> names;
    for (Identifier* id : preorder(root)) names.push_back(id->name);
    return names;
}

// A run with the internal variables and the given declarations, objects created.
void prepare(Run& run, std::initializer_list<std::pair<const char*, IdKind>> declared) {
    ASSERT_EQ(create_internal_variables(run), 0);
    for (const auto& [name, kind] : declared) ASSERT_TRUE(define(run, name, kind));
    ASSERT_TRUE(create_objects(run));
}

const LineCell& cell_of(Run& run, const char* name) {
    return lookup(run, name)->as<VariableRecord>()->cell;
}

TEST(Identifiers, NamesDifferingInCaseAreOneIdentifier) {
    test::CapturedRun c;
    c.run.current_line = 3;
    EXPECT_TRUE(define(c.run, "Total", IdKind::Variable));
    c.run.current_line = 9;
    EXPECT_FALSE(define(c.run, "TOTAL", IdKind::Field));
    EXPECT_EQ(c.log(), "Duplicate definition of TOTAL\n");
    Identifier* id = lookup(c.run, "total");
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(id->name, "Total");
    EXPECT_EQ(id->kind, IdKind::Variable);
    EXPECT_EQ(id->line, 3);
    EXPECT_EQ(c.run.MEMORY_ERROR, 1);
}

TEST(Identifiers, InternalVariablesAreCreatedOnceInOrder) {
    test::CapturedRun c;
    ASSERT_EQ(create_internal_variables(c.run), 0);
    EXPECT_TRUE(c.run.ids.internal_variables_ready);
    ASSERT_NE(c.run.ids.definitions, nullptr);
    EXPECT_EQ(c.run.ids.definitions->name, "first_page");  // the first defined is the root
    for (const char* name : kInternalVariables) {
        Identifier* id = lookup(c.run, name);
        ASSERT_NE(id, nullptr) << name;
        EXPECT_TRUE(is_variable(*id));
        EXPECT_TRUE(is_default_identifier(name));
    }
    errno = 0;  // a level-2 error adds the system text when errno is set
    EXPECT_EQ(create_internal_variables(c.run), -1);
    EXPECT_EQ(c.log(),
              "Duplicate definition of first_page\n"
              "Unable to create first_page variable\n");
}

TEST(Identifiers, NameOf31CharactersIsKeptAnd32IsRefused) {
    test::CapturedRun c;
    std::string name31(31, 'a');
    std::string name32 = std::string(31, 'b') + "c";
    EXPECT_TRUE(define(c.run, name31, IdKind::Variable));
    EXPECT_EQ(c.log(), "");
    ASSERT_NE(lookup(c.run, name31), nullptr);
    EXPECT_EQ(lookup(c.run, name31)->name, name31);

    define(c.run, name32, IdKind::Variable);
    EXPECT_EQ(c.log(), "Tried to copy " + name32 + " into a 31 size string\n");
    EXPECT_EQ(lookup(c.run, name32), nullptr);
    ASSERT_NE(lookup(c.run, ""), nullptr);
    // A second long name collides with the empty one and is named as written.
    std::string other32(32, 'z');
    EXPECT_FALSE(define(c.run, other32, IdKind::Variable));
    EXPECT_NE(c.log().find("Duplicate definition of " + other32 + "\n"), std::string::npos);
}

TEST(Identifiers, CheckReferencesVisitsEntryThenLeftThenRight) {
    test::CapturedRun c;
    // Inserted as m c x a e z b; the tree visits m c a b e x z. Extremes (x, a, z) and
    // inner names (e, b) both land where a descent from the root puts them.
    int line = 10;
    for (const char* name : {"m", "c", "x", "a", "e", "z", "b", "M", "Spool_Line", "known"}) {
        c.run.current_line = line++;
        ASSERT_TRUE(reference(c.run, name));
    }
    c.run.current_line = 1;
    ASSERT_TRUE(define(c.run, "KNOWN", IdKind::Variable));
    EXPECT_EQ(c.log(), "");
    EXPECT_FALSE(check_references(c.run));
    EXPECT_EQ(c.log(),
              "Couldnt find definition of m at line 10\n"
              "Couldnt find definition of c at line 11\n"
              "Couldnt find definition of a at line 13\n"
              "Couldnt find definition of b at line 16\n"
              "Couldnt find definition of e at line 14\n"
              "Couldnt find definition of x at line 12\n"
              "Couldnt find definition of z at line 15\n");
    EXPECT_EQ(is_referenced(c.run, "SPOOL_LINE")->line, 18);
}

TEST(Identifiers, CheckReferencesPassesWhenEverythingIsDeclared) {
    test::CapturedRun c;
    reference(c.run, "default_extract");
    reference(c.run, "Field1");
    define(c.run, "field1", IdKind::Field);
    EXPECT_TRUE(check_references(c.run));
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST(Identifiers, UnusedOutputProgramIsQuietButUnusedVariableAndFieldWarn) {
    test::CapturedRun c;
    ASSERT_EQ(create_internal_variables(c.run), 0);
    c.run.current_line = 4;
    define(c.run, "printer", IdKind::Output);
    define(c.run, "layout", IdKind::Reformat);
    c.run.current_line = 7;
    define(c.run, "counter", IdKind::Variable);
    c.run.current_line = 8;
    define(c.run, "amount", IdKind::Field);
    reference(c.run, "LAYOUT");
    EXPECT_FALSE(check_unused(c.run));
    EXPECT_EQ(c.log(),
              "counter defined but not used, at line 7\n"
              "amount defined but not used, at line 8\n");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);  // warnings only
}

TEST(Identifiers, CreateObjectsByKindKeepsExistingObjects) {
    test::CapturedRun c;
    define(c.run, "v", IdKind::Variable);
    define(c.run, "f", IdKind::Field);
    define(c.run, "e", IdKind::Extract);
    ASSERT_TRUE(create_objects(c.run));
    auto* var = lookup(c.run, "v")->as<VariableRecord>();
    ASSERT_NE(var, nullptr);
    EXPECT_EQ(var->name, "v");
    EXPECT_EQ(var->cell.value, std::string());
    ASSERT_NE(lookup(c.run, "f")->object, nullptr);
    EXPECT_EQ(lookup(c.run, "f")->as<VariableRecord>(), nullptr);
    EXPECT_TRUE(is_value_identifier(*lookup(c.run, "f")));
    EXPECT_FALSE(is_value_identifier(*lookup(c.run, "e")));

    define(c.run, "odd", IdKind::Reference);  // a kind without a run-time object
    EXPECT_FALSE(create_objects(c.run));
    EXPECT_EQ(lookup(c.run, "v")->as<VariableRecord>(), var);
}

TEST(Identifiers, DefaultIdentifiersAreAddedOnlyWhenMissing) {
    test::CapturedRun c;
    define(c.run, "Default_Line", IdKind::Field);
    add_default_identifiers(c.run);
    EXPECT_EQ(c.log(), "");
    EXPECT_EQ(lookup(c.run, "default_line")->name, "Default_Line");
    EXPECT_EQ(lookup(c.run, "default_hp_font")->kind, IdKind::HpFont);
    EXPECT_EQ(lookup(c.run, "default_epson_font")->kind, IdKind::EpsonFont);
    EXPECT_TRUE(is_default_identifier("DEFAULT_INPUT"));
    EXPECT_FALSE(is_default_identifier("default"));
}

TEST(Identifiers, TextAssignmentWaitsForTheInternalVariables) {
    test::CapturedRun c;
    define(c.run, "v", IdKind::Variable);
    create_objects(c.run);
    EXPECT_FALSE(set_text_variable(c.run, "v", std::string("x")));
    EXPECT_FALSE(set_text_variable(c.run, "missing", std::string("x")));
    EXPECT_EQ(c.log(), "");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    // last_page is looked up all the same, and its absence reported.
    errno = 0;
    EXPECT_FALSE(set_last_page(c.run, 1));
    EXPECT_EQ(c.log(), "Unable to find last_page variable\n");
}

TEST(Identifiers, AssignmentKeepsThePreviousValueAndRestartsReading) {
    test::CapturedRun c;
    prepare(c.run, {{"v", IdKind::Variable}, {"f", IdKind::Field}});
    LineCell& cell = lookup(c.run, "v")->as<VariableRecord>()->cell;
    cell.line_index = 3;
    cell.exhausted = true;
    EXPECT_TRUE(set_text_variable(c.run, "V", std::string("one")));
    EXPECT_TRUE(set_text_variable(c.run, "v", std::nullopt));
    EXPECT_EQ(cell.value, std::nullopt);
    EXPECT_EQ(cell.previous, "one");
    EXPECT_EQ(cell.line_index, 1);
    EXPECT_FALSE(cell.exhausted);

    errno = 0;
    EXPECT_FALSE(set_text_variable(c.run, "nosuch", std::string("x")));
    EXPECT_FALSE(set_text_variable(c.run, "f", std::string("x")));
    EXPECT_FALSE(set_integer_variable(c.run, "nosuch", 1));
    EXPECT_FALSE(set_integer_variable(c.run, "f", 1));
    EXPECT_EQ(c.log(),
              "Unable to find variable nosuch\n"
              "f is not a string variable\n"
              "Unable to find nosuch variable\n"
              "f is not a string variable\n");
}

TEST(Identifiers, InternalVariablesStartValuesAndLastPage) {
    test::CapturedRun c;
    prepare(c.run, {});
    initialise_internal_variables(c.run, "in.prn");
    EXPECT_EQ(cell_of(c.run, "first_page").value, "1");
    EXPECT_EQ(cell_of(c.run, "spool_name").value, "in.prn");
    EXPECT_EQ(cell_of(c.run, "spool_line").value, "");
    EXPECT_EQ(get_integer_variable(c.run, "last_page"), 0);
    EXPECT_EQ(get_integer_variable(c.run, "utf8"), 0);

    set_integer_variable(c.run, "repeat_count", 5);
    EXPECT_EQ(cell_of(c.run, "repeat_count").previous, "0");
    EXPECT_EQ(get_integer_variable(c.run, "REPEAT_COUNT"), 5);

    // last_page changes only its current value.
    LineCell& last = lookup(c.run, "last_page")->as<VariableRecord>()->cell;
    last.previous = "prev";
    last.line_index = 4;
    EXPECT_TRUE(set_last_page(c.run, 1));
    EXPECT_EQ(last.value, "1");
    EXPECT_EQ(last.previous, "prev");
    EXPECT_EQ(last.line_index, 4);
    EXPECT_EQ(c.log(), "");

    errno = 0;
    set_text_variable(c.run, "utf8", std::string("yes"));
    EXPECT_EQ(get_integer_variable(c.run, "utf8"), 0);
    EXPECT_EQ(get_integer_variable(c.run, "gone"), -1);
    EXPECT_EQ(c.log(),
              "Trying to convert a non numeric string 'yes' to a number\n"
              "Unable to find gone variable\n");
}

TEST(Identifiers, AssignmentsAreTracedWithBit4) {
    test::CapturedRun c;
    prepare(c.run, {});
    set_text_variable(c.run, "utf8", std::string("1"));
    EXPECT_EQ(c.log(), "");
    c.run.trace_flags = 4;
    set_text_variable(c.run, "utf8", std::string("a \"b\""));
    set_text_variable(c.run, "spool_line", std::nullopt);
    set_integer_variable(c.run, "repeat_count", -7);
    EXPECT_EQ(c.log(),
              "Setting var utf8=\"a \"b\"\"\n"
              "Setting var spool_line=NULL\n"
              "Setting var repeat_count=\"-7\"\n");
    // A long value goes through the large-message channel, not cut at 255 bytes.
    std::string big(5000, 'q');
    set_text_variable(c.run, "spool_page", big);
    EXPECT_NE(c.log().find("Setting var spool_page=\"" + big + "\"\n"), std::string::npos);
}

TEST(Identifiers, OverrideOfAFieldFailsTheRun) {
    test::CapturedRun c;
    prepare(c.run, {{"Name", IdKind::Field}});
    EXPECT_FALSE(override_variable(c.run, "Name=abc"));
    EXPECT_EQ(c.log(), "Name is not a string variable\n");
    EXPECT_EQ(c.run.MEMORY_ERROR, 1);
}

TEST(Identifiers, OverrideReplacesTheValueOrSkipsUnknownNames) {
    test::CapturedRun c;
    prepare(c.run, {{"Rate", IdKind::Variable}});
    EXPECT_TRUE(override_variable(c.run, "RATE=a=b"));
    EXPECT_EQ(cell_of(c.run, "rate").value, "a=b");
    EXPECT_TRUE(override_variable(c.run, "utf8="));
    EXPECT_EQ(cell_of(c.run, "utf8").value, "");
    EXPECT_TRUE(override_variable(c.run, "nosuch=1"));
    EXPECT_EQ(c.log(), "Unable to find variable nosuch to override\n");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_FALSE(override_variable(c.run, "Rate"));
    EXPECT_EQ(c.run.MEMORY_ERROR, 1);
    EXPECT_NE(c.log().find("Missing variable value in variable override Rate\n"),
              std::string::npos);
}

TEST(Identifiers, SortedNamesBuildADeepTreeThatIsTornDownWithoutRecursion) {
    constexpr int kCount = 100000;
    {
        test::CapturedRun c;
        char name[16];
        for (int i = 0; i < kCount; ++i) {
            std::snprintf(name, sizeof name, "v%06d", i);
            ASSERT_TRUE(define(c.run, name, IdKind::Variable));
            std::snprintf(name, sizeof name, "r%06d", kCount - i);
            ASSERT_TRUE(reference(c.run, name));
        }
        EXPECT_FALSE(define(c.run, "V050000", IdKind::Variable));
        EXPECT_NE(lookup(c.run, "v099999"), nullptr);
        EXPECT_NE(is_referenced(c.run, "R000001"), nullptr);
        // Ascending names make a right spine, descending names a left spine.
        Identifier* deepest = c.run.ids.definitions.get();
        while (deepest->right) deepest = deepest->right.get();
        EXPECT_EQ(deepest->name, "v099999");
        Identifier* leftmost = c.run.ids.references.get();
        while (leftmost->left) leftmost = leftmost->left.get();
        EXPECT_EQ(leftmost->name, "r000001");
        EXPECT_TRUE(create_objects(c.run));
        EXPECT_EQ(names_of(c.run.ids.definitions.get()).size(), static_cast<std::size_t>(kCount));
    }
    SUCCEED();  // reaching here means the teardown did not overflow the stack
}

}  // namespace
}  // namespace morvel
