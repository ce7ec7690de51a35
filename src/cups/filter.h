#pragma once
// A job under a print server: the server calls the filter with
// "job-id user title copies options [file]" and takes the printer data from its
// standard output. The filter runs the job of the definition that the queue option
// morvel-definition names, with every output program's file kept instead of invoked,
// and writes the file of the queue's output program (morvel-output, else the first
// output program of the definition) to the printer stream.
#include <cstdio>
#include <optional>
#include <string>

namespace morvel {

/// The filter's command line.
struct FilterArguments {
    std::string job_id;
    std::string user;
    std::string title;
    int copies = 1;
    std::string options;  ///< the name=value word
    std::string file;     ///< the spool; empty: standard input
};

/// The command line, or none when it does not have five or six arguments or the
/// copies are not a number from 1 to 9999.
std::optional<FilterArguments> read_filter_arguments(int argc, char** argv);

/// The value of "*MorvelDefinition: "..."" in a PPD file, or none: the queue's
/// default definition when no option names one.
std::optional<std::string> definition_from_ppd(const std::string& ppd_path);

/// Where a filter run reads and writes besides its arguments.
struct FilterStreams {
    int printer_fd = 1;       ///< the printer data goes here, and nothing else
    std::FILE* err = stderr;  ///< prefixed log lines ("ERROR: ", "WARNING: ", "INFO: ")
    std::FILE* in = stdin;    ///< the spool when no file is given
    std::string ppd_path;     ///< the queue's PPD ($PPD), may be empty
    std::string temp_dir;     ///< where the run's scratch folder goes ($TMPDIR)
};

/// Runs one job and returns the exit status: 0 when the job ran without errors and its
/// printer data was written whole, 1 otherwise (the print server then stops the job).
int run_filter(const FilterArguments& args, const FilterStreams& streams);

}  // namespace morvel
