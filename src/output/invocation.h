#pragma once
// The command line of an invocation, built from INVOCATION and PARAMETERS (or the -o
// override), and the preview copy that -p makes instead of running it.
#include <string>
#include <vector>

namespace morvel {

struct Run;
struct OutputProgram;

/// Longest command line: it is built as in a 1024-byte buffer.
inline constexpr int kCommandLineSize = 1024;
/// The status of an invocation that runs nothing (an empty command).
inline constexpr int kEmptyCommandStatus = 999;

/// A built command line and what it needs afterwards.
struct InvocationCommand {
    std::string text;         ///< the command; empty: nothing runs (status 999)
    bool compulsory = false;  ///< written with a leading "!": a non-zero status is an error
    bool no_program = false;  ///< the invocation text could not be had: nothing runs
    bool without_output_file = false;  ///< a -o text without "@": the file is not passed
    /// Other output programs whose files the command names (OUTPUT_FILE(other)), closed
    /// for it and deleted after it, in the order they were named.
    std::vector<OutputProgram*> deletions;
};

/// Builds the command of an output program whose file has just been closed. Every
/// problem is reported here; a command that cannot be built whole is left empty.
InvocationCommand build_invocation_command(Run& run, OutputProgram& output);

/// The preview file name "%s%d%03d%03d.pre": prefix, output kind, the program's number
/// counted from 1 and the preview counter.
std::string preview_file_name(const std::string& prefix, const OutputProgram& output);

/// Copies the closed output file to the next preview file of the program (-p); the
/// preview counter moves on. Failures are reported; the output file is left in place.
void make_preview_copy(Run& run, OutputProgram& output);

}  // namespace morvel
