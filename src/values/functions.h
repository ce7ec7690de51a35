#pragma once
// The built-in function library (text, number, date, list, file, environment,
// settings and parameter functions), called by the evaluator.
#include "language/tree.h"
#include "values/text.h"

namespace morvel {

struct Run;

/// Evaluates the built-in function named by e.op. Sets handled to false (and returns NULL)
/// when e.op is not a function of the library, so the evaluator can report it.
Text eval_function(Run& run, const Expression& e, bool& handled);

}  // namespace morvel
