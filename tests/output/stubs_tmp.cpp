// TEMPORARY stand-in for the reformat program runner until it is merged; deleted then.
#include <cstdio>

#include "driver/run.h"
#include "language/programs.h"
#include "output/output_file.h"

namespace morvel {

int run_reformat(Run& run, ReformatProgram&, OutputProgram& output) {
    std::FILE* f = output_file(run, output);
    if (!f) return -1;
    std::fputs("page\f", f);
    ++output.page_counter;
    return 0;
}

}  // namespace morvel
