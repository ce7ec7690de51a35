#pragma once
// The order of a run: options, log, definition, spool, compile, execute, close.

namespace morvel {

struct Run;

/// Runs one job from its command line and returns the process exit code.
int run_morvel(Run& run, int argc, char** argv);

}  // namespace morvel
