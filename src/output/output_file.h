#pragma once
// The temporary output file that each output program owns from its first reformat
// call until its invocation: created empty, appended to by reformat programs across
// documents, closed (with the total pages patched in) and deleted after the command.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace morvel {

struct Run;
struct OutputProgram;

/// The temporary file of one output program.
struct OutputFile {
    std::string name;           ///< temporary file name; empty when the program has none
    std::FILE* file = nullptr;  ///< open for binary writing; nullptr once closed
    /// The stream's buffer, larger than the C library's own so that a job of millions
    /// of small commands makes few system calls. The entry outlives every stream on it.
    std::vector<char> buffer;
    /// A write, flush or close of the file failed: what it holds is not the whole job.
    bool write_failed = false;
};

/// The output files of a run, by output program, and the output program being run.
/// Whatever is still there when the run ends is closed and deleted, so no temporary
/// file outlives its run.
struct OutputFiles {
    std::map<const OutputProgram*, OutputFile> by_program;
    const OutputProgram* current = nullptr;  ///< the output program being run, or none
    /// Name of the output file of the output program being run ("" when none): OUTPUT_FILE.
    std::string current_name;

    OutputFiles() = default;
    OutputFiles(const OutputFiles&) = delete;
    OutputFiles& operator=(const OutputFiles&) = delete;
    ~OutputFiles();
};

/// The open output file of an output program, or nullptr when it has none open.
/// Reformat programs write their pages through it.
std::FILE* output_file(Run& run, const OutputProgram& output);
/// The temporary file name of an output program ("" when it has none).
const std::string& output_file_name(Run& run, const OutputProgram& output);
/// Creates an empty temporary file ("mrv" prefix) and opens it for binary writing as
/// the program's output file; it also becomes the current output file name when the
/// program is current. "Unable to create temporary output file" and -1 on failure.
int create_output_file(Run& run, OutputProgram& output);
/// Overwrites each recorded total-page placeholder with "%-4d" of the pages written
/// (page counter - 1), then empties the list and sets the page counter to 1.
void patch_total_pages(Run& run, OutputProgram& output);
/// When the file is open: writes the XML root end tag (output kind 3) and FINALISE,
/// patches the total pages and closes the file. The name stays until it is deleted.
/// False, with "Unable to complete the output file of output program NAME" reported,
/// when any write to the file failed (a full disk): the file is not the whole job.
/// A file that failed once stays failed.
bool close_output_file(Run& run, OutputProgram& output);
/// Whether a write to the program's output file failed (see close_output_file).
bool output_file_failed(Run& run, const OutputProgram& output);
/// Closes (without finishing) and forgets the file without deleting it, so it outlives
/// the run; returns its name ("" when the program has none).
std::string release_output_file(Run& run, OutputProgram& output);
/// Closes (without finishing) and deletes the file and forgets its name, so the next
/// reformat call starts a new file. A failed delete reports "Deleting %s returned %d".
void delete_output_file(Run& run, OutputProgram& output);
/// Makes output the current output program (nullptr: none), keeping
/// run.output_files.current_name, which OUTPUT_FILE yields, in step. Returns the previous one.
const OutputProgram* set_current_output(Run& run, const OutputProgram* output);

}  // namespace morvel
