#pragma once
// The starter definition of -g.
#include <string>

namespace morvel {

struct Run;

/// Asks for the orientation and writes a working starter definition; 0, or 1 on failure.
int write_default_definition(Run& run, const std::string& file_name);

}  // namespace morvel
