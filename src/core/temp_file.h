#pragma once
// Temporary files of a run: output files, EXECUTE captures, files made by definitions.
#include <optional>
#include <string>

namespace morvel {

struct Run;

/// Creates a new empty file "mrvXXXXXX" in VAVIRIRODI (run.options.temp_dir), else in
/// $TMPDIR or /tmp; its name, or none when it cannot be created (nothing reported).
std::optional<std::string> make_temp_file(Run& run);

}  // namespace morvel
