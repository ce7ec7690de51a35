#include "reformat/reformat.h"

#include "barcode/barcode.h"
#include "core/messages.h"
#include "core/printer_out.h"
#include "reformat/boxes.h"
#include "reformat/eject.h"
#include "reformat/forms.h"
#include "reformat/job_setup.h"
#include "reformat/raw_write.h"
#include "reformat/reformat_internal.h"
#include "reformat/xml_output.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/statements.h"

namespace morvel {

namespace {

// Trace bits of -z that this executor reads.
constexpr int kTraceReformat = 1;
constexpr int kTraceLeaving = 2;
constexpr int kTraceIf = 8;

// The run state a reformat run replaces, put back when it ends. The program and the
// output stay current after the run.
struct SavedState {
    PclOut* out;
    int* top_base_y;
    double* top_advance;
};

int execute_if(Run& run, const Statement& st, int& base_y, double& advance) {
    const auto& s = st.as<IfStatement>();
    // A condition that cannot be evaluated runs the THEN list, as in extract programs.
    bool then = evaluate_truth(run, s.condition.get()) != 0;
    if (run.trace_flags & kTraceIf) debug_prompt(run, then ? "IF -> THEN\n" : "IF -> ELSE\n");
    return execute_reformat_statements(run, then ? s.then_list : s.else_list, base_y, advance);
}

int execute_statement(Run& run, const Statement& st, int& base_y, double& advance) {
    switch (st.kind) {
        case Tok::FIELD:
            return execute_field(run, st, base_y, advance);
        case Tok::MESSAGE:
        case Tok::DATE:
        case Tok::PAGE:
        case Tok::INCLUDE:
            return execute_text_statement(run, st, base_y, advance);
        case Tok::EJECT_PAGE:
            base_y = 0;
            advance = 0;
            return eject_page(run, true);
        case Tok::REPEAT:
            return execute_reformat_repeat(run, st, base_y, advance);
        case Tok::IF:
            return execute_if(run, st, base_y, advance);
        case Tok::CASE:
            if (const StatementList* list = select_case(run, st))
                return execute_reformat_statements(run, *list, base_y, advance);
            return 0;
        case Tok::X_SHIFT:
        case Tok::Y_SHIFT:
            return execute_shift(run, st, base_y, advance);
        case Tok::FUNCTION:
            return execute_function_statement(run, st);
        case Tok::PRINT:
        case Tok::PRINT_LINE:
        case Tok::ARCH_TABLE:
            return execute_print(run, st);
        case Tok::ARCH_FIELD:
            return execute_arch_field(run, st);
        case Tok::BOX:
        case Tok::RBOX:
        case Tok::WATERMARK:
        case Tok::MACRO:
            return execute_drawing(run, st, *run.reformat.out, base_y, advance);
        case Tok::FORM:
            return execute_form(run, st, *run.reformat.out, base_y, advance);
        case Tok::BARCODE:
            execute_barcode(run, st, *run.reformat.out, base_y, advance);
            return 0;
        case Tok::XML_BLOCK:
        case Tok::XML_TAG:
        case Tok::XML_COMMENT:
            return execute_xml_statement(run, st, *run.reformat.out, base_y, advance);
        default:
            // The shared statements; VARIABLE, REM and NOTE do nothing at run time.
            return execute_shared_statement(run, st);
    }
}

}  // namespace

int execute_reformat_statements(Run& run, const StatementList& list, int& base_y, double& advance) {
    for (const auto& st : list) {
        if (!st) continue;
        run.current_line = st->line;
        execute_statement(run, *st, base_y, advance);
    }
    return 0;
}

int run_reformat(Run& run, ReformatProgram& program, OutputProgram& output, std::FILE* file) {
    int base_y = 0;
    double advance = 0;
    if (!file) {
        report_error(run, 0, "Can't run output file, as no output file given");
        return -1;
    }
    ReformatState& state = run.reformat;
    SavedState saved{state.out, state.top_base_y, state.top_advance};
    PclOut out(file);
    state.program = &program;
    state.output = &output;
    if (run.trace_flags & kTraceReformat)
        report_info(run, "Reformat program %s", program.name.c_str());

    auto finish = [&](int result) {
        state.page.release();
        state.out = saved.out;
        state.top_base_y = saved.top_base_y;
        state.top_advance = saved.top_advance;
        if (out.failed()) {
            report_error(run, 2, "Unable to write to the output file of reformat program %s",
                         program.name.c_str());
            result = -1;
        }
        return result;
    };

    if (program.kind == ReformatKind::TextPage &&
        !state.page.allocate(program.page_width, program.page_height, program.wide_cells)) {
        report_error(run, 0, "Unable to get memory for output page");
        return finish(-1);
    }
    run.reformat.repeat_depth = 0;
    // The set-up's raw writers and eval_r_function need the file while it is written.
    state.out = &out;
    if (program.initialise) {
        int status = job_setup(run, program, output, out);
        if (status < 0) return finish(status);
    }
    if (program.kind == ReformatKind::TextPage && !output.last_page_full)
        program.form_feed_pending = true;
    // Only printer jobs download macro forms; a text page has no macros to run.
    if (program.kind == ReformatKind::Printer)
        for (const FormDefinition& form : program.macro_forms)
            if (form.macro_number > 100) out.printf("\033&f%dy2X", form.macro_number);

    state.top_base_y = &base_y;
    state.top_advance = &advance;
    int result = execute_reformat_statements(run, program.statements, base_y, advance);
    state.top_base_y = nullptr;
    state.top_advance = nullptr;

    eject_page(run, false);
    result = finish(result);
    if (run.trace_flags & kTraceLeaving)
        debug_prompt(run, "Leaving reformat program %s\n", program.name.c_str());
    return result;
}

}  // namespace morvel
