// Fuzz target: a definition compiled and run over a fixed spool of three pages.
#include "support/fuzz_job.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvel::fuzz;
    put_file("job.def", bytes_of(data, size));
    put_file("job.prn",
             "Invoice No: 10231\nCustomer: Harbour Tools Ltd\n  2  Steel hinges   4.50\n\f"
             "Invoice No: 10232\nCustomer: Millbrook Bakery\n\f"
             "Invoice No: 10233\n");
    run_job({"job.def", "job.prn"});
    return 0;
}
