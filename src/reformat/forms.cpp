#include "reformat/forms.h"

namespace morvel {

int execute_form(Run&, const Statement&, PclOut&, int, double&) { return 0; }

int download_macro_forms(Run&, ReformatProgram&, PclOut&) { return 0; }

}  // namespace morvel
