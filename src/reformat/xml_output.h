#pragma once
// XML_BLOCK, XML_TAG and XML_COMMENT statements of xml reformat programs.
#include <string_view>

namespace morvel {

struct Run;
struct Statement;
class PclOut;

/// Writes one XML statement (by st.kind) to out at nesting depth base_y (TABs of
/// indentation); XML_BLOCK runs its body one level deeper. 0, or -1 after a reported
/// failure (nothing of the failed element is written).
int execute_xml_statement(Run& run, const Statement& st, PclOut& out, int base_y, double& advance);

/// Whether name is acceptable at the XML warning level: 0 any non-empty name, 1 one
/// without blank, TAB, CR or LF, any other level a strict XML name.
bool is_valid_xml_name(std::string_view name, int level);

}  // namespace morvel
