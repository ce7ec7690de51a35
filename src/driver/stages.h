#pragma once
// The stages of a run that reach into the other subsystems, in the order the run
// sequence calls them. Each returns false after reporting a failure.

namespace morvel {

struct Run;

/// Creates the token file of -t and writes its header.
bool create_token_file(Run& run);
/// Replaces the definition name "auto" by the auto form that matches the spool.
bool resolve_auto_form(Run& run);
/// Decides whether the spool is XML (unless -m) and whether it is UTF-8 (negative -u).
bool detect_spool_kind(Run& run);
/// Opens the definition: a token file is loaded, a text file is handed to the scanner.
bool open_definition(Run& run);
/// Opens the spool stream unless an earlier stage did.
bool open_spool_stream(Run& run);
/// Releases the definition input after the compile.
void close_definition(Run& run);
/// Runs the compiled definition: the input program, then the end-of-run output pass.
void execute_definition(Run& run);

}  // namespace morvel
