// Fuzz target: an XML spool read into fields and written out as XML.
#include "support/fuzz_job.h"

namespace {

const char* kDefinition = R"(
[INPUT]
{
    XML_DOCUMENTS { OF "invoices.invoice" : invoice }
}
[EXTRACT]
invoice =
{
    XML_FIELD = "invoices.invoice.number", number
    XML_FIELD = "invoices.invoice.customer", customer
}
[OUTPUT]
OUTPUT = out
INVOCATION = "true"
PARAMETERS = OUTPUT_FILE
SETTINGS = { XML_ROOT = "list" XML_ENCODING = "UTF-8" }
MASK = { listing }
[REFORMAT]
REFORMAT = listing, xml
{
    XML_BLOCK "invoice" XML_HAS_ATTRIBUTE "id", XML_GET_ATTRIBUTE("invoices.invoice", "id")
    {
        XML_TAG "number", number
        XML_TAG "customer", customer
        XML_TAG "lines", XML_NUM_CHILDREN("invoices.invoice.lines", "line")
        XML_TAG "first", XML_VALUE("invoices.invoice.lines.line")
    }
}
)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvel::fuzz;
    put_file("job.def", kDefinition);
    put_file("job.xml", bytes_of(data, size));
    run_job({"-m", "job.def", "job.xml"});
    return 0;
}
