#pragma once
// Output programs in statement mode: the run that follows a page or a document.

namespace morvel {

struct Run;
struct OutputProgram;

/// Runs the MASK of `only`, or of every output program (or the delivery program) when
/// only is nullptr; 0, or -1 after a reported failure.
int run_output_programs(Run& run, OutputProgram* only);

}  // namespace morvel
