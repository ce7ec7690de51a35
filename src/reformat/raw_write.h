#pragma once
// Raw output: text written straight into the output file instead of onto the page
// (PRINT, PRINT_LINE, ARCH_TABLE, ARCH_FIELD and the XML root element).
#include <string_view>

namespace morvel {

struct Run;
struct Statement;
class PclOut;

/// Writes text after the pending form feed of a text page (as a line feed), indented by
/// indent TABs, with LF written as CR LF when convert is set and the program uses CRLF,
/// and followed by the program's line end when line_end is set.
void raw_write(Run& run, PclOut& out, std::string_view text, int indent, bool line_end,
               bool convert);
/// PRINT, PRINT_LINE and ARCH_TABLE (by st.kind). 0, or -1 after a reported failure.
int execute_print(Run& run, const Statement& st);
/// ARCH_FIELD name, value: "name:value" and the line end. 0, or -1.
int execute_arch_field(Run& run, const Statement& st);

}  // namespace morvel
