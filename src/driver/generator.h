#pragma once
// The starter definition of -g.
#include <string>

namespace morvel {

struct Run;

/// Asks for the orientation and writes a working starter definition; 0, or 1 on failure.
/// Standard input that is not a terminal and has no answer left means portrait.
int write_default_definition(Run& run, const std::string& file_name);

/// Where the starter's output program puts its pages: the definition's name with its
/// extension replaced by ".pcl" ("jobs/s.def" gives "jobs/s.pcl").
std::string starter_output_name(const std::string& definition_file);

/// The starter's invocation text as it stands between the quotes of its INVOCATION line:
/// here a shell command that copies the output file (the one parameter) to `output_name`.
std::string starter_invocation(const std::string& output_name);

/// The answer to the orientation prompt: 'p', 'l', or 0 when it is not one.
/// Accepts portrait, landscape, p, l in any letter case, and an empty line.
char orientation_answer(const std::string& line);

}  // namespace morvel
