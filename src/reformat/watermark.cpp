// WATERMARK: shaded text at an angle, drawn as an HP-GL/2 label; MACRO: a call of a
// printer macro downloaded earlier.
#include <string>

#include "core/messages.h"
#include "core/printer_out.h"
#include "language/programs.h"
#include "reformat/boxes.h"
#include "reformat/fonts.h"
#include "reformat/job_setup.h"
#include "reformat/place_text.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/value.h"

namespace morvel {

int execute_watermark(Run& run, const Statement& st, PclOut& out, int base_y) {
    const auto& w = st.as<WatermarkStatement>();
    ReformatProgram& program = *run.reformat.program;
    Text text = evaluate(run, w.text.get());
    if (!text) {
        report_error(run, 2, "Unable to get value of WATERMARK");
        return -1;
    }
    int terminator = label_terminator(*text);
    if (terminator == 127) {
        report_error(run, 0, "Unable to get a terminator for watermark");
        return -1;
    }
    long x = argument_integer(run, w.x, "FIELD(x)");
    long y = argument_integer(run, w.y, "FIELD(y)");
    int shading = clamp_to_int(argument_integer(run, w.shading, "WATERMARK(shading)"));
    double angle = argument_number(run, w.angle, "WATERMARK(angle)");
    const FontOverride* override_ = w.font_override ? &*w.font_override : nullptr;
    Text symbol_set;
    if (program.symbol_set) symbol_set = operand_text(run, *program.symbol_set);

    // A watermark sits on the page, not in the shifted layout of the fields.
    set_cursor(run, out, clamp_to_int(x), clamp_to_int(clamp_to_int(y) + long{base_y}));
    out.write_bytes(hpgl_enter(1));
    out.write_bytes(hpgl_pen(1));
    out.write_bytes(
        hpgl_font(run, w.hp_font, override_, program.symbol_set ? &symbol_set : nullptr));
    out.write_bytes(hpgl_direction(angle));
    out.write_bytes(hpgl_fill_type(10, shading, 0));
    out.write_bytes(hpgl_character_fill(2, 0));
    out.write_bytes(hpgl_define_terminator(terminator, 1));
    out.write_bytes(hpgl_standard_font());
    out.write_bytes(hpgl_label(*text, terminator));
    out.write_bytes(hpgl_leave(0));
    if (colour_on(run, program) > 0) restore_default_colour(run, out);
    return 0;
}

int execute_macro(Run& run, const Statement& st, PclOut& out) {
    const ReformatProgram* program = run.reformat.program;
    if (!program || program->kind != ReformatKind::Printer) {
        report_error(run, 0, "Trying to use a MACRO in a non hp REFORMAT");
        return -1;
    }
    long number = argument_integer(run, st.as<ValueStatement>().value, "MACRO");
    out.printf("\033&f%ldy2X", number);
    return 0;
}

}  // namespace morvel
