#pragma once
// The statements that behave alike in every program section: LET, DEBUG, CALL,
// the TAB setting and the selection of a CASE branch. Each section's executor
// hands them here.
#include "language/tree.h"

namespace morvel {

struct Run;

/// LET: evaluates the value and assigns it (NULL when evaluation failed) to the target.
void execute_let(Run& run, const Statement& st);
/// DEBUG (logs the value unless -n) or CALL (evaluates only for its effects), by st.kind.
void execute_debug_or_call(Run& run, const Statement& st);
/// Runs a shared statement: LET, DEBUG and CALL report their errors and go on (0); a
/// TAB is read with its program's page, so here it only needs its value (-1 after
/// "Null tab!" without one).
int execute_shared_statement(Run& run, const Statement& st);
/// The list a CASE runs (the caller runs it with its own executor), or nullptr for none.
const StatementList* select_case(Run& run, const CaseStatement& c);
/// The same for a CASE statement; nullptr when st carries no CASE payload.
const StatementList* select_case(Run& run, const Statement& st);

}  // namespace morvel
