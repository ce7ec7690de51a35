// Entry point: one run context per process, handed to the run sequence.
#include "driver/run_sequence.h"
#include "run.h"

int main(int argc, char** argv) {
    morvel::Run run;
    return morvel::run_morvel(run, argc, argv);
}
