#pragma once
// The run context: everything one job shares, passed explicitly as Run&.
// A fresh Run per job lets one process run many jobs without leaks between them.
#include <cstdio>
#include <string>

#include "driver/options.h"
#include "values/function_state.h"
#include "values/identifiers.h"

namespace morvel {

struct Run {
    Options options;

    // Failure flag of the whole run: set by every error report, never cleared.
    int MEMORY_ERROR = 0;
    // Trace mask of -z; the console pause can clear it.
    int trace_flags = 0;

    // Position for messages: scanner position while compiling, the line of the
    // expression being evaluated while running.
    int current_line = 0;
    std::string current_file;
    bool with_location = false;

    // Console streams; tests replace them with memory streams.
    std::FILE* out = stdout;
    std::FILE* err = stderr;
    std::FILE* in = stdin;

    IdentifierTable ids;

    // Run-wide preferences of #uses "*CSV_DEFAULT_DELIMITER=..." and "*CSV_AUTO_TRIM=...".
    char csv_delimiter = ',';
    int csv_auto_trim = 0;

    // Nesting depth of reformat REPEAT loops; line-wise reads stop restarting inside one.
    int reformat_repeat_depth = 0;

    // "Now" for DATE and other readers of the local time.
    Clock clock = [] { return std::time(nullptr); };
    // Parameter slots of the reformat function being called; PARAMETER(n) reads them.
    ReformatParameters reformat_parameters;
};

}  // namespace morvel
