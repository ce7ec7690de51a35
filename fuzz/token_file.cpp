// Fuzz target: a token file loaded in place of a definition and run.
#include "support/fuzz_job.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvel::fuzz;
    put_file("job.tok", bytes_of(data, size));
    put_file("job.prn", "apples\npears\n");
    run_job({"job.tok", "job.prn"});
    return 0;
}
