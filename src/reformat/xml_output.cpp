#include "reformat/xml_output.h"

namespace morvel {

int execute_xml_statement(Run&, const Statement&, PclOut&, int, double&) { return 0; }

}  // namespace morvel
