#include "driver/run_sequence.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "driver/banner.h"
#include "driver/command_line.h"
#include "core/ascii.h"
#include "core/messages.h"
#include "run.h"
#include "driver/settings.h"
#include "driver/stages.h"
#include "language/compile.h"
#include "language/scanner.h"
#include "spool/spool_reader.h"
#include "tokenfile/token_file.h"
#include "values/identifiers.h"

namespace morvel {

namespace {

// Locale of LANG for every category but numbers: numbers in messages, values and
// printer commands keep their "." whatever the user's language.
void set_locale_from_environment() {
    if (const char* lang = std::getenv("LANG")) {
        std::setlocale(LC_ALL, lang);
        std::setlocale(LC_NUMERIC, "C");
    }
}

// Writes the closing line and gives the exit code.
int close_run(Run& run, int pass_result) {
    if (run.MEMORY_ERROR || pass_result != 0) {
        report_info(run, "Morvel got MEMORY_ERROR=%d and result=%d\n", run.MEMORY_ERROR, pass_result);
        return 1;
    }
    report_info(run, "Morvel finished successfully\n");
    return 0;
}

// The -d stream's final line; the stream's file then takes the -d name.
void finish_return_code_file(Run& run, std::FILE* stream, const std::string& tmp_name,
                             int pass_result) {
    if (!stream) return;
    std::fputs(run.MEMORY_ERROR || pass_result != 0 ? "VANTOR_RETURN_CODE = 1"
                                                    : "VANTOR_RETURN_CODE = 0",
               stream);
    std::fclose(stream);
    std::remove(run.options.return_code_file.c_str());
    std::rename(tmp_name.c_str(), run.options.return_code_file.c_str());
}

}  // namespace

int run_morvel(Run& run, int argc, char** argv) {
    set_locale_from_environment();
    if (const char* dir = std::getenv("VAVIRIRODI")) {
        run.options.temp_dir = dir;
        run.options.has_temp_dir = true;
    }

    std::vector<Override> overrides;
    OptionScan scan = read_options(run, argc, argv, overrides);
    if (scan.outcome == OptionScan::Outcome::Exit) return scan.exit_code;

    if (!create_log(run) && run.options.quit_without_log) return 108;

    if (argc - scan.first_file < 2) {
        report_error(run, 0, "Insufficient parameters");
        return 100;
    }
    run.options.definition_name = argv[scan.first_file];
    run.options.spool_name = argv[scan.first_file + 1];

    if (run.options.write_token_file && !create_token_file(run)) {
        report_error(run, 0, "Unable to create token file %s", run.options.token_file_name.c_str());
        return 104;
    }

    read_settings_file(run, "morvel.ini");

    if (equal_ignore_case(run.options.definition_name, "auto") && !resolve_auto_form(run))
        return 101;

    if (run.options.log_from_definition) {
        run.options.log_file_name = log_name_from_definition(run.options.definition_name);
        create_log(run);
    }

    if (!detect_spool_kind(run)) return 103;

    if (create_internal_variables(run) != 0) return 102;

    if (!open_definition(run)) return 101;
    if (!open_spool_stream(run)) return 103;

    std::FILE* return_stream = nullptr;
    std::string return_tmp;
    if (run.options.return_codes) {
        return_tmp = run.options.return_code_file + ".tmp";
        if (run.options.return_code_file.size() < 245)
            return_stream = std::fopen(return_tmp.c_str(), "w");
        if (!return_stream) return 1;
        run.return_stream = return_stream;
    }

    write_banner(run, std::time(nullptr));

    int pass_result = compile_pass(run, 1);
    if (run.scanner.fatal_exit) return run.scanner.fatal_exit;
    bool compiled = false;
    if (pass_result == 0 && !run.MEMORY_ERROR && prepare_identifiers(run)) {
        pass_result = compile_pass(run, 2);
        if (run.scanner.fatal_exit) return run.scanner.fatal_exit;
        compiled = pass_result == 0;
    }
    scanner_finish(run);
    close_definition(run);

    if (compiled && !run.MEMORY_ERROR) {
        if (!apply_overrides(run, overrides)) run.MEMORY_ERROR = 1;
        if (!run.MEMORY_ERROR) {
            initialise_internal_variables(run, run.options.spool_name);
            execute_definition(run);
        }
    }

    close_spool(run);
    run.return_stream = nullptr;
    finish_return_code_file(run, return_stream, return_tmp, pass_result);
    return close_run(run, pass_result);
}

}  // namespace morvel
