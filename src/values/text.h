#pragma once
// The one kind of run-time data: an owned byte text, or absent (a failed
// evaluation that has already been reported).
#include <optional>
#include <string>

namespace morvel {

using Text = std::optional<std::string>;

}  // namespace morvel
