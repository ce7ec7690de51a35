#pragma once
// Running a reformat program: the entry point the output programs call, and the
// statement executor shared by bodies, blocks and reformat functions.
#include <cstdio>

#include "language/programs.h"

namespace morvel {

struct Run;

/// Runs program for output into the output's open temporary file (output_file of the
/// output programs); the output programs create that file before the first call.
int run_reformat(Run& run, ReformatProgram& program, OutputProgram& output);

/// Runs program for output, writing into file (the output's open temporary file): the
/// job set-up when the file is empty, then the page its statements compose, then the
/// page eject. 0 or the statements' result; -1 when the run could not be done.
int run_reformat(Run& run, ReformatProgram& program, OutputProgram& output, std::FILE* file);

/// Executes a reformat statement list with its base y and advance (both updated).
/// Failures are reported and the next statement still runs; the result is 0.
int execute_reformat_statements(Run& run, const StatementList& list, int& base_y, double& advance);

}  // namespace morvel
