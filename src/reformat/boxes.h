#pragma once
// BOX, LINE, RBOX, WATERMARK and MACRO statements of printer reformat programs.
namespace morvel {

struct Run;
struct Statement;
class PclOut;

/// Draws a BOX, RBOX or WATERMARK, or calls a MACRO (by st.kind); base_y moves the
/// statement down, advance is the executor's running advance.
int execute_drawing(Run& run, const Statement& st, PclOut& out, int base_y, double& advance);

}  // namespace morvel
