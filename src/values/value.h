#pragma once
// Values: the operands of the program tree, and the conversions and text helpers
// every evaluator uses.
#include <string>

#include "values/identifiers.h"
#include "values/text.h"

namespace morvel {

/// Kinds of an operand value; the numbers are stored in token files.
enum class ValueKind : int {
    Identifier = 0,  ///< a variable
    Literal = 5,     ///< a quoted string or number of the definition
    Field = 9,       ///< an extract field
};

/// An operand: a variable, a literal text or a field.
struct Value {
    ValueKind kind = ValueKind::Literal;
    std::string literal;          ///< the text of a literal
    IdObject* record = nullptr;   ///< the VariableRecord or field record (not owned)
    LineCell* cell = nullptr;     ///< the variable's value or the field's text (not owned)
    std::string name;             ///< the identifier's name, for messages and dumps
};

}  // namespace morvel
