// Fuzz target: a PCX, BMP or TIFF file (the type is read from its bytes) placed on a
// page by FORM and downloaded as a macro form.
#include "support/fuzz_job.h"

namespace {

const char* kDefinition = R"(
[EXTRACT]
default_extract=
{
    FIELD=1,1,10,word
}
[OUTPUT]
OUTPUT=printer
INVOCATION="true" PARAMETERS=OUTPUT_FILE
MASK=
{
    letter
}
[REFORMAT]
REFORMAT=letter, hp
{
    SETTINGS=
    {
        FORM=0, 0, 150, "image", 1
    }
    FIELD=100,100,,,word
    FORM=100, 2R, 300, "image", 0
    FORM=100, 3R, 100, "image", 1
}
)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvel::fuzz;
    put_file("job.def", kDefinition);
    put_file("job.prn", "word\n");
    put_file("image", bytes_of(data, size));
    run_job({"job.def", "job.prn"});
    return 0;
}
