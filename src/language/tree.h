#pragma once
// The program tree: expressions and statements built by pass 2 of the compile.
// Nodes own their children; identifiers' run-time objects are only referred to.
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "language/tokens.h"
#include "values/value.h"

namespace morvel {

struct Expression;

/// One side of an expression: a value or a nested expression.
struct Operand {
    Value value;                         ///< used when `expr` is empty
    std::unique_ptr<Expression> expr;    ///< nested expression, or none
    int line = 0;
};

/// An operator (a token code) over a left and right operand and/or an argument list.
struct Expression {
    Tok op = Tok::PLUS;
    int line = 0;
    std::unique_ptr<Operand> left;
    std::unique_ptr<Operand> right;
    std::vector<std::unique_ptr<Expression>> arguments;  ///< written order; empty = none
    bool has_arguments = false;                          ///< an argument list was written
};

struct Statement;
using StatementList = std::vector<std::unique_ptr<Statement>>;

/// The section a CASE statement was written in (token code of its section header).
/// IF: condition, then-list, else-list.
struct IfStatement {
    std::unique_ptr<Expression> condition;
    StatementList then_list;
    StatementList else_list;
};

/// One label of a CASE; an entry written without a colon shares the next body.
struct CaseEntry {
    Value value;
    bool has_body = false;
    StatementList body;
};

struct CaseStatement {
    std::unique_ptr<Expression> selector;
    Tok family = Tok::SEC_INPUT;
    std::vector<CaseEntry> entries;
    StatementList default_list;
};

/// LET name = e (the indexed forms arrive rewritten as CHANGE).
struct LetStatement {
    VariableRecord* target = nullptr;
    std::unique_ptr<Expression> value;
};

/// DEBUG e, CALL e, and the other statements whose payload is one expression.
struct ExpressionStatement {
    std::unique_ptr<Expression> expr;
};

/// REM and NOTE.
struct CommentStatement {
    std::string text;
};

/// VARIABLE declarations inside a program.
struct VariableStatement {
    VariableRecord* variable = nullptr;
};

/// The payload records of every statement kind.
using Payload = std::variant<std::monostate, IfStatement, CaseStatement, LetStatement,
                             ExpressionStatement, CommentStatement, VariableStatement>;

struct Statement {
    Tok kind = Tok::END;
    int source_index = 0;
    int line = 0;
    Payload payload;
};

}  // namespace morvel
