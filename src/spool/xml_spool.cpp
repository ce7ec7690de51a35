// XML spools: XML_DOCUMENTS hands the spool to the streaming XML reader.
#include "driver/messages.h"
#include "driver/run.h"
#include "spool/input_program.h"

namespace morvel {

// The streaming XML reader is not part of this build yet: an XML_DOCUMENTS statement
// reports that and fails, so the run ends with an error instead of silently reading
// nothing.
int parse_xml_spool(Run& run, const XmlDocumentsStatement&) {
    report_error(run, 1, "XML_DOCUMENTS: XML spool input is not available in this build");
    return -1;
}

}  // namespace morvel
