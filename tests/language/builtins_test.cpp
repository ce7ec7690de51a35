#include "language/builtins.h"

#include <gtest/gtest.h>

#include <string>

#include "compile_support.h"
#include "language/tree.h"

namespace morvel {
namespace {

TEST(Builtins, EveryRowIsAKeywordAndOperatorsAreNoFunctions) {
    for (const Builtin& b : kBuiltins) {
        EXPECT_EQ(keyword_lookup(token_name(b.token)), b.token) << token_name(b.token);
        EXPECT_EQ(builtin_of(b.token), &b);
    }
    for (Tok t : {Tok::PLUS, Tok::AND, Tok::LBRACKET, Tok::LET, Tok::IDENT, Tok::STRING})
        EXPECT_EQ(builtin_of(t), nullptr) << token_name(t);
    EXPECT_TRUE(takes_no_operand(Tok::DATE));
    EXPECT_TRUE(takes_no_operand(Tok::EURO));
    EXPECT_FALSE(takes_no_operand(Tok::LENGTH));
    EXPECT_FALSE(takes_no_operand(Tok::PLUS));
}

// The grammar stores each argument form as the table says: one or two arguments as
// operands, longer and optional lists as the argument list.
TEST(Builtins, ArgumentFormsParseAsStated) {
    const struct {
        const char* call;
        const char* tree;
    } cases[] = {
        {"EURO", "(EURO)"},
        {"NUM_LINES(v)", "(NUM_LINES v)"},
        {"UCASE(v)", "(UCASE v)"},
        {"LENGTH(v, 1)", "(LENGTH v 1)"},
        {"STRCAT(v, \"x\")", "(STRCAT v \"x\")"},
        {"SUBSTRING(v, 1, 2)", "(SUBSTRING [(+ v) (+ 1) (+ 2)])"},
        {"APPEND_FILE(v, \"x\")", "(APPEND_FILE [(+ v) (+ \"x\")])"},
        {"DATE()", "(DATE [])"},
        {"CHANGE(v)", "(CHANGE v)"},
        {"ROUND(v, 2)", "(ROUND v 2)"},
        {"SORT_VALUES(v, \"a\", v)", "(SORT_VALUES [(+ v) (+ \"a\") (+ v)])"},
    };
    for (const auto& c : cases) {
        test::Compiled d("[INPUT] { VARIABLE = v LET v = " + std::string(c.call) +
                         " }\n[EXTRACT] default_extract = { }\n" + test::kMinimalOutput);
        ASSERT_TRUE(d.ok()) << c.call << "\n" << d.c.log();
        const Statement& let = *d.tree().input->statements.at(1);
        EXPECT_EQ(dump(let), std::string("(LET v ") + c.tree + ")") << c.call;
    }
}

}  // namespace
}  // namespace morvel
