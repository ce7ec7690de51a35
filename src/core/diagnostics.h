#pragma once
// The diagnostic state of a run: whether it failed, how many errors it reported,
// the position messages name and the console streams they go to.
#include <cstdio>
#include <string>

#include "core/check_sink.h"
#include "core/messages.h"

namespace morvel {

/// Error state and message position shared by every subsystem.
struct Diagnostics {
    /// Failure flag of the whole run: set by every error report, never cleared.
    int MEMORY_ERROR = 0;
    /// Errors reported so far. Code that must tell whether a step reported a new
    /// error compares this count before and after the step; it never reads the flag.
    long error_count = 0;

    /// Position for messages: the scanner position while compiling, the line of the
    /// expression being evaluated while running.
    int current_line = 0;
    std::string current_file;
    /// Column of the token the scanner handed out last (0 outside a compile).
    int current_column = 0;
    /// A check run collects its messages here instead of writing them (none in a run).
    CheckSink* check = nullptr;

    /// Console streams; tests replace them with memory streams.
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    std::FILE* in = stdin;
    /// Receives every message line with its kind as well (none by default); a filter
    /// under a print server forwards them to its error stream.
    MessageSink message_sink;
    /// The log's health and the repeat count of the last message.
    MessageLog message_log;
};

}  // namespace morvel
