#pragma once
// The executors of the individual reformat statements, called by
// execute_reformat_statements.
#include "language/programs.h"

namespace morvel {

struct Run;

/// FIELD: places the next line of the referenced field or variable.
int execute_field(Run& run, const Statement& st, int base_y, double& advance);
/// MESSAGE, DATE, PAGE and INCLUDE (by st.kind).
int execute_text_statement(Run& run, const Statement& st, int base_y, double& advance);
/// REPEAT of a reformat program.
int execute_reformat_repeat(Run& run, const Statement& st, int& base_y, double& advance);
/// Gives every reference read by the FIELD statements of list (and of its nested IF,
/// CASE and blocks) line 1 again when it has been read to its end.
void reset_field_reads(const StatementList& list);
/// X_SHIFT and Y_SHIFT blocks.
int execute_shift(Run& run, const Statement& st, int& base_y, double& advance);
/// FUNCTION: sets the result of the running reformat function.
int execute_function_statement(Run& run, const Statement& st);

}  // namespace morvel
