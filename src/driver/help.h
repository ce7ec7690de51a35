#pragma once
// The long options for people: --help describes every option, the exit codes and the
// environment; --version names the release. The short usage text of -h stays as it is.

namespace morvel {

struct Run;

/// Writes the full help text to the run's standard output.
void print_help(Run& run);

/// Writes "morvel VERSION" to the run's standard output.
void print_version(Run& run);

/// The release number, from the build ("5.0").
const char* morvel_version();

}  // namespace morvel
