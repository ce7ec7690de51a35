#pragma once
// The -d file: job control reads its page-index lines and its final return-code line.
#include <string>
#include <string_view>

#include "core/file_handle.h"

namespace morvel {

struct Run;

/// The -d file while it is written. A regular file (or a new one) is written as
/// "<name>.tmp", created new (no link followed, no file there reused), and renamed
/// when finished; anything else (a FIFO, a device) is written in place, opened
/// without waiting for a reader, and never removed or replaced.
struct ReturnCodeFile {
    std::string name;        ///< the -d name
    std::string write_name;  ///< the file being written: "<name>.tmp", or name in place
    FileHandle stream;
    bool failed = false;  ///< a write failed; reported once
};

/// Opens the -d file; reports a failure on the console and in the log.
bool open_return_code_file(Run& run, const std::string& name);
/// Writes page-index text; the first failed write is reported and fails the run.
void write_return_code_text(Run& run, std::string_view text);
/// Writes the return-code line, closes the file and gives it its name; does nothing
/// when no -d file is open. False (reported) when any of it failed.
bool finish_return_code_file(Run& run, bool success);

}  // namespace morvel
