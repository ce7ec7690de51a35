#pragma once
// morvel --check [--json] [-l LOG] DEFINITION: compiles without running and writes
// each message as FILE:LINE:COLUMN: error|warning|note: TEXT (or a JSON array).

namespace morvel {

struct Run;

/// Whether the command line asks for a check (its first word is --check or --json).
bool is_check_command(int argc, char** argv);
/// Runs the check; 0 without errors, 1 with errors, 100 for a wrong command line.
int run_check_command(Run& run, int argc, char** argv);

}  // namespace morvel
