// Fuzz target: a definition compiled in both passes and written as a token file.
#include "support/fuzz_job.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvel::fuzz;
    put_file("job.def", bytes_of(data, size));
    put_file("job.prn", "alpha\nbeta\n\f");
    run_job({"-t", "job.tok", "job.def", "job.prn"});
    return 0;
}
