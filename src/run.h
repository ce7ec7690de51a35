#pragma once
// The run context: everything one job shares, passed explicitly as Run&.
// A fresh Run per job lets one process run many jobs without leaks between them.
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/clock.h"
#include "core/command_runner.h"
#include "core/diagnostics.h"
#include "core/options.h"
#include "core/return_code_file.h"
#include "driver/settings.h"
#include "language/node_arena.h"
#include "language/programs.h"
#include "language/scanner.h"
#include "output/output_file.h"
#include "reformat/reformat_state.h"
#include "spool/extract_state.h"
#include "spool/spool_reader.h"
#include "spool/xml_tree.h"
#include "tokenfile/token_file.h"
#include "values/csv_preferences.h"
#include "values/identifiers.h"

namespace morvel {

// The diagnostic state (failure flag, error count, message position, console
// streams) is the base record, so every subsystem names it as run.MEMORY_ERROR,
// run.current_line, run.out.
struct Run : Diagnostics {
    Options options;

    // Trace mask of -z; the console pause can clear it.
    int trace_flags = 0;
    // Expressions being evaluated, one inside the other (bounded in evaluate()).
    int evaluation_depth = 0;

    // Memory of the compiled definition's statements and expressions (compile pass 2).
    // Declared before everything that owns them, so that it goes after them.
    NodeArena nodes;

    IdentifierTable ids;
    // Names written where a typeface belongs (compile pass 1), for the hint when one of
    // them is declared nowhere.
    std::vector<std::string> typeface_names;
    // Names a MASK calls as reformat programs (compile pass 1), for the hint when one of
    // them is declared nowhere.
    std::vector<std::string> mask_calls;
    Scanner scanner;
    Settings settings;  // morvel.ini

    // The -d file: page-index lines while the input program runs, then the return code.
    ReturnCodeFile return_codes;
    SpoolReader spool;

    // Run-wide preferences of #uses "*CSV_DEFAULT_DELIMITER=..." and "*CSV_AUTO_TRIM=...".
    CsvPreferences csv;
    // The XML spool's tree of open elements, XML_WITH's context path and the path delimiter.
    XmlState xml;

    // "Now" for DATE; tests fix it.
    Clock clock = [] { return std::time(nullptr); };

    // The compiled definition, built by compile pass 2.
    ProgramTree tree;

    // The running reformat program, its page and its function parameters.
    ReformatState reformat;

    // Runs external commands (EXECUTE, invocations); none means system(). Tests fake it.
    std::unique_ptr<CommandRunner> command_runner;
    // The temporary output files of the output programs (src/output/output_file.h).
    OutputFiles output_files;
    // Input and extract programs: the running call, the document mark, the base line.
    ExtractState extract;
    // The -t file being written, a loaded token file, the -k temporary definition.
    TokenFiles token_files;
};

}  // namespace morvel
