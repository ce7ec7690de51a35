// The entry point the output programs call: the file is the one they keep open.
#include "reformat/reformat.h"

namespace morvel {

// Declared with the output programs' files (output/output_file.h), which own it.
std::FILE* output_file(Run& run, const OutputProgram& output);

int run_reformat(Run& run, ReformatProgram& program, OutputProgram& output) {
    return run_reformat(run, program, output, output_file(run, output));
}

}  // namespace morvel
