// Fuzz target: a fixed job of fields, loops, printer and text pages and a barcode
// over a fuzzed spool.
#include "support/fuzz_job.h"

namespace {

const char* kDefinition = R"(
[INPUT]
{
    REPEAT read_invoice
}
[EXTRACT]
read_invoice=
{
    LINES_PER_PAGE = 20
    FIELD=13,2,10,inv_no
    COLON_FIELD="Customer",customer
    REPEAT BY 2
    {
        FIELD=11,1,40,address
    }
    STARTS 5
    REPEAT BY 10
    {
        FIELD=1,1,60,item_lines
    }
    STARTS 9 SKIP_BLANKS
    FIELD=13,20,12,amount_due
}
[OUTPUT]
OUTPUT=printer
INVOCATION="cp" PARAMETERS={ OUTPUT_FILE, QUOTED inv_no }
MASK=
{
    invoice_page
    invoice_text
    INVOKE
}
[REFORMAT]
REFORMAT=invoice_page, hp
{
    SETTINGS=
    {
        HP_FONT=body_font,0,COURIER,12,NORMAL
    }
    FIELD=1900,200,,body_font,inv_no
    MESSAGE=150,510,,body_font,TRIM(customer)
    MESSAGE=150,560,,body_font,WHOLE(address),50
    MESSAGE=150,910,,body_font,WHOLE(item_lines),55
    BOX=130,780,2350,1500,3,0
    BARCODE=bar128b,150,1750,100,3,,,,,inv_no
    BARCODE=ean13,150,1950,100,3,,,,,amount_due
    PAGE=2000,3300,,body_font,"Page %n of %t"
}
REFORMAT=invoice_text, text
{
    SETTINGS=
    {
        PAGE_WIDTH=72
        PAGE_HEIGHT=24
    }
    MESSAGE=0,2,,,"Invoice No: " + inv_no
    MESSAGE=12,6,,,WHOLE(address),1
    MESSAGE=0,10,,,WHOLE(item_lines),1
}
)";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvel::fuzz;
    put_file("job.def", kDefinition);
    put_file("job.prn", bytes_of(data, size));
    run_job({"job.def", "job.prn"});
    return 0;
}
