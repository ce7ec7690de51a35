#pragma once
// The job set-up written at the start of an empty output file: the output program's
// user strings, the printer job header and page set-up, or the XML prologue.
#include <cstdio>
#include <memory>
#include <string_view>

#include "core/file_handle.h"

namespace morvel {

struct Run;
struct ReformatProgram;
struct OutputProgram;
class PclOut;

/// Writes the job set-up when the file is still empty (so once per output file) and
/// sets the output kind. 0, or -1 when it failed.
int job_setup(Run& run, ReformatProgram& program, OutputProgram& output, PclOut& out);
/// The page part of the printer job header; also written again after an INCLUDE.
int page_setup(Run& run, ReformatProgram& program, PclOut& out);
/// The value of COLOUR (greater than 0: colour output); 0 when not given.
long colour_on(Run& run, const ReformatProgram& program);

/// Opens a file to be copied into printer output; none after "Unable to open include
/// file >%s<".
FileHandle open_include_file(Run& run, std::string_view name);

}  // namespace morvel
