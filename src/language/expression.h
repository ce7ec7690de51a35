#pragma once
// Expressions of the program tree. The grammar builds a few canonical shapes that
// the evaluator relies on:
//   a value used as an expression        (+ a)            left only
//   a op b                               (op a b)         left and right
//   - a, NOT a                           (- a), (NOT a)   left only
//   name[r]                              ([ name r)
//   name[r, c], name[r, c, s]            (CSV_VALUE [ ([ name r) c s ])
//   reformat(a1, ...)                    (FUNCTION [ "reformat" a1 ... ])
//   one- and two-argument functions      (op a), (op a b)
//   three or more arguments, DATE(...)   (op [ a b c ... ])
//   CHANGE(name, a, b, c [, d])          (CHANGE name [ a b c d ])
//   INSERT_LINE(name, a [, b])           (INSERT_LINE name [ a b ])
//   SORT_VALUES(a, b, n1, n2 ...)        (SORT_VALUES [ a b (+ n1) (+ n2) ... ])
//   OUTPUT_FILE, EURO, DATE              (op)             nothing
// Operands that are plain values are stored as values, not as (+ value) nodes;
// argument-list entries are always expressions.
#include <memory>
#include <vector>

#include "language/tokens.h"
#include "values/value.h"

namespace morvel {

struct Expression;

/// One side of an expression: a value or a nested expression.
struct Operand {
    Value value;                       ///< used when `expr` is empty
    std::unique_ptr<Expression> expr;  ///< nested expression, or none
    int line = 0;                      ///< definition line where it was built
};

/// An operator (a token code) over a left and right operand and/or an argument list.
struct Expression {
    Tok op = Tok::PLUS;
    int line = 0;
    std::unique_ptr<Operand> left;
    std::unique_ptr<Operand> right;
    std::vector<std::unique_ptr<Expression>> arguments;  ///< written order; empty = none
    bool has_arguments = false;                          ///< an argument list was written

    Expression() = default;
    Expression(Tok op_, int line_) : op(op_), line(line_) {}
    Expression(Expression&&) = default;
    Expression& operator=(Expression&&) = default;
    /// Releases nested expressions without recursion, so a chain of thousands of
    /// operators cannot exhaust the stack.
    ~Expression();
};

}  // namespace morvel
