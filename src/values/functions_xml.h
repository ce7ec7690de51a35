#pragma once
// The XML functions of the expression language: queries on the XML spool's tree.
#include "language/expression.h"
#include "values/text.h"
#include "values/value.h"

namespace morvel {

struct Run;

/// XML_VALUE, XML_WITH, XML_NEXT, XML_NUM_CHILDREN, XML_NAME and XML_GET_ATTRIBUTE (by
/// e.op) over their one or two operands. NULL after a reported failure.
Text eval_xml_function(Run& run, const Expression& e);

/// What XML_VALUE gives for the path an XML_FIELD names, without building the call.
Text xml_field_value(Run& run, const Value& path);

}  // namespace morvel
