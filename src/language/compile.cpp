#include "language/compile.h"

#include <new>
#include <string>

#include "core/messages.h"
#include "language/grammar.h"
#include "language/hints.h"
#include "language/parse_error.h"
#include "language/scanner.h"
#include "run.h"

namespace morvel {

int compile_pass(Run& run, int pass) {
    if (!scanner_start_pass(run, pass)) return -1;
    // Settings of pass 1 (the palette among them) must not survive into pass 2.
    run.tree = ProgramTree{};
    if (pass == 1) run.typeface_names.clear();
    try {
        Parser parser(run, pass);
        parser.parse_definition();
        if (peek_token(run).code != Tok::END)
            report_error(run, 1, "Unexpected token found, check syntax");
    } catch (const CompileAbort&) {
        run.tree = ProgramTree{};
        return -1;
    } catch (const std::bad_alloc&) {
        run.tree = ProgramTree{};
        report_error(run, 3, "Run out of memory");
        return -1;
    }
    return 0;
}

bool prepare_identifiers(Run& run) {
    add_default_identifiers(run);
    if (run.MEMORY_ERROR) return false;
    if (!check_references(run)) {
        hint_unknown_typefaces(run, run.typeface_names);
        // A check has said which names; the summary would only count as one more error.
        if (!run.check) report_error(run, 0, "Failed check references\n");
        return false;
    }
    check_unused(run);
    if (!create_objects(run)) {
        report_error(run, 0, "Probs with creating id structures\n");
        return false;
    }
    report_info(run, "Created id structures\n");
    return true;
}

bool override_invocation(Run& run, std::string_view word) {
    std::size_t eq = word.find('=');
    if (eq == std::string_view::npos) {
        std::string text(word);
        report_error(run, 0, "Missing printer value in printer override %s", text.c_str());
        return false;
    }
    std::string name(word.substr(0, eq));
    std::string value(word.substr(eq + 1));
    if (same_word(name, "all")) {
        for (OutputProgram* p : run.tree.outputs) p->invocation.override_text = value;
        return true;
    }
    Identifier* id = lookup(run, name);
    OutputProgram* program = id && id->kind == IdKind::Output ? id->as<OutputProgram>() : nullptr;
    if (!program) {
        report_error(run, 2, "%s not found or not an output program", name.c_str());
        return false;
    }
    program->invocation.override_text = value;
    return true;
}

}  // namespace morvel
