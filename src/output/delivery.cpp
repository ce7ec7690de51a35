// The [DELIVERY] program: decides per document which output programs run their MASK,
// and how often. The end-of-run invocations do not pass through it.
#include <variant>

#include "core/messages.h"
#include "language/programs.h"
#include "output/output_programs.h"
#include "output/repeat.h"
#include "run.h"
#include "spool/program_support.h"
#include "values/evaluate.h"
#include "values/statements.h"

namespace morvel {

namespace {

constexpr int kTraceOutputPrograms = 0x01;
// What run_delivery answers when there is no delivery program to run.
constexpr int kNoDeliveryProgram = 1024;

int execute_delivery_statements(Run& run, const StatementList& list);

int execute_delivery_statement(Run& run, const Statement& st) {
    switch (st.kind) {
        case Tok::OUTPUT: {
            const auto* call = std::get_if<OutputCall>(&st.payload);
            if (!call || !call->program) return -1;
            return run_output_program(run, *call->program, OutputMode::Statements);
        }
        case Tok::REPEAT:
            return run_repeat(run, st.as<RepeatStatement>(), [&](const StatementList& body) {
                return execute_delivery_statements(run, body);
            });
        case Tok::IF: {
            const auto& s = st.as<IfStatement>();
            int truth = evaluate_truth(run, s.condition.get());
            if (truth < 0) return -1;
            return execute_delivery_statements(run, truth ? s.then_list : s.else_list);
        }
        case Tok::CASE: {
            const StatementList* chosen = select_case(run, st);
            return chosen ? execute_delivery_statements(run, *chosen) : 0;
        }
        default:  // the shared statements; VARIABLE, REM and NOTE do nothing
            return execute_shared_statement(run, st);
    }
}

int execute_delivery_statements(Run& run, const StatementList& list) {
    for (const auto& st : list) {
        set_statement_position(run, *st);
        int result = execute_delivery_statement(run, *st);
        if (result != 0) return result;
    }
    return 0;
}

}  // namespace

int run_delivery(Run& run) {
    const DeliveryProgram* delivery = run.tree.delivery.get();
    if (!delivery) return kNoDeliveryProgram;
    if (run.trace_flags & kTraceOutputPrograms) report_info(run, "Delivery program");
    return execute_delivery_statements(run, delivery->statements);
}

}  // namespace morvel
