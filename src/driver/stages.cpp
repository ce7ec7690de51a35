#include "driver/stages.h"

#include <strings.h>

#include <cstdio>
#include <optional>
#include <string>

#include "core/messages.h"
#include "language/scanner.h"
#include "output/output_programs.h"
#include "run.h"
#include "spool/input_program.h"
#include "spool/spool_reader.h"
#include "tokenfile/client_data.h"
#include "tokenfile/token_file.h"

namespace morvel {

bool resolve_auto_form(Run& run) {
    std::optional<std::string> definition =
        recognise_auto_form(run, run.options.spool_name, run.settings.auto_forms);
    if (!definition) return false;
    run.options.definition_name = *definition;
    return true;
}

bool detect_spool_kind(Run& run) {
    // An unreadable spool is reported once, where the run opens it for reading.
    if (!spool_is_open(run) && !open_spool(run, run.options.spool_name)) return true;
    if (!run.options.xml_spool) run.options.xml_spool = is_xml(run, run.options.spool_name) == 1;
    if (run.options.utf8_mode < 0 && !run.options.xml_spool) detect_utf8(run);
    return true;
}

void warn_unasked_utf8(Run& run) {
    if (run.options.utf8_given || run.options.xml_spool || !spool_is_open(run)) return;
    if (!spool_looks_utf8(run)) return;
    report_warning(run, 0,
                   "The spool %s looks like UTF-8 text but is read as bytes, so characters "
                   "beyond ASCII print wrong; run with -u 1 to read it as UTF-8",
                   run.options.spool_name.c_str());
}

bool open_definition(Run& run) {
    return load_token_file(run);
}

bool open_spool_stream(Run& run) {
    if (spool_is_open(run) || open_spool(run, run.options.spool_name)) return true;
    report_error(run, 2, "Unable to open spool_file %s", run.options.spool_name.c_str());
    return false;
}

void close_definition(Run& run) {
    close_token_definition(run);
}

void execute_definition(Run& run) {
    // A compile to a token file or a client data file executes nothing.
    if (run.options.write_token_file) {
        finish_token_file(run);
        return;
    }
    if (run.options.write_client_data) {
        write_client_data_file(run);
    } else {
        report_info(run, "About to execute input program");
        // The end of the spool ends the input program with -1; that is its normal end.
        run_input_program(run);
    }
    if (!run.options.return_codes) run_end_of_run_outputs(run);
}

}  // namespace morvel
