#pragma once
// Operator routines of the evaluator, shared between its source files.
#include "language/tree.h"
#include "values/text.h"
#include "values/value.h"

namespace morvel {

struct Run;

/// Evaluates an argument-list entry; the caller's line is the position again afterwards.
Text evaluate_argument(Run& run, const Expression* e);

/// The value of a name operand (a Value, not a nested expression), or nullptr.
const Value* name_value(const Operand* o);

/// [ ], FIRST, CURRENT, NEXT, LAST, WHOLE, NUM_LINES, BLANK.
Text eval_line_function(Run& run, const Expression& e);
/// IS_NUMERIC, FILE_EXISTS, TRIM, LTRIM, RTRIM, QUOTED.
Text eval_text_test(Run& run, const Expression& e);
/// ROUND(a, n).
Text eval_round(Run& run, const Expression& e);
/// TOTAL(a).
Text eval_total(Run& run, const Expression& e);
/// CHANGE(a) and CHANGE(a, row, column, value [, separator]).
Text eval_change(Run& run, const Expression& e);
/// EXECUTE(command).
Text eval_execute(Run& run, const Expression& e);

}  // namespace morvel
