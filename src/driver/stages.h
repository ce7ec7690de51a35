#pragma once
// The stages of a run that reach into the other subsystems, in the order the run
// sequence calls them. Each returns false after reporting a failure.

namespace morvel {

struct Run;

/// Replaces the definition name "auto" by the auto form that matches the spool.
bool resolve_auto_form(Run& run);
/// Decides whether the spool is XML (unless -m) and whether it is UTF-8 (negative -u).
bool detect_spool_kind(Run& run);
/// Warns once when a spool read as bytes (no -u, not XML) is plainly UTF-8 text.
void warn_unasked_utf8(Run& run);
/// Opens the definition (unscrambled first with -k): a token file is loaded, a text
/// file is handed to the scanner. False after "Unable to open file %s" or a refusal.
bool open_definition(Run& run);
/// Opens the spool stream unless an earlier stage did.
bool open_spool_stream(Run& run);
/// Releases the definition input after the compile and deletes the -k temporary file.
void close_definition(Run& run);
/// Completes the -t file, or writes the -a file, or runs the input program; then
/// (except for -t) the end-of-run output pass.
void execute_definition(Run& run);

}  // namespace morvel
