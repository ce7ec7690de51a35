#include "language/compile.h"

#include <new>
#include <string>
#include <vector>

#include "core/messages.h"
#include "language/grammar.h"
#include "language/hints.h"
#include "language/parse_error.h"
#include "language/programs.h"
#include "language/scanner.h"
#include "run.h"
#include "values/identifiers.h"

namespace morvel {

int compile_pass(Run& run, int pass) {
    if (!scanner_start_pass(run, pass)) return -1;
    // Settings of pass 1 (the palette among them) must not survive into pass 2.
    run.tree = ProgramTree{};
    if (pass == 1) {
        run.typeface_names.clear();
        run.mask_calls.clear();
    }
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
    if (pass == 2) note_unquoted_parameters(run);
    return 0;
}

bool prepare_identifiers(Run& run) {
    add_default_identifiers(run);
    if (run.MEMORY_ERROR) return false;
    if (!check_references(run)) {
        hint_unknown_typefaces(run, run.typeface_names);
        hint_missing_reformat_programs(run, run.mask_calls);
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

namespace {

bool value_reads_spool(const Value& v) {
    if (v.kind == ValueKind::Field) return true;
    if (v.kind != ValueKind::Identifier) return false;
    if (same_word(v.name, "spool_line") || same_word(v.name, "spool_page")) return true;
    const auto* var = dynamic_cast<const VariableRecord*>(v.record);
    return var && var->spool_filled;
}

}  // namespace

bool reads_spool(const Expression* e) {
    // Walked with a list rather than recursion: an expression may be thousands deep.
    std::vector<const Expression*> pending;
    if (e) pending.push_back(e);
    while (!pending.empty()) {
        const Expression* x = pending.back();
        pending.pop_back();
        switch (x->op) {
            case Tok::XML_VALUE:
            case Tok::XML_GET_ATTRIBUTE:
            case Tok::XML_NAME:
                return true;
            default:
                break;
        }
        for (const OperandSlot* slot : {&x->left, &x->right}) {
            if (!*slot) continue;
            if ((*slot)->expr)
                pending.push_back((*slot)->expr.get());
            else if (value_reads_spool((*slot)->value()))
                return true;
        }
        for (const auto& argument : x->arguments)
            if (argument) pending.push_back(argument.get());
    }
    return false;
}

void note_unquoted_parameters(Run& run) {
    const auto& sources = run.scanner.sources;
    for (const OutputProgram* p : run.tree.outputs) {
        if (!p) continue;
        for (const InvocationParameter& item : p->invocation.parameters) {
            if (item.kind != InvocationParameter::Kind::Item || item.quoted ||
                !value_reads_spool(item.value))
                continue;
            const char* file =
                item.source >= 0 && static_cast<std::size_t>(item.source) < sources.size()
                    ? sources[static_cast<std::size_t>(item.source)].name.c_str()
                    : "";
            report_info(run,
                        "%s in the PARAMETERS of output %s at line %d of %s is not QUOTED: "
                        "the command gets its value split at blanks",
                        item.value.name.c_str(), p->name.c_str(), item.line, file);
            if (run.check) {
                // A check shows it where it is written, as a warning an editor marks.
                run.check->pinned_file = file;
                run.check->pinned_line = item.line;
                run.check->pinned_column = 1;
                report_warning(run, 0,
                               "%s in the PARAMETERS of output %s is not QUOTED: the command "
                               "gets its value split at blanks",
                               item.value.name.c_str(), p->name.c_str());
                run.check->unpin();
            }
        }
    }
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
