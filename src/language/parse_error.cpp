#include "language/parse_error.h"

#include "core/messages.h"

namespace morvel {

void parse_error(Run& run, int level, const char* message) {
    report_error(run, level, "%s", message);
    throw CompileAbort{};
}

}  // namespace morvel
