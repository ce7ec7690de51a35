#pragma once
// Output programs: their MASK statements, which call reformat programs into the
// program's temporary output file, and their invocation, which hands the finished
// file to an external command. With -d nothing here runs.
namespace morvel {

struct Run;
struct OutputProgram;

/// The two ways an output program runs.
enum class OutputMode : int {
    Invoke = 0,      ///< hand an open output file to its command
    Statements = 1,  ///< run the MASK statements
};

/// Statement mode after a page or a document. only = nullptr: the delivery program
/// when the definition has one, else every output program in order; otherwise just
/// that output program (an extract program's OUTPUT name). 0, or -1 when a program
/// failed. Nothing runs, and the result is 0, with -d.
int run_output_programs(Run& run, OutputProgram* only);

/// The end-of-run pass: every output program whose file is open is invoked. Nothing
/// runs with -d. Call it once, after the input program.
void run_end_of_run_outputs(Run& run);

/// Runs one output program as the current one in the given mode; 0 or -1.
int run_output_program(Run& run, OutputProgram& output, OutputMode mode);

/// Closes the output file, runs the invocation (or makes the preview copy) and
/// deletes the temporary files; nothing when the file is not open. After an earlier
/// error (without -r) the file is only deleted. The INVOKE statement runs it.
void invoke(Run& run, OutputProgram& output);

/// The [DELIVERY] program: 1024 when there is none, else the result of its statements.
int run_delivery(Run& run);

}  // namespace morvel
