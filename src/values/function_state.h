#pragma once
// Run state of the function library: the clock DATE reads, and the parameter
// slots of the reformat function being called.
#include <array>
#include <ctime>
#include <functional>

#include "values/text.h"

namespace morvel {

/// The current time in seconds; a seam so that tests can fix "now".
using Clock = std::function<std::time_t()>;

/// The ten slots of the innermost running reformat function: slot 0 is its result, slots
/// 1-9 its arguments; an unset slot is absent. A call saves the slots, installs its own
/// and restores the saved ones when it returns.
using ReformatParameters = std::array<Text, 10>;

}  // namespace morvel
