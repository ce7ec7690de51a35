#include "values/statements.h"

#include "core/messages.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/evaluate_internal.h"
#include "values/text_util.h"

namespace morvel {

namespace {

// Trace bits of -z used here.
constexpr int kTraceAssignments = 0x04;
constexpr int kTracePauseLet = 0x08;
constexpr int kTraceDebugLines = 0x20;

// DEBUG texts are capped below the log's large-message bound, leaving room for "Line %d:".
constexpr std::size_t kDebugCap = 199000;

}  // namespace

void execute_let(Run& run, const Statement& st) {
    const auto* let = std::get_if<LetStatement>(&st.payload);
    if (!let || !let->target || !let->value) {
        report_error(run, 0, "Passed a NULL LET statement");
        return;
    }
    VariableRecord& var = *let->target;
    if (run.trace_flags & kTracePauseLet) debug_prompt(run, "LET %s = expr\n", var.name.c_str());
    // A failed evaluation has been reported; the variable becomes NULL.
    Text value = evaluate(run, let->value.get());
    if (run.trace_flags & kTraceAssignments) {
        if (value)
            log_large_message(run, "LET %s=\"%s\"", var.name.c_str(), value->c_str());
        else
            report_info(run, "LET %s=NULL", var.name.c_str());
    }
    LineCell& cell = var.cell;
    cell.previous = std::move(cell.value);
    cell.previous_is_value = false;
    cell.value = std::move(value);
    cell.cursor = {};
    cell.line_index = 1;
    cell.exhausted = false;
}

void execute_debug_or_call(Run& run, const Statement& st) {
    bool debug = st.kind == Tok::DEBUG;
    // With -n a DEBUG is skipped whole: its expression (an EXECUTE, say) does not run.
    if (debug && run.options.debug_disabled) return;
    const auto* payload = std::get_if<ExpressionStatement>(&st.payload);
    if (!payload || !payload->expr) {
        report_error(run, 0, "Passed a NULL DEBUG/CALL statement");
        return;
    }
    Text text = evaluate(run, payload->expr.get());
    if (!text) {
        report_error(run, 0, "Couldnt evaluate DEBUG/CALL expression");
        return;
    }
    if (!debug) return;
    if (text->size() > kDebugCap) {
        report_info(run, "Following debug has been capped to 199000 bytes");
        text->resize(kDebugCap);
    }
    if (run.trace_flags & kTraceDebugLines)
        log_large_message(run, "Line %d:%s", st.line, text->c_str());
    else
        log_large_message(run, "%s", text->c_str());
}

int execute_shared_statement(Run& run, const Statement& st) {
    switch (st.kind) {
        case Tok::LET:
            execute_let(run, st);
            return 0;
        case Tok::DEBUG:
        case Tok::CALL:
            execute_debug_or_call(run, st);
            return 0;
        case Tok::TAB:
            if (!st.get_if<ValueStatement>()) {
                report_error(run, 0, "Null tab!\n");
                return -1;
            }
            return 0;
        default:
            return 0;
    }
}

const StatementList* select_case(Run& run, const CaseStatement& c) {
    if (c.entries.empty()) return &c.default_list;
    Text selector = evaluate(run, c.selector.get());
    if (!selector) return nullptr;
    for (std::size_t i = 0; i < c.entries.size(); ++i) {
        Text label = whole_text(run, c.entries[i].value);
        if (!label) return nullptr;
        if (compare_ignore_case(*label, *selector) != 0) continue;
        // Labels written without a body share the body of the entry that ends their run.
        for (std::size_t j = i; j < c.entries.size(); ++j)
            if (c.entries[j].has_body || !c.entries[j].body.empty()) return &c.entries[j].body;
        return nullptr;
    }
    return &c.default_list;
}

const StatementList* select_case(Run& run, const Statement& st) {
    const auto* c = st.get_if<CaseStatement>();
    return c ? select_case(run, *c) : nullptr;
}

}  // namespace morvel
