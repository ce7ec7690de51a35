#pragma once
// Extract programs: each call reads the next spool page and fills the program's
// fields from it, record by record, and decides whether the page ends a document.
#include "language/tree.h"
#include "values/text.h"

namespace morvel {

struct Run;
struct ExtractProgram;
struct FieldRecord;

/// A FIELD line of -10000 stands for the line after the previously extracted FIELD.
inline constexpr long kFollowingFieldLine = -10000;

/// Reads the program's page and runs its statements: 0 (pass the page on), 1 (page
/// done, pass nothing on: DISCARD or inside a DOCUMENT), -1 (end of spool or error).
int run_extract_program(Run& run, ExtractProgram* program);
/// Runs an extract statement list with `base` as the record's base line; `height`
/// grows to the largest field line met. 0, or -1 at the first failing statement.
int execute_extract_statements(Run& run, const StatementList& list, int base, int& height);

/// Cuts a FIELD (or XML_FIELD, or READ_FIELD's field) at `base` into its text.
int extract_field(Run& run, FieldRecord& field, int base, int& height);
/// Finds a COLON_FIELD's label at the start of a page line and takes the rest.
int extract_colon_field(Run& run, FieldRecord& field);
/// Empties a field (RESET, end of a DOCUMENT); its text becomes its previous text.
void clear_field(Run& run, FieldRecord& field);
/// clear_field on every field the program declares.
void clear_all_fields(Run& run, ExtractProgram& program);
/// FIRST_LINE(field, value) or LAST_LINE(field, value), by e.op: the line, relative to
/// the current base, where the field's text equals value; "0" when none; NULL on failure.
Text eval_first_last_line(Run& run, const Expression& e);

}  // namespace morvel
