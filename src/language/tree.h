#pragma once
// The program tree: statements and expressions built by pass 2 of the compile.
// Nodes own their children; identifiers' run-time objects are only referred to.
// The kind of a statement is the token code of its keyword; every kind has one
// payload record (or none), listed with the families in tree_payloads.h and
// tree_reformat.h.
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "language/expression.h"
#include "language/tokens.h"
#include "language/tree_payloads.h"
#include "language/tree_reformat.h"
#include "values/value.h"

namespace morvel {

/// The payload records of every statement kind (monostate for EJECT_PAGE, INVOKE and
/// the output program's RESET PAGE).
using Payload =
    std::variant<std::monostate, IfStatement, CaseStatement, LetStatement, ExpressionStatement,
                 CommentStatement, VariableStatement, RepeatStatement, ValueStatement,
                 DocumentStatement, ExtractCall, XmlDocumentsStatement, FieldStatement, OutputCall,
                 ReformatCall, TextStatement, WatermarkStatement, BoxStatement, FormStatement,
                 BarcodeStatement, BlockStatement, XmlTagStatement, ArchFieldStatement>;

struct Statement {
    Tok kind = Tok::END;
    int source_index = 0;  ///< source file the statement was read from (0 = the definition)
    int line = 0;          ///< definition line of its first token
    Payload payload;

    /// The payload as T; the kind decides which record it holds.
    template <class T>
    T& as() {
        return std::get<T>(payload);
    }
    template <class T>
    const T& as() const {
        return std::get<T>(payload);
    }
};

struct ProgramTree;

/// S-expression of a value: a bare number, a quoted text, a variable's name, @field.
std::string dump(const Value& v);
/// S-expression of an expression, e.g. (+ a (* b c)); argument lists in [ ].
std::string dump(const Expression& e);
/// S-expression of a statement, mirroring its written form.
std::string dump(const Statement& s);
/// The statements of a list in braces: {s1 s2}.
std::string dump(const StatementList& list);
/// One line per program: input, extract, delivery, output and reformat programs.
std::string dump(const ProgramTree& tree);

}  // namespace morvel
