#include "reformat/boxes.h"

namespace morvel {

int execute_drawing(Run&, const Statement&, PclOut&, int, double&) { return 0; }

}  // namespace morvel
