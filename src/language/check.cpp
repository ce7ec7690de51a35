#include "language/check.h"

#include <new>

#include "core/messages.h"
#include "language/compile.h"
#include "language/scanner.h"
#include "run.h"
#include "values/identifiers.h"

namespace morvel {

CheckSink check_definition(const CheckRequest& request) {
    CheckSink sink;
    sink.record_names = request.record_names;
    sink.log_asked = !request.log_file.empty();
    try {
        Run run;
        run.check = &sink;
        run.options.silent = true;
        if (sink.log_asked) {
            run.options.log_file_name = request.log_file;
            create_log(run);
        }
        run.options.definition_name = request.path;
        run.scanner.definition_path = request.path;
        run.scanner.text = request.text;
        if (create_internal_variables(run) != 0) return sink;

        std::size_t before = sink.errors;
        if (compile_pass(run, 1) != 0 && sink.errors == before && !run.scanner.fatal_exit) {
            // The pass could not start: the definition cannot be read.
            run.current_line = 0;
            report_error(run, 2, "Unable to open file %s", request.path.c_str());
            return sink;
        }
        if (run.scanner.fatal_exit) return sink;
        if (sink.has_errors()) {
            // Names declared in the statements skipped after an error are unknown, so
            // only names used and declared nowhere are worth saying.
            add_default_identifiers(run);
            check_references(run);
            return sink;
        }
        if (prepare_identifiers(run)) compile_pass(run, 2);
    } catch (const std::bad_alloc&) {
        CheckMessage m;
        m.file = request.path;
        m.text = "Run out of memory";
        sink.add(std::move(m));
    }
    if (!request.record_names) sink.names.clear();
    return sink;
}

}  // namespace morvel
