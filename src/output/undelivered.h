#pragma once
// Output that a failed invocation did not deliver: its file is kept, under a name that
// says what it is, next to the temporary files, so the user can deliver it again.
#include <string>
#include <vector>

namespace morvel {

struct Run;
struct OutputProgram;
struct InvocationCommand;

/// The name a kept file of output program `output_name` gets in `dir` (which ends in
/// "/" or is empty): "morvel-undelivered-NAME.EXT", with "-2", "-3", ... before the
/// extension when `attempt` is 2, 3, ...; EXT says the kind (pcl, txt, xml).
std::string undelivered_file_name(const std::string& dir, const std::string& output_name,
                                  int output_kind, int attempt);

/// After an invocation that returned `status` (non-zero, or -1 when it could not start):
/// keeps the output file of `output` and of every program the command named, each under
/// its undelivered name, and warns with the command, the status and the kept name.
void keep_undelivered_output(Run& run, OutputProgram& output, const InvocationCommand& command,
                             int status);

/// After a write to an output file failed: keeps the file of `output` and of each of
/// `others` under its undelivered name without running the command, and warns with
/// each kept name.
void keep_unfinished_output(Run& run, OutputProgram& output,
                            const std::vector<OutputProgram*>& others);

}  // namespace morvel
