#include "reformat/reformat_function.h"

#include <utility>

#include "core/messages.h"
#include "reformat/reformat.h"
#include "reformat/reformat_internal.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/identifiers.h"

namespace morvel {

namespace {

// Deep enough for any real definition, shallow enough for the stack.
constexpr int kMaxFunctionDepth = 64;
constexpr std::size_t kArgumentSlots = 9;

}  // namespace

int execute_function_statement(Run& run, const Statement& st) {
    const auto* s = std::get_if<ExpressionStatement>(&st.payload);
    if (!s || !s->expr) {
        report_error(run, 0, "Passed a NULL FUNCTION statement");
        return -1;
    }
    Text result = evaluate(run, s->expr.get());
    if (!result) {
        report_error(run, 0, "Couldnt evaluate FUNCTION expression");
        return -1;
    }
    run.reformat.parameters[0] = std::move(result);
    return 0;
}

Text eval_r_function(Run& run, const Expression& call) {
    ReformatState& state = run.reformat;
    if (!state.out) {
        report_error(run, 1, "Not inside a reformat program, cannot use reformat function");
        return std::nullopt;
    }
    if (!call.has_arguments || call.arguments.empty()) {
        report_error(run, 3, "Missing parameter list in eval_r_function");
        return std::nullopt;
    }
    Text name = evaluate(run, call.arguments[0].get());
    if (!name) {
        report_error(run, 3, "Unable to evaluate function name in eval_r_function");
        return std::nullopt;
    }
    Identifier* id = lookup(run, *name);
    if (!id) {
        report_error(run, 1, "Unable to find reformat function \"%s\"", name->c_str());
        return std::nullopt;
    }
    auto* program = id->kind == IdKind::Reformat ? id->as<ReformatProgram>() : nullptr;
    if (!program) {
        report_error(run, 1, "\"%s\" found but is not a reformat function", name->c_str());
        return std::nullopt;
    }
    if (state.function_depth >= kMaxFunctionDepth) {
        report_error(run, 1, "Reformat function %s nested too deeply", name->c_str());
        return std::nullopt;
    }

    // Arguments are evaluated before the slots change, so they may read the caller's.
    std::array<Text, 10> slots;
    for (std::size_t i = 1; i <= kArgumentSlots && i < call.arguments.size(); ++i)
        slots[i] = evaluate(run, call.arguments[i].get());
    std::swap(slots, run.reformat.parameters);

    for (const ParameterBinding& b : program->parameters) {
        if (!b.variable || b.index < 0 || b.index > 9) continue;
        const Text& value = run.reformat.parameters[static_cast<std::size_t>(b.index)];
        assign_cell(b.variable->cell, value ? *value : std::string());
    }
    int local_base_y = 0;
    double local_advance = 0;
    int& base_y = state.top_base_y ? *state.top_base_y : local_base_y;
    double& advance = state.top_advance ? *state.top_advance : local_advance;
    ++state.function_depth;
    execute_reformat_statements(run, program->statements, base_y, advance);
    --state.function_depth;

    Text result = std::move(run.reformat.parameters[0]);
    std::swap(slots, run.reformat.parameters);
    return result ? std::move(result) : std::string();
}

Text eval_r_parameter(Run& run, long n) {
    if (n < 0 || n > 9) {
        report_error(run, 1, "eval_r_parameter(%ld) not a valid value, must be 0-9", n);
        return std::nullopt;
    }
    const Text& slot = run.reformat.parameters[static_cast<std::size_t>(n)];
    return slot ? *slot : std::string();
}

}  // namespace morvel
