#pragma once
// Reformat programs called as functions from expressions: name(a1, ...) and
// PARAMETER(n).
#include "language/expression.h"
#include "values/text.h"

namespace morvel {

struct Run;

/// Evaluates (FUNCTION [ "name" a1 ... a9 ]): runs the reformat program name inside the
/// running one with PARAMETER(1..9) set to the arguments; its FUNCTION result, "" when
/// it set none; none after a reported failure.
Text eval_r_function(Run& run, const Expression& call);
/// Parameter slot n (0 the result, 1-9 the arguments) of the innermost call; "" for an
/// empty slot; none after "eval_r_parameter(%d) not a valid value, must be 0-9".
Text eval_r_parameter(Run& run, long n);

}  // namespace morvel
