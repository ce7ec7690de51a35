#pragma once
// The clock seam: where the run reads the current time.
#include <ctime>
#include <functional>

namespace morvel {

/// The current time in seconds since the epoch; tests replace it to fix "now".
using Clock = std::function<std::time_t()>;

}  // namespace morvel
