#pragma once
// The input program: the top of a run. It calls the extract programs page by page,
// repeats the calls until the spool ends, and groups pages into documents.
#include "language/tree.h"

namespace morvel {

struct Run;
struct ExtractProgram;
struct XmlDocumentsStatement;

/// Sets last_of_doc = 1 and runs the input program once (the default one, REPEAT
/// default_extract, when the definition has none). The end of the spool ends it with -1.
int run_input_program(Run& run);
/// Runs input statements in order; 0, or -1 at the first that fails.
int execute_input_statements(Run& run, const StatementList& list);
/// An extract program called as the input program calls it: run it, then the output
/// programs for its page unless it passed nothing on; first_page = 0 afterwards.
int call_extract_program(Run& run, ExtractProgram* program);

/// Walks an XML spool for XML_DOCUMENTS: 0 when the whole spool was parsed, 1 on an
/// XML error, 2 when a document's extract call failed (the parse stops there), 3 when
/// the stream or the entries are missing. Defined by the XML reader.
int parse_xml_spool(Run& run, const XmlDocumentsStatement& documents);

}  // namespace morvel
