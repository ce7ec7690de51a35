#include "values/functions.h"

namespace morvel {

// The library is filled in function by function; until then nothing is handled here.
Text eval_function(Run&, const Expression&, bool& handled) {
    handled = false;
    return std::nullopt;
}

}  // namespace morvel
