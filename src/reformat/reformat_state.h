#pragma once
// Run state shared by the statements of the running reformat program (a member of
// Run). Reformat programs never run concurrently; a reformat function call runs inside
// its caller and saves what it replaces.
#include <array>
#include <cstdio>

#include "reformat/output_page.h"
#include "values/text.h"

namespace morvel {

struct ReformatProgram;
struct OutputProgram;
class PclOut;

struct ReformatState {
    ReformatProgram* program = nullptr;  ///< the program being run (stays after the run)
    OutputProgram* output = nullptr;     ///< the output program it writes for
    PclOut* out = nullptr;               ///< the current output file; none outside a run
    OutputPage page;                     ///< text kinds: the page being composed

    /// The base y and advance of the running program's top-level statement list;
    /// reformat functions place their text with them.
    int* top_base_y = nullptr;
    double* top_advance = nullptr;

    /// Nesting of reformat function calls, bounded so a function that calls itself
    /// cannot exhaust the stack.
    int function_depth = 0;

    /// The output file that holds the downloaded fill patterns since its last page
    /// set-up; none until a box needs them.
    std::FILE* patterns_file = nullptr;
};

}  // namespace morvel
