#pragma once
// Temporary files of a run: output files, EXECUTE captures, files made by definitions.
#include <optional>
#include <string>
#include <string_view>

#include "core/options.h"

namespace morvel {

struct Run;

/// The directory for temporary files, ending in "/": VAVIRIRODI (options.temp_dir),
/// else $TMPDIR or /tmp; none when the system's name is too long to trust.
std::optional<std::string> temp_directory(const Options& options);

/// Creates a new empty file "<prefix>XXXXXX" in the temporary directory; its name, or
/// none when it cannot be created (nothing reported).
std::optional<std::string> make_temp_file(Run& run, std::string_view prefix = "mrv");

}  // namespace morvel
