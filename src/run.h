#pragma once
// The run context: everything one job shares, passed explicitly as Run&.
// A fresh Run per job lets one process run many jobs without leaks between them.
#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core/options.h"
#include "driver/settings.h"
#include "language/programs.h"
#include "language/scanner.h"
#include "output/output_file.h"
#include "reformat/reformat_state.h"
#include "spool/spool_reader.h"
#include "spool/extract_state.h"
#include "spool/xml_tree.h"
#include "tokenfile/token_file.h"
#include "core/clock.h"
#include "core/command_runner.h"
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
    // Names written where a typeface belongs (compile pass 1), for the hint when one of
    // them is declared nowhere.
    std::vector<std::string> typeface_names;
    Scanner scanner;
    Settings settings;  // morvel.ini

    // The -d stream: page-index lines while the input program runs, then the return code.
    std::FILE* return_stream = nullptr;
    SpoolReader spool;

    // Run-wide preferences of #uses "*CSV_DEFAULT_DELIMITER=..." and "*CSV_AUTO_TRIM=...".
    char csv_delimiter = ',';
    int csv_auto_trim = 0;
    // XML path delimiter: "." unless the input program's XML_DELIMITER sets another.
    char xml_delimiter = '.';
    // The XML spool's tree of open elements and XML_WITH's context path.
    XmlState xml;
    // An invalid XML element or attribute name has been warned about (once per run).
    bool xml_name_warned = false;

    // Nesting depth of reformat REPEAT loops; line-wise reads stop restarting inside one.
    int reformat_repeat_depth = 0;
    // Parameter slots of the reformat function being called (0 its result, 1-9 its
    // arguments); PARAMETER(n) reads them.
    std::array<Text, 10> reformat_parameters;
    // "Now" for DATE; tests fix it.
    Clock clock = [] { return std::time(nullptr); };

    // The compiled definition, built by compile pass 2.
    ProgramTree tree;

    // The running reformat program, its page and its function parameters.
    ReformatState reformat;

    // Runs external commands (EXECUTE, invocations); none means system(). Tests fake it.
    std::unique_ptr<CommandRunner> command_runner;
    // Name of the output file of the output program being run ("" when none): OUTPUT_FILE.
    std::string current_output_file;

    // The temporary output files of the output programs (src/output/output_file.h).
    OutputFiles output_files;
    // Input and extract programs: the running call, the document mark, the base line.
    ExtractState extract;
    // The -t file being written, a loaded token file, the -k temporary definition.
    TokenFiles token_files;
};

}  // namespace morvel
