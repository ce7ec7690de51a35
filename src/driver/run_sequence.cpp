#include "driver/run_sequence.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "core/ascii.h"
#include "core/messages.h"
#include "core/return_code_file.h"
#include "driver/banner.h"
#include "driver/check_command.h"
#include "driver/command_line.h"
#include "driver/settings.h"
#include "driver/stages.h"
#include "language/compile.h"
#include "language/scanner.h"
#include "run.h"
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
        report_info(run, "Morvel got MEMORY_ERROR=%d and result=%d\n", run.MEMORY_ERROR,
                    pass_result);
        return 1;
    }
    report_info(run, "Morvel finished successfully\n");
    return 0;
}

// -q: a log that was created and then failed to take a message stops the run as a
// log that could not be created does.
bool log_lost_with_q(const Run& run) {
    return run.message_log.failed && run.options.quit_without_log;
}

// Words after the two file names are not read, options among them: say so, since a
// -s or -l there does nothing.
void warn_ignored_words(Run& run, int count, char** words) {
    if (count <= 0) return;
    std::string text;
    for (int i = 0; i < count; ++i) {
        if (i > 0) text += ' ';
        text += words[i];
    }
    report_warning(run, 0,
                   "Words after the spool file name are ignored: %s; options go before the "
                   "definition file",
                   text.c_str());
}

int run_stages(Run& run, int argc, char** argv) {
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
        report_info(run,
                    "Usage: %s [options] definition_file spool_file (--help lists the options)",
                    run.options.program_path.c_str());
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

    if (run.options.return_codes && !open_return_code_file(run, run.options.return_code_file))
        return 1;

    write_banner(run, std::time(nullptr));
    warn_unasked_utf8(run);
    warn_ignored_words(run, argc - scan.first_file - 2, argv + scan.first_file + 2);
    if (log_lost_with_q(run)) return 108;

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
    if (log_lost_with_q(run)) return 108;

    if (compiled && !run.MEMORY_ERROR) {
        if (!apply_overrides(run, overrides)) run.MEMORY_ERROR = 1;
        if (!run.MEMORY_ERROR) {
            initialise_internal_variables(run, run.options.spool_name);
            execute_definition(run);
        }
    }

    close_spool(run);
    if (log_lost_with_q(run)) return 108;
    // Finished before the closing line, so that a failure to write it is not
    // followed by a claim of success.
    finish_return_code_file(run, !run.MEMORY_ERROR && pass_result == 0);
    return close_run(run, pass_result);
}

}  // namespace

int run_morvel(Run& run, int argc, char** argv) {
    // A check runs nothing and writes no log: none of the run's stages apply.
    if (is_check_command(argc, argv)) return run_check_command(run, argc, argv);
    int code = run_stages(run, argc, argv);
    // Every way out finishes what is still open: the -d file (a scanner stop
    // included) and the count of a repeated last message.
    if (!finish_return_code_file(run, code == 0 && !run.MEMORY_ERROR) && code == 0) code = 1;
    flush_repeated_messages(run);
    if (log_lost_with_q(run)) return 108;
    if (code == 0 && run.message_log.failed) return 1;
    return code;
}

}  // namespace morvel
