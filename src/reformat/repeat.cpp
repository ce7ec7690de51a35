// REPEAT and the shift blocks of reformat programs.
#include <algorithm>

#include "core/messages.h"
#include "reformat/place_text.h"
#include "reformat/reformat.h"
#include "reformat/reformat_internal.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

namespace {

// Passes of a REPEAT that has no BY.
constexpr long kUnboundedPasses = 10000;

LineCell* cell_of(const Value& value) {
    if (value.cell) return value.cell;
    if (value.kind == ValueKind::Identifier)
        if (auto* var = dynamic_cast<VariableRecord*>(value.record)) return &var->cell;
    return nullptr;
}

// The first pass starts at STARTS (1 counts as 0), or at 0; nullopt: skip the REPEAT.
std::optional<long> start_of(Run& run, const RepeatStatement& r) {
    if (!r.starts) return 0L;
    Text text = evaluate(run, r.starts.get());
    if (!text) return std::nullopt;
    long start = truncate_to_long(to_number(run, *text));
    if (start == 0) return std::nullopt;
    return start == 1 ? 0L : start;
}

}  // namespace

void reset_field_reads(const StatementList& list) {
    for (const auto& st : list) {
        if (!st) continue;
        if (const auto* t = st->get_if<TextStatement>()) {
            if (st->kind != Tok::FIELD) continue;
            LineCell* cell = t->text.kind == ValueKind::Literal ? nullptr : cell_of(t->text);
            if (cell && (cell->exhausted || cell->line_index > line_count(cell->value))) {
                cell->line_index = 1;
                cell->exhausted = false;
            }
        } else if (const auto* i = st->get_if<IfStatement>()) {
            reset_field_reads(i->then_list);
            reset_field_reads(i->else_list);
        } else if (const auto* c = st->get_if<CaseStatement>()) {
            for (const CaseEntry& e : c->entries) reset_field_reads(e.body);
            reset_field_reads(c->default_list);
        } else if (const auto* b = st->get_if<BlockStatement>()) {
            reset_field_reads(b->body);
        }
    }
}

int execute_reformat_repeat(Run& run, const Statement& st, int& base_y, double& advance) {
    const auto* r = st.get_if<RepeatStatement>();
    if (!r) {
        report_error(run, 0, "Tried to execute a NULL REPEAT in a reformat program");
        return -1;
    }
    std::optional<long> start = start_of(run, *r);
    if (!start) return 0;
    if (!r->by && !r->ends) {
        report_error(run, 0, "Endless REPEAT in reformat program");
        return -1;
    }
    long count = r->by ? evaluate_integer(run, r->by.get()) : kUnboundedPasses;
    if (count <= 0) return 0;

    long position = *start + base_y;
    int saved_base_y = base_y;
    Text saved_count = variable_text(run, Internal::RepeatCount);
    const bool keeps_base = variable_is_watched(run, Internal::RepeatBase);
    Text saved_base = keeps_base ? variable_text(run, Internal::RepeatBase) : std::nullopt;
    ++run.reformat.repeat_depth;
    long pass = 1;
    set_integer_variable(run, Internal::RepeatCount, pass);
    while (count != 0) {
        double pass_advance = 0;
        base_y = clamp_to_int(position);
        if (keeps_base) set_integer_variable(run, Internal::RepeatBase, base_y);
        execute_reformat_statements(run, r->body, base_y, pass_advance);
        --count;
        if (r->increase_by) pass_advance = argument_number(run, *r->increase_by, "INCREASE_BY");
        position += truncate_to_long(pass_advance);
        advance += pass_advance;
        set_integer_variable(run, Internal::RepeatCount, ++pass);
        // A condition that cannot be evaluated ends the loop rather than repeating its
        // message thousands of times.
        if (r->ends && evaluate_truth(run, r->ends.get()) != 0) break;
    }
    reset_field_reads(r->body);
    set_text_variable(run, Internal::RepeatCount, saved_count);
    if (keeps_base) set_text_variable(run, Internal::RepeatBase, saved_base);
    base_y = saved_base_y;
    --run.reformat.repeat_depth;
    return 0;
}

int execute_shift(Run& run, const Statement& st, int& base_y, double& advance) {
    const auto* b = st.get_if<BlockStatement>();
    ReformatProgram* program = run.reformat.program;
    Text value = b && b->expr ? evaluate(run, b->expr.get()) : std::nullopt;
    if (!value) {
        report_error(run, 2, "Couldnt evalute value of X_SHIFT/Y_SHIFT");
        return -1;
    }
    if (!program) return -1;
    long amount = is_number(*value) ? to_integer(run, *value) : 0;
    int& shift = st.kind == Tok::X_SHIFT ? program->x_shift : program->y_shift;
    int saved = shift;
    shift = clamp_to_int(static_cast<long>(shift) + amount);
    execute_reformat_statements(run, b->body, base_y, advance);
    shift = saved;
    return 0;
}

}  // namespace morvel
