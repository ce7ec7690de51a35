#pragma once
// Operator routines of the evaluator, shared between its source files.
#include <string>
#include <string_view>

#include "language/tree.h"
#include "values/text.h"
#include "values/value.h"

namespace morvel {

struct Run;

// ---- Pending: these come with the value helpers (values/value.h). Remove when merged. ----
bool is_number(const Text& text);
double to_number(Run& run, const std::string& text);
long to_integer(Run& run, const std::string& text);
std::string from_number(double x);
std::string from_integer(long n);
Text operand_text(Run& run, const Value& v);
Text whole_text(Run& run, const Value& v);
Text line_of(Run& run, const std::string& text, long n);
Text first_line(Run& run, const Value& v);
Text current_line(Run& run, const Value& v);
Text next_line(Run& run, const Value& v);
// ---- end of pending declarations ----

/// Evaluates an argument-list entry; the caller's line is the position again afterwards.
Text evaluate_argument(Run& run, const Expression* e);

/// Letter-case-insensitive byte comparison (ASCII letters folded to lower case): <0, 0, >0.
int compare_ignoring_case(std::string_view a, std::string_view b);

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
