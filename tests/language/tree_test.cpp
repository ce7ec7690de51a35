// Shapes of the program tree that the evaluator and the executors rely on.
#include "language/tree.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "compile_support.h"
#include "language/field.h"

namespace morvel {
namespace {

using test::Compiled;

// A definition whose input program ends with `statement`; a, b, w, t, v are variables,
// f is a field and fn a reformat program.
std::string with_statement(const std::string& statement) {
    return "[INPUT] { VARIABLE = a VARIABLE = b VARIABLE = w VARIABLE = t VARIABLE = v\n" +
           statement + "\n}\n[EXTRACT] default_extract = { FIELD = 1, 1, 5, f }\n" +
           test::kMinimalOutput + "[REFORMAT] REFORMAT = fn, text { FUNCTION = 1 }\n";
}

const Statement& last_input_statement(Compiled& d) {
    return *d.tree().input->statements.back();
}

std::string expression_dump(const std::string& expression) {
    Compiled d(with_statement("LET v = " + expression));
    if (!d.ok()) return "compile failed: " + d.messages();
    return dump(*last_input_statement(d).as<LetStatement>().value);
}

// What the definition says and the dump of what the compile built from it.
struct Shape {
    const char* written;
    const char* built;
};

TEST(TreeShapes, OperatorsGroupByPrecedenceAndToTheLeft) {
    const Shape cases[] = {
        {"a + b * w", "(+ a (* b w))"},
        {"a * b + w", "(+ (* a b) w)"},
        {"a - b - w", "(- (- a b) w)"},
        {"a / b * w", "(* (/ a b) w)"},
        {"a OR b AND w", "(OR a (AND b w))"},
        {"a AND b OR w", "(OR (AND a b) w)"},
        {"-a * b", "(* (- a) b)"},
        {"NOT a AND b", "(AND (NOT a) b)"},
        {"NOT a = b", "(= (NOT a) b)"},
        {"NOT -1", "(NOT -1)"},
        {"a * -2.5", "(* a (- 2.5))"},
        {"a < b < w", "(< (< a b) w)"},
        {"a = b + 1", "(= a (+ b 1))"},
        {"a <> b", "(<> a b)"},
        {"a <= b", "(<= a b)"},
        {"a >= b", "(>= a b)"},
        {"a > b", "(> a b)"},
        {"(a + b) * w", "(* (+ a b) w)"},
        {"((a))", "(+ a)"},
        {"a - -3", "(- a (- 3))"},
        {"- (a)", "(- a)"},
    };
    for (const auto& c : cases) EXPECT_EQ(expression_dump(c.written), c.built) << c.written;
}

TEST(TreeShapes, ValuesUsedAsExpressionsArePlusWithOnlyALeftOperand) {
    const Shape cases[] = {
        {"1", "(+ 1)"},
        {"-3", "(- 3)"},
        {"2.50", "(+ 2.50)"},
        {"-0.5", "(- 0.5)"},
        {"\"x y\"", "(+ \"x y\")"},
        {"a", "(+ a)"},
        {"f", "(+ @f)"},
        {"TRUE", "(+ 1)"},
        {"FALSE", "(+ 0)"},
    };
    for (const auto& c : cases) EXPECT_EQ(expression_dump(c.written), c.built) << c.written;
}

TEST(TreeShapes, NameForms) {
    const Shape cases[] = {
        {"t[2]", "([ t 2)"},
        {"t[a + 1]", "([ t (+ a 1))"},
        {"t[3, 2]", "(CSV_VALUE [([ t 3) (+ 2)])"},
        {"t[3, 2, \";\"]", "(CSV_VALUE [([ t 3) (+ 2) (+ \";\")])"},
        {"f[1]", "([ @f 1)"},
        {"fn(1, a)", "(FUNCTION [(+ \"fn\") (+ 1) (+ a)])"},
        {"fn()", "(FUNCTION [(+ \"fn\")])"},
    };
    for (const auto& c : cases) EXPECT_EQ(expression_dump(c.written), c.built) << c.written;
}

TEST(TreeShapes, BuiltInFunctionForms) {
    const Shape cases[] = {
        {"OUTPUT_FILE", "(OUTPUT_FILE)"},
        {"EURO", "(EURO)"},
        {"DATE", "(DATE)"},
        {"DATE()", "(DATE [])"},
        {"DATE(\"%Y\", 1, 2)", "(DATE [(+ \"%Y\") (+ 1) (+ 2)])"},
        {"NUM_LINES(f)", "(NUM_LINES @f)"},
        {"BLANK(a)", "(BLANK a)"},
        {"LOOK_AHEAD(f)", "(LOOK_AHEAD @f)"},
        {"LCASE(a + b)", "(LCASE (+ a b))"},
        {"LENGTH(a)", "(LENGTH a)"},
        {"LENGTH(a, 1)", "(LENGTH a 1)"},
        {"STRCAT(a, b + w)", "(STRCAT a (+ b w))"},
        {"SUBSTRING(a, 1, 2)", "(SUBSTRING [(+ a) (+ 1) (+ 2)])"},
        {"INSTR(a, b, 1, 2)", "(INSTR [(+ a) (+ b) (+ 1) (+ 2)])"},
        {"APPEND_FILE(a, b)", "(APPEND_FILE [(+ a) (+ b)])"},
        {"CSV_VALUE(a, 1)", "(CSV_VALUE [(+ a) (+ 1)])"},
        {"CSV_VALUE(a, 1, b, 2)", "(CSV_VALUE [(+ a) (+ 1) (+ b) (+ 2)])"},
        {"FUNCTION(\"fn\", 1)", "(FUNCTION [(+ \"fn\") (+ 1)])"},
        {"CHANGE(t)", "(CHANGE t)"},
        {"CHANGE(t, 1, 2, \"v\")", "(CHANGE t [(+ 1) (+ 2) (+ \"v\")])"},
        {"CHANGE(t, 1, 2, \"v\", \";\")", "(CHANGE t [(+ 1) (+ 2) (+ \"v\") (+ \";\")])"},
        {"ROUND(a, 2)", "(ROUND a 2)"},
        {"ROUND(f, a)", "(ROUND @f a)"},
        {"FIRST_LINE(f, \"x\")", "(FIRST_LINE @f \"x\")"},
        {"DELETE_LINE(t, 2)", "(DELETE_LINE t 2)"},
        {"INSERT_LINE(t, \"x\")", "(INSERT_LINE t [(+ \"x\")])"},
        {"INSERT_LINE(t, \"x\", 2)", "(INSERT_LINE t [(+ \"x\") (+ 2)])"},
        {"SORT_VALUES(1, 0, a, f)", "(SORT_VALUES [(+ 1) (+ 0) (+ a) (+ @f)])"},
        {"EXECUTE(\"ls\") = \"\"", "(= (EXECUTE \"ls\") \"\")"},
    };
    for (const auto& c : cases) EXPECT_EQ(expression_dump(c.written), c.built) << c.written;
}

TEST(TreeShapes, OperandsReferToTheIdentifiersObjects) {
    Compiled d(with_statement("LET v = a + f"));
    ASSERT_TRUE(d.ok()) << d.messages();
    const LetStatement& let = last_input_statement(d).as<LetStatement>();
    Identifier* v = lookup(d.run(), "v");
    Identifier* a = lookup(d.run(), "a");
    Identifier* f = lookup(d.run(), "f");
    EXPECT_EQ(let.target, v->as<VariableRecord>());
    const Expression& e = *let.value;
    ASSERT_TRUE(e.left && e.right);
    EXPECT_FALSE(e.left->expr);
    EXPECT_EQ(e.left->value().kind, ValueKind::Identifier);
    EXPECT_EQ(e.left->value().record, a->object.get());
    EXPECT_EQ(e.left->value().cell, &a->as<VariableRecord>()->cell);
    EXPECT_EQ(e.right->value().kind, ValueKind::Field);
    EXPECT_EQ(e.right->value().cell, &f->as<FieldRecord>()->cell);
    EXPECT_EQ(e.line, 2);
    EXPECT_FALSE(e.has_arguments);
}

TEST(TreeShapes, IndexedLetBecomesChange) {
    const Shape cases[] = {
        {"LET t[2] = \"x\"", "(LET t (CHANGE t [(+ 2) (+ 0) (+ \"x\")]))"},
        {"LET t[2, 3] = a", "(LET t (CHANGE t [(+ 2) (+ 3) (+ a)]))"},
        {"LET t[a, 3, \";\"] = 1", "(LET t (CHANGE t [(+ a) (+ 3) (+ 1) (+ \";\")]))"},
        {"LET t = 1", "(LET t (+ 1))"},
    };
    for (const auto& c : cases) {
        Compiled d(with_statement(c.written));
        ASSERT_TRUE(d.ok()) << c.written << d.messages();
        EXPECT_EQ(dump(last_input_statement(d)), c.built) << c.written;
    }
}

TEST(TreeShapes, CaseEntriesWithoutColonShareTheNextBody) {
    Compiled d(with_statement("CASE a { OF 1 OF 2 : DEBUG a OF \"x\" : { } DEFAULT : DEBUG b }"));
    ASSERT_TRUE(d.ok()) << d.messages();
    const Statement& s = last_input_statement(d);
    EXPECT_EQ(dump(s),
              "(CASE (+ a) (OF 1) (OF 2 {(DEBUG (+ a))}) (OF \"x\" {}) (DEFAULT {(DEBUG (+ b))}))");
    const CaseStatement& c = s.as<CaseStatement>();
    ASSERT_EQ(c.entries.size(), 3u);
    EXPECT_FALSE(c.entries[0].has_body);
    EXPECT_TRUE(c.entries[1].has_body);
    EXPECT_TRUE(c.entries[2].has_body);
    EXPECT_TRUE(c.entries[2].body.empty());
    EXPECT_EQ(c.family, Tok::SEC_INPUT);
}

TEST(TreeShapes, IfWithSingleStatementsAndBareNumberCondition) {
    Compiled d(with_statement("IF 1 THEN DEBUG a ELSE IF b THEN DEBUG w"));
    ASSERT_TRUE(d.ok()) << d.messages();
    EXPECT_EQ(dump(last_input_statement(d)),
              "(IF (+ 1) {(DEBUG (+ a))} {(IF (+ b) {(DEBUG (+ w))} {})})");
}

TEST(TreeShapes, LongOperatorChainsBuildAndReleaseWithoutRecursion) {
    std::string chain = "a";
    for (int i = 0; i < 10000; ++i) chain += " + a";
    Compiled d(with_statement("LET v = " + chain));
    ASSERT_TRUE(d.ok()) << d.messages();
    const Expression* e = last_input_statement(d).as<LetStatement>().value.get();
    int depth = 0;
    while (e->left && e->left->expr) {
        e = e->left->expr.get();
        ++depth;
    }
    EXPECT_EQ(depth, 9999);
}

// Operands reading the same text share one value: the same spelling of a name, or the
// same literal text. A name and a literal of the same letters, or two spellings of one
// name, stay apart, so that dumps and messages show what was written.
TEST(TreeShapes, OperandsShareValuesOnlyForTheSameWrittenText) {
    Compiled d(
        with_statement("LET v = a + \"a\"\nLET v = A + a\nLET v = 1 + \"1\"\nLET v = f + 1"));
    ASSERT_TRUE(d.ok()) << d.messages();
    std::vector<const Expression*> e;
    for (const auto& st : d.tree().input->statements)
        if (st->kind == Tok::LET) e.push_back(st->as<LetStatement>().value.get());
    ASSERT_EQ(e.size(), 4u);
    const struct {
        const Expression* expr;
        const char* dump;
        ValueKind left, right;
    } cases[] = {
        {e[0], "(+ a \"a\")", ValueKind::Identifier, ValueKind::Literal},
        {e[1], "(+ A a)", ValueKind::Identifier, ValueKind::Identifier},
        {e[2], "(+ 1 1)", ValueKind::Literal, ValueKind::Literal},
        {e[3], "(+ @f 1)", ValueKind::Field, ValueKind::Literal},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dump(*c.expr), c.dump);
        EXPECT_EQ(c.expr->left->value().kind, c.left) << c.dump;
        EXPECT_EQ(c.expr->right->value().kind, c.right) << c.dump;
    }
    EXPECT_EQ(&e[0]->left->value(), &e[1]->right->value());  // a
    EXPECT_NE(&e[0]->left->value(), &e[1]->left->value());   // a, A
    EXPECT_EQ(e[1]->left->value().name, "A");
    EXPECT_EQ(e[1]->left->value().cell, e[1]->right->value().cell);
    EXPECT_NE(&e[0]->left->value(), &e[0]->right->value());   // a, "a"
    EXPECT_EQ(&e[2]->right->value(), &e[3]->right->value());  // 1
}

// The table of shared values starts over when it is full; values made before and after
// stay what was written.
TEST(TreeShapes, ManyDifferentLiteralsKeepTheirOwnTexts) {
    std::string statements;
    for (int i = 0; i < 10000; ++i) statements += "LET v = a + " + std::to_string(i) + "\n";
    statements += "LET v = 0 + 9999\nLET w = a";
    Compiled d(with_statement(statements));
    ASSERT_TRUE(d.ok()) << d.messages();
    const StatementList& list = d.tree().input->statements;
    ASSERT_GE(list.size(), 10002u);
    EXPECT_EQ(dump(*list[list.size() - 10002]), "(LET v (+ a 0))");
    EXPECT_EQ(dump(*list[list.size() - 3]), "(LET v (+ a 9999))");
    EXPECT_EQ(dump(*list[list.size() - 2]), "(LET v (+ 0 9999))");
    EXPECT_EQ(dump(*list[list.size() - 1]), "(LET w (+ a))");
}

// Nodes made in an arena and on the heap own each other freely, and moving a node to
// other memory leaves each to be freed the way it was made.
TEST(NodeArena, ArenaAndHeapNodesMixAndMove) {
    NodeArena arena;
    auto in_arena = make_node<Expression>(&arena, Tok::PLUS, 1);
    in_arena->left.emplace(Operand{}).expr = std::make_unique<Expression>(Tok::NOT, 2);
    auto on_heap = std::make_unique<Expression>(std::move(*in_arena));
    on_heap->right.emplace(Operand{}).expr = make_node<Expression>(&arena, Tok::MINUS, 3);
    on_heap->arguments.push_back(make_node<Expression>(&arena, Tok::NOT, 4));
    *in_arena = Expression(Tok::STAR, 5);
    in_arena->arguments.push_back(std::make_unique<Expression>(Tok::NOT, 6));
    EXPECT_EQ(dump(*on_heap), "(+ (NOT) (-) [(NOT)])");
    EXPECT_EQ(dump(*in_arena), "(* [(NOT)])");

    StatementList list;
    list.push_back(make_node<Statement>(&arena, Tok::LET, 0, 7, LetStatement{}));
    list.push_back(std::make_unique<Statement>(std::move(*list[0])));
    list.push_back(make_node<Statement>(&arena, std::move(*list[1])));
    EXPECT_EQ(list[2]->line, 7);
    list.clear();
    on_heap.reset();
    in_arena.reset();
    SUCCEED();
}

TEST(NodeArena, HandsOutAlignedMemoryThatDoesNotOverlap) {
    NodeArena arena;
    const struct {
        std::size_t size, align;
    } requests[] = {{1, 1},  {3, 2},     {8, 8},   {24, 8},    {5, 4}, {20000, 16},
                    {40, 8}, {70000, 8}, {16, 16}, {65536, 8}, {7, 1}, {64, 8}};
    std::vector<std::pair<unsigned char*, std::size_t>> given;
    for (int round = 0; round < 20; ++round) {
        for (const auto& r : requests) {
            auto* p = static_cast<unsigned char*>(arena.allocate(r.size, r.align));
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(p) % r.align, 0u) << r.size;
            std::memset(p, static_cast<int>(given.size() & 0xFF), r.size);
            given.emplace_back(p, r.size);
        }
    }
    for (std::size_t i = 0; i < given.size(); ++i) {
        const auto [p, size] = given[i];
        EXPECT_EQ(std::count(p, p + size, static_cast<unsigned char>(i & 0xFF)),
                  static_cast<std::ptrdiff_t>(size))
            << i;
    }
}

TEST(TreeShapes, AVeryDeepExpressionIsReleasedIteratively) {
    auto root = std::make_unique<Expression>(Tok::PLUS, 1);
    Expression* tip = root.get();
    for (int i = 0; i < 100000; ++i) {
        tip->left = std::make_unique<Operand>();
        tip->left->expr = std::make_unique<Expression>(Tok::MINUS, 1);
        tip->arguments.push_back(std::make_unique<Expression>(Tok::NOT, 1));
        tip = tip->left->expr.get();
    }
    root.reset();
    SUCCEED();
}

TEST(TreeShapes, ReleasingEmptyProgramsDoesNothing) {
    ProgramTree tree;
    tree.input = std::make_unique<InputProgram>();
    tree.delivery = std::make_unique<DeliveryProgram>();
    ExtractProgram empty;
    tree.extracts.push_back(&empty);
    EXPECT_EQ(dump(tree), "(INPUT 66 {})\n(EXTRACT  66 {})\n(DELIVERY {})\n");
}

}  // namespace
}  // namespace morvel
