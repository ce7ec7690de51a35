#pragma once
// BOX, LINE, RBOX, WATERMARK and MACRO statements of printer reformat programs.
namespace morvel {

struct Run;
struct Statement;
class PclOut;

/// Draws a BOX, RBOX or WATERMARK, or calls a MACRO (by st.kind); base_y moves the
/// statement down, advance is the executor's running advance.
int execute_drawing(Run& run, const Statement& st, PclOut& out, int base_y, double& advance);

/// WATERMARK: rotated, shaded text drawn as an HP-GL/2 label. 0, or -1 when nothing
/// could be drawn.
int execute_watermark(Run& run, const Statement& st, PclOut& out, int base_y);
/// MACRO: executes a downloaded printer macro. 0, or -1 in a text-kind program.
int execute_macro(Run& run, const Statement& st, PclOut& out);

/// The downloaded fill pattern (2..8) that a shading of -1..-99 selects.
int fill_pattern(long shading);

}  // namespace morvel
