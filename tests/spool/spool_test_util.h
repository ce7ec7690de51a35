#pragma once
// What the spool tests read back from a run besides the reader itself.
#include <string_view>

#include "driver/run.h"

namespace morvel::test {

/// The current text of a variable the spool reader keeps up to date (spool_line, spool_page).
Text spool_variable(Run& run, std::string_view name);

}  // namespace morvel::test
