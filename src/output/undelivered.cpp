#include "output/undelivered.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/strfmt.h"
#include "language/programs.h"
#include "output/invocation.h"
#include "output/output_file.h"
#include "run.h"

namespace morvel {

namespace {

// Enough tries to get past any number of files kept by earlier runs that a person
// would leave lying around; beyond that the temporary name is kept as it is.
constexpr int kMaxAttempts = 1000;
// What the command interpreter returns for a command it cannot find.
constexpr int kCommandNotFound = 127;

const char* extension_of(int output_kind) {
    switch (output_kind) {
        case 1:
            return "txt";
        case 3:
            return "xml";
        default:
            return "pcl";
    }
}

std::string directory_of(const std::string& path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// Moves the closed file to a free undelivered name: link() never replaces a file that
// is already there, so an earlier kept file is never overwritten. Falls back to the
// temporary name itself when no new name can be had.
std::string move_to_kept_name(const std::string& temp_name, const OutputProgram& output) {
    std::string dir = directory_of(temp_name);
    for (int attempt = 1; attempt <= kMaxAttempts; ++attempt) {
        std::string kept = undelivered_file_name(dir, output.name, output.output_kind, attempt);
        if (::link(temp_name.c_str(), kept.c_str()) == 0) {
            ::unlink(temp_name.c_str());
            return kept;
        }
        if (errno != EEXIST) break;
    }
    return temp_name;
}

std::string with_name_replaced(std::string text, const std::string& from, const std::string& to) {
    if (from.empty()) return text;
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
        text.replace(at, from.size(), to);
    return text;
}

struct Kept {
    const OutputProgram* program;
    std::string temp_name;
    std::string kept_name;
};

// Moves the file of `output` to its undelivered name; nothing when it has no file.
void keep_file(Run& run, OutputProgram& output, std::vector<Kept>& kept) {
    std::string temp_name = release_output_file(run, output);
    if (temp_name.empty()) return;
    std::string kept_name = move_to_kept_name(temp_name, output);
    kept.push_back({&output, std::move(temp_name), std::move(kept_name)});
}

}  // namespace

std::string undelivered_file_name(const std::string& dir, const std::string& output_name,
                                  int output_kind, int attempt) {
    std::string name = dir + "morvel-undelivered-" + output_name;
    if (attempt > 1) appendf(name, "-%d", attempt);
    return name + "." + extension_of(output_kind);
}

void keep_undelivered_output(Run& run, OutputProgram& output, const InvocationCommand& command,
                             int status) {
    std::vector<Kept> kept;
    keep_file(run, output, kept);
    for (OutputProgram* other : command.deletions) keep_file(run, *other, kept);
    // The command as it would deliver the kept files: what the user runs to try again.
    std::string again = command.text;
    for (const Kept& k : kept)
        again = with_name_replaced(std::move(again), k.temp_name, k.kept_name);
    // The kept name comes before the command: a long command is cut at the end of the line.
    for (const Kept& k : kept) {
        if (k.program != &output)
            report_warning(run, 0, "Output of %s is kept as %s: the invocation of %s failed",
                           k.program->name.c_str(), k.kept_name.c_str(), output.name.c_str());
        else if (status == -1)
            report_warning(run, 0,
                           "Output of %s is kept as %s: its invocation (%s) could not start",
                           output.name.c_str(), k.kept_name.c_str(), again.c_str());
        else if (status == kCommandNotFound)
            report_warning(run, 0,
                           "Output of %s is kept as %s: its invocation (%s) returned %d, the "
                           "status of a command that was not found",
                           output.name.c_str(), k.kept_name.c_str(), again.c_str(), status);
        else
            report_warning(run, 0, "Output of %s is kept as %s: its invocation (%s) returned %d",
                           output.name.c_str(), k.kept_name.c_str(), again.c_str(), status);
    }
    if (command.without_output_file)
        report_warning(run, 0,
                       "The -o text of output %s has no @, so its output file was not passed to "
                       "the command; put @ where the file name belongs",
                       output.name.c_str());
}

void keep_unfinished_output(Run& run, OutputProgram& output,
                            const std::vector<OutputProgram*>& others) {
    std::vector<Kept> kept;
    keep_file(run, output, kept);
    for (OutputProgram* other : others) keep_file(run, *other, kept);
    for (const Kept& k : kept)
        report_warning(run, 0,
                       "Output of %s is kept as %s: its output file could not be written "
                       "whole, so the invocation of %s was not run",
                       k.program->name.c_str(), k.kept_name.c_str(), output.name.c_str());
}

}  // namespace morvel
