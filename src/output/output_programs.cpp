#include "output/output_programs.h"

#include <variant>

#include "core/messages.h"
#include "language/programs.h"
#include "output/output_file.h"
#include "output/repeat.h"
#include "reformat/reformat.h"
#include "run.h"
#include "spool/program_support.h"
#include "values/evaluate.h"
#include "values/statements.h"

namespace morvel {

namespace {

constexpr int kTraceOutputPrograms = 0x01;

int execute_output_statements(Run& run, OutputProgram& output, const StatementList& list);

// A reformat call: the first one of an output file creates the file.
int call_reformat(Run& run, OutputProgram& output, const Statement& st) {
    const auto* call = std::get_if<ReformatCall>(&st.payload);
    if (!call || !call->program) {
        report_error(run, 0, "Tried to call a NULL reformat program");
        return -1;
    }
    if (!output_file(run, output) && create_output_file(run, output) != 0) return -1;
    return run_reformat(run, *call->program, output);
}

int execute_output_statement(Run& run, OutputProgram& output, const Statement& st) {
    switch (st.kind) {
        case Tok::IDENT:
            return call_reformat(run, output, st);
        case Tok::REPEAT:
            return run_repeat(run, st.as<RepeatStatement>(), [&](const StatementList& body) {
                return execute_output_statements(run, output, body);
            });
        case Tok::IF: {
            const auto& s = st.as<IfStatement>();
            int truth = evaluate_truth(run, s.condition.get());
            if (truth < 0) return -1;
            return execute_output_statements(run, output, truth ? s.then_list : s.else_list);
        }
        case Tok::CASE: {
            const StatementList* chosen = select_case(run, st);
            return chosen ? execute_output_statements(run, output, *chosen) : 0;
        }
        case Tok::INVOKE:
            invoke(run, output);
            return 0;
        case Tok::RESET:
            if (output_file(run, output)) patch_total_pages(run, output);
            return 0;
        default:  // the shared statements; VARIABLE, REM and NOTE do nothing
            return execute_shared_statement(run, st);
    }
}

int execute_output_statements(Run& run, OutputProgram& output, const StatementList& list) {
    for (const auto& st : list) {
        set_statement_position(run, *st);
        int result = execute_output_statement(run, output, *st);
        if (result != 0) return result;
    }
    return 0;
}

// Puts the previous current output program back however the run ends.
class CurrentOutputScope {
  public:
    CurrentOutputScope(Run& run, const OutputProgram& output)
        : run_(run), previous_(set_current_output(run, &output)) {}
    ~CurrentOutputScope() { set_current_output(run_, previous_); }
    CurrentOutputScope(const CurrentOutputScope&) = delete;
    CurrentOutputScope& operator=(const CurrentOutputScope&) = delete;

  private:
    Run& run_;
    const OutputProgram* previous_;
};

}  // namespace

int run_output_program(Run& run, OutputProgram& output, OutputMode mode) {
    CurrentOutputScope scope(run, output);
    if (run.trace_flags & kTraceOutputPrograms)
        report_info(run, "Output program %s", output.name.c_str());
    if (mode == OutputMode::Statements)
        return execute_output_statements(run, output, output.statements);
    if (output_file(run, output)) invoke(run, output);
    return 0;
}

int run_output_programs(Run& run, OutputProgram* only) {
    // -d only indexes the spool: no page is composed and nothing is invoked.
    if (run.options.return_codes) return 0;
    if (only) return run_output_program(run, *only, OutputMode::Statements);
    int delivered = run_delivery(run);
    if (delivered != 1024) return delivered;
    // Every output program gets its document even when an earlier one failed.
    int result = 0;
    for (OutputProgram* output : run.tree.outputs)
        if (output && run_output_program(run, *output, OutputMode::Statements) != 0) result = -1;
    return result;
}

void run_end_of_run_outputs(Run& run) {
    if (run.options.return_codes) return;
    for (OutputProgram* output : run.tree.outputs)
        if (output) run_output_program(run, *output, OutputMode::Invoke);
}

}  // namespace morvel
