#include "barcode/barcode.h"

namespace morvel {

void execute_barcode(Run&, const Statement&, PclOut&, int, double&) {}

}  // namespace morvel
