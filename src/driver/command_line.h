#pragma once
// The option scanner and the two readings of the command line.
#include <string>
#include <vector>

namespace morvel {

struct Run;

/// Result of reading the options.
struct OptionScan {
    enum class Outcome { Run, Exit } outcome = Outcome::Run;
    int exit_code = 0;   ///< when outcome is Exit
    int first_file = 0;  ///< index of the first word after the options
};

/// One -v or -o word, kept in command-line order for the second reading.
struct Override {
    char option;  ///< 'v' or 'o'
    std::string word;
};

/// Reads the options (first reading): sets run.options, handles -h, -g and option errors.
OptionScan read_options(Run& run, int argc, char** argv, std::vector<Override>& overrides);

/// Second reading: applies every -v and -o in command-line order; false when the run must fail.
bool apply_overrides(Run& run, const std::vector<Override>& overrides);

/// Writes the usage text to the run's standard output.
void print_usage(Run& run);

/// The log name -b derives from a definition name.
std::string log_name_from_definition(const std::string& definition);

}  // namespace morvel
