#pragma once
// XML_BLOCK, XML_TAG and XML_COMMENT statements of xml reformat programs.
namespace morvel {

struct Run;
struct Statement;
class PclOut;

/// Writes one XML statement (by st.kind) to out.
int execute_xml_statement(Run& run, const Statement& st, PclOut& out, int base_y,
                          double& advance);

}  // namespace morvel
