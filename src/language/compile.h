#pragma once
// The two-pass compile of a definition: pass 1 declares names, the identifiers are
// then checked and given their objects, pass 2 builds the ProgramTree (run.tree).
#include <string_view>

namespace morvel {

struct Run;
struct Expression;

/// Runs one compile pass (1 or 2) over the definition or the loaded token stream:
/// rewinds the scanner, resets the palette and the tree, parses every section.
/// Returns 0, or -1 after a parse error (already reported). A token left after the
/// last section is reported ("Unexpected token found, check syntax") and still gives 0.
int compile_pass(Run& run, int pass);

/// The steps between the passes: default identifiers, reference check, unused
/// check (warnings), run-time objects. False (reported) when the compile must stop.
bool prepare_identifiers(Run& run);

/// Whether an expression reads the spool: a field, the spool_line or spool_page
/// variable, a variable a LET filled from the spool, or an XML value function.
bool reads_spool(const Expression* e);

/// After pass 2: one information line for each field or spool-filled variable passed
/// unquoted in PARAMETERS, whose value the command line splits at blanks.
void note_unquoted_parameters(Run& run);

/// Applies one -o name=value: the invocation override of that output program, or of
/// every output program for the name "all" (any letter case). False (reported) when
/// the word has no "=" or the name is not an output program.
bool override_invocation(Run& run, std::string_view word);

}  // namespace morvel
