#pragma once
// Payload records of the statements that several program families share, and of the
// input, extract, output and delivery statements. Reformat payloads: tree_reformat.h.
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "language/expression.h"
#include "language/tokens.h"
#include "values/value.h"

namespace morvel {

struct Statement;
/// A statement list in written order; an empty list stands for a missing one.
using StatementList = std::vector<std::unique_ptr<Statement>>;

struct ExtractProgram;
struct ReformatProgram;
struct OutputProgram;
struct FieldRecord;
struct VariableRecord;

// ---- Shared by every family ----------------------------------------------

/// IF condition THEN then-list [ELSE else-list].
struct IfStatement {
    std::unique_ptr<Expression> condition;
    StatementList then_list;
    StatementList else_list;
};

/// One OF label of a CASE. An entry written without a colon has no body of its own
/// and shares the body of the next entry that has one.
struct CaseEntry {
    Value value;
    bool has_body = false;
    StatementList body;
};

/// CASE selector { OF ... DEFAULT : ... }.
struct CaseStatement {
    std::unique_ptr<Expression> selector;
    Tok family = Tok::SEC_INPUT;  ///< header token of the section it was written in
    std::vector<CaseEntry> entries;
    StatementList default_list;
};

/// LET name = e. The indexed forms arrive rewritten: LET t[r, c, s] = e is
/// LET t = CHANGE(t, r, c, e, s), with c the literal "0" when not written.
struct LetStatement {
    VariableRecord* target = nullptr;
    std::unique_ptr<Expression> value;
};

/// DEBUG, CALL, and the reformat statements FUNCTION, PRINT, PRINT_LINE, ARCH_TABLE
/// and XML_COMMENT: one expression.
struct ExpressionStatement {
    std::unique_ptr<Expression> expr;
};

/// REM and NOTE.
struct CommentStatement {
    std::string text;
};

/// The type word of a VARIABLE declaration; it has no effect on the value.
enum class VariableType : int { String = 0, Integer = 1, Number = 2 };

/// VARIABLE = name [, type [, initial [, flag]]]. The initial value is given to the
/// variable when the statement is compiled.
struct VariableStatement {
    VariableRecord* variable = nullptr;
    VariableType type = VariableType::String;
    Value initial;  ///< empty text when not written
    Value flag;     ///< second value, "0" when not written
};

/// REPEAT in every family. Fields that a family does not use stay at their defaults:
/// INCREASE_BY is kept by extract and reformat programs, SKIP_BLANKS only by extract
/// programs. A reformat REPEAT written without BY and ENDS gets BY = NUM_LINES of the
/// reference of its first FIELD statement.
struct RepeatStatement {
    std::unique_ptr<Expression> by;
    StatementList body;
    std::unique_ptr<Expression> starts;
    std::unique_ptr<Expression> ends;
    std::optional<Value> increase_by;
    bool inclusive = true;  ///< cleared by EXCLUSIVE
    bool skip_blanks = false;
    int skip_x = 0;  ///< SKIP_BLANKS = x, y, length (1, 1, 1024 when only the word)
    int skip_y = 0;
    int skip_length = 0;
};
using InputRepeat = RepeatStatement;
using ExtractRepeat = RepeatStatement;
using ReformatRepeat = RepeatStatement;

/// A statement whose payload is one value: TAB, XML_DELIMITER (input), MACRO (reformat).
struct ValueStatement {
    Value value;
};

// ---- Input program ----------------------------------------------------------

/// DOCUMENT body [ENDS e].
struct DocumentStatement {
    StatementList body;
    std::unique_ptr<Expression> ends;
};

/// An extract program's name written as an input statement (kind IDENT): run it.
struct ExtractCall {
    ExtractProgram* program = nullptr;
};

/// OF path [: extract-program] of XML_DOCUMENTS.
struct XmlDocumentEntry {
    Value path;
    bool has_program = false;
    ExtractProgram* program = nullptr;
};

/// XML_DOCUMENTS { OF ... }.
struct XmlDocumentsStatement {
    std::vector<XmlDocumentEntry> entries;
};

// ---- Extract programs ---------------------------------------------------------

/// FIELD, COLON_FIELD and XML_FIELD (XML_FIELD is stored with kind FIELD), READ_FIELD,
/// and RESET (no field for RESET ALL). The field record holds the positions.
struct FieldStatement {
    FieldRecord* field = nullptr;
};

// ---- Extract, output and delivery programs ------------------------------------

/// OUTPUT name in an extract program (none for OUTPUT ALL), and an output program's
/// name in the delivery program (kind OUTPUT).
struct OutputCall {
    OutputProgram* program = nullptr;
};

/// A reformat program's name in an output program's MASK (kind IDENT).
struct ReformatCall {
    ReformatProgram* program = nullptr;
};

}  // namespace morvel
