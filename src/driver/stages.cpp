#include "driver/stages.h"

#include <strings.h>

#include <cstdio>
#include <string>

#include "driver/messages.h"
#include "driver/run.h"
#include "language/scanner.h"

namespace morvel {

bool create_token_file(Run& run) {
    std::FILE* f = std::fopen(run.options.token_file_name.c_str(), "wb");
    if (!f) return false;
    std::fclose(f);
    return true;
}

bool resolve_auto_form(Run& run) {
    if (run.settings.auto_forms.empty()) {
        report_error(run, 0, "No auto_forms defined");
        return false;
    }
    report_error(run, 0, "Unable to recognise spool file");
    return false;
}

bool detect_spool_kind(Run&) { return true; }

bool open_definition(Run& run) {
    const std::string& name = run.options.definition_name;
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        report_error(run, 2, "Unable to open file %s\n", name.c_str());
        return false;
    }
    std::fclose(f);
    run.scanner.definition_path = name;
    run.current_file = name;
    return true;
}

bool open_spool(Run& run) {
    const std::string& name = run.options.spool_name;
    if (name == "-") return true;
    std::FILE* f = std::fopen(name.c_str(), "rb");
    if (!f) {
        report_error(run, 2, "Unable to open spool_file %s", name.c_str());
        return false;
    }
    std::fclose(f);
    return true;
}

void close_definition(Run&) {}

void close_spool(Run&) {}

void execute_definition(Run& run) { report_info(run, "About to execute input program"); }

}  // namespace morvel
