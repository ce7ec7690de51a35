// The editor queries on a small definition, without the protocol.
#include "lsp/queries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "test_support.h"

namespace morvel::lsp {
namespace {

const Analysis& payslip() {
    static const Analysis a = analyse(
        "payslip.def",
        test::read_file(std::string(MORVEL_SOURCE_DIR) + "/tests/language/data/check_payslip.def"));
    return a;
}

bool has_label(const std::vector<CompletionItem>& items, const std::string& label, ItemKind kind) {
    return std::any_of(items.begin(), items.end(),
                       [&](const CompletionItem& c) { return c.label == label && c.kind == kind; });
}

TEST(LspQueries, CleanDefinitionHasNoDiagnostics) {
    EXPECT_TRUE(diagnostics(payslip()).empty());
}

TEST(LspQueries, MisspeltKeywordDiagnosticCoversTheWord) {
    std::string text =
        test::read_file(std::string(MORVEL_SOURCE_DIR) + "/tests/language/data/check_payslip.def");
    text.replace(text.find("    MESSAGE=150,230"), 11, "    MESAGE");
    Analysis a = analyse("p.def", text);
    std::vector<Diagnostic> d = diagnostics(a);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_EQ(d[0].span.start, (Place{29, 4}));
    EXPECT_EQ(d[0].span.end, (Place{29, 10}));
    EXPECT_EQ(d[0].message,
              "MESAGE is not a setting or statement known here; did you mean MESSAGE?\nMissing }");
}

struct CompletionCase {
    const char* where;
    Place at;
    const char* label;
    ItemKind kind;
    bool present;
};

TEST(LspQueries, CompletionFitsThePlace) {
    // clang-format off
    const CompletionCase cases[] = {
        {"statement start in a reformat program", {29, 4}, "BARCODE", ItemKind::Keyword, true},
        {"statement start in a reformat program", {29, 4}, "INVOKE", ItemKind::Keyword, false},
        {"statement start in an extract program", {8, 4}, "FIELD", ItemKind::Keyword, true},
        {"statement start in an extract program", {8, 4}, "BARCODE", ItemKind::Keyword, false},
        {"inside SETTINGS", {25, 8}, "ORIENTATION", ItemKind::Keyword, true},
        {"inside SETTINGS", {25, 8}, "MESSAGE", ItemKind::Keyword, false},
        {"between sections", {12, 0}, "[REFORMAT]", ItemKind::Keyword, true},
        {"after a comma", {8, 17}, "SUBSTRING", ItemKind::Function, true},
        {"after a comma", {8, 17}, "amount", ItemKind::Field, true},
        {"after a comma", {8, 17}, "count", ItemKind::Variable, true},
        {"after a comma", {8, 17}, "body_font", ItemKind::Font, true},
        {"after a comma", {8, 17}, "IF", ItemKind::Keyword, false},
    };
    // clang-format on
    for (const CompletionCase& c : cases)
        EXPECT_EQ(has_label(complete(payslip(), c.at), c.label, c.kind), c.present)
            << c.where << ": " << c.label;
}

TEST(LspQueries, FunctionCompletionShowsItsForm) {
    for (const CompletionItem& c : complete(payslip(), {8, 17}))
        if (c.label == "SUBSTRING") {
            EXPECT_EQ(c.detail, "SUBSTRING(text, start, length [, utf8])");
        }
}

TEST(LspQueries, Hover) {
    std::optional<std::string> fn = hover(payslip(), {31, 32});  // SUBSTRING
    ASSERT_TRUE(fn);
    EXPECT_NE(fn->find("SUBSTRING(text, start, length [, utf8])"), std::string::npos);
    std::optional<std::string> name = hover(payslip(), {32, 32});  // name
    ASSERT_TRUE(name);
    EXPECT_NE(name->find("field **name**, declared at line 9"), std::string::npos) << *name;
    std::optional<std::string> keyword = hover(payslip(), {35, 5});  // BARCODE
    ASSERT_TRUE(keyword);
    EXPECT_NE(keyword->find("prints a barcode"), std::string::npos);
    EXPECT_FALSE(hover(payslip(), {4, 0}));  // an empty line
}

TEST(LspQueries, DefinitionAndReferences) {
    std::optional<Location> d = definition(payslip(), {32, 33});  // name in MESSAGE
    ASSERT_TRUE(d);
    EXPECT_EQ(d->span.start, (Place{8, 17}));
    EXPECT_EQ(d->span.end, (Place{8, 21}));
    std::vector<Location> uses = references(payslip(), {8, 18}, true);
    EXPECT_EQ(uses.size(), 3u);  // declaration, SUBSTRING(name...), MESSAGE ... name
    EXPECT_EQ(references(payslip(), {8, 18}, false).size(), 2u);
    EXPECT_FALSE(definition(payslip(), {31, 32}));  // a built-in function
}

TEST(LspQueries, SymbolsAndFolds) {
    std::vector<Symbol> s = document_symbols(payslip());
    ASSERT_EQ(s.size(), 4u);
    EXPECT_EQ(s[0].name, "[INPUT]");
    EXPECT_EQ(s[3].name, "[REFORMAT]");
    ASSERT_EQ(s[1].children.size(), 1u);
    EXPECT_EQ(s[1].children[0].name, "read_page");
    ASSERT_EQ(s[3].children.size(), 1u);
    EXPECT_EQ(s[3].children[0].name, "slip");
    EXPECT_EQ(s[3].children[0].span.start, (Place{21, 0}));
    std::vector<Fold> f = folding_ranges(payslip());
    bool settings = std::any_of(
        f.begin(), f.end(), [](const Fold& x) { return x.start_line == 24 && x.end_line == 27; });
    EXPECT_TRUE(settings);
}

TEST(LspQueries, HugeDocumentIsNotAnalysed) {
    Analysis a = analyse("big.def", std::string(kMaxDocumentBytes + 1, ' '));
    std::vector<Diagnostic> d = diagnostics(a);
    ASSERT_EQ(d.size(), 1u);
    EXPECT_NE(d[0].message.find("larger than"), std::string::npos);
    EXPECT_TRUE(complete(a, {0, 0}).size() > 0);
}

}  // namespace
}  // namespace morvel::lsp
