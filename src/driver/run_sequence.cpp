#include "driver/run_sequence.h"

#include "driver/run.h"

namespace morvel {

int run_morvel(Run& run, int argc, char** argv) {
    (void)run;
    (void)argc;
    (void)argv;
    return 0;
}

}  // namespace morvel
