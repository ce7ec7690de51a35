#pragma once
// The expression evaluator: one recursive evaluator for every expression of a
// definition. Every result is a fresh text, or NULL after a reported failure.
#include "language/tree.h"
#include "values/text.h"

namespace morvel {

struct Run;

/// Evaluates an expression; NULL (empty optional) when it failed (already reported).
Text evaluate(Run& run, const Expression* e);
/// 1 when the result is neither "0" nor empty, 0 when it is, -1 when evaluation failed.
int evaluate_truth(Run& run, const Expression* e);
/// The result read by to_integer; -1 when evaluation failed.
long evaluate_integer(Run& run, const Expression* e);
/// The text of an operand: its nested expression evaluated, or its value read (not advancing).
Text evaluate_operand(Run& run, const Operand* o);

}  // namespace morvel
