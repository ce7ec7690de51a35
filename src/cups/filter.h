#pragma once
// A job under a print server: the server calls the filter with
// "job-id user title copies options [file]" and takes the printer data from its
// standard output. The filter runs the job of the definition that the queue option
// morvel-definition names, with every output program's file kept instead of invoked,
// and writes the file of the queue's output program (morvel-output, else the first
// output program of the definition) to the printer stream.
//
// Whoever can print to a queue chooses the job's options, so an option only picks
// among what the administrator set up: a definition by its file name in the queue's
// definition folder, a log by its file name in the queue's log folder. A definition
// or folder that someone other than root and the administrators' group can write is
// refused, as it could make the filter user run anything. The PPD keyword
// *MorvelUnsafeAnyDefinition: True lets jobs name any definition file instead.
#include <cstdio>
#include <optional>
#include <string>

#include "core/write_access.h"

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

/// What the administrator set for a queue in its PPD; a keyword with an empty value
/// counts as not set.
struct QueueSettings {
    std::optional<std::string> definition;         ///< *MorvelDefinition: a file name
    std::optional<std::string> definition_folder;  ///< *MorvelDefinitionFolder
    std::optional<std::string> log_folder;         ///< *MorvelLogFolder
    bool unsafe_any_definition = false;            ///< *MorvelUnsafeAnyDefinition: True
};

/// The queue's settings from its PPD file; all unset when there is none.
QueueSettings read_queue_settings(const std::string& ppd_path);

/// The group whose members administer the print server and may write definitions.
inline constexpr const char* kAdministratorsGroup = "lpadmin";

/// Where a filter run reads and writes besides its arguments, and whom it trusts.
struct FilterStreams {
    int printer_fd = 1;       ///< the printer data goes here, and nothing else
    std::FILE* err = stderr;  ///< prefixed log lines ("ERROR: ", "WARNING: ", "INFO: ")
    std::FILE* in = stdin;    ///< the spool when no file is given
    std::string ppd_path;     ///< the queue's PPD ($PPD), may be empty
    std::string temp_dir;     ///< where the run's scratch folder goes ($TMPDIR)
    /// The definition folder when the PPD names none (the build's default,
    /// /etc/morvel/cups).
    std::string definition_folder;
    /// Who may write definitions and their folder.
    WriteTrust trust = process_write_trust(kAdministratorsGroup);
};

/// The exit status of a job cancelled with SIGTERM or SIGINT: 128 + SIGTERM, as a
/// shell reports a command the signal ended.
inline constexpr int kCancelledStatus = 143;

/// Runs one job and returns the exit status: 0 when the job ran without errors and its
/// printer data was written whole, kCancelledStatus when the job was cancelled, 1
/// otherwise (the print server then stops the job). The job runs in a process of its
/// own; SIGTERM or SIGINT meanwhile ends it, and its scratch folder with its log and
/// temporary files is removed before the filter returns.
int run_filter(const FilterArguments& args, const FilterStreams& streams);

}  // namespace morvel
