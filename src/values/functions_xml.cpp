#include "values/functions_xml.h"

#include <cstdlib>

#include "core/messages.h"
#include "run.h"
#include "spool/xml_tree.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

namespace {

// XML_VALUE (and XML_FIELD through it) read paths below the XML_WITH context; an empty
// path stands for the context itself.
std::string in_context(const Run& run, const std::string& path) {
    if (!run.xml.context) return path;
    if (path.empty()) return *run.xml.context;
    return *run.xml.context + run.xml.delimiter + path;
}

XmlNode* tree_or_report(Run& run) {
    XmlNode* root = run.xml.root.get();
    if (!root) report_error(run, 1, "Tried to get an XML value but no XML parse tree");
    return root;
}

}  // namespace

Text eval_xml_function(Run& run, const Expression& e) {
    Text path = e.left ? evaluate_operand(run, e.left.get()) : std::nullopt;
    if (!path) return std::nullopt;
    Text second;
    if (e.right) {
        second = evaluate_operand(run, e.right.get());
        if (!second) return std::nullopt;
    }
    XmlNode* root = run.xml.root.get();
    const char delim = run.xml.delimiter;
    long repeat_count = get_integer_variable(run, Internal::RepeatCount);
    switch (e.op) {
        case Tok::XML_VALUE: {
            if (!tree_or_report(run)) return std::nullopt;
            // A path that names nothing reads as empty, also after an earlier error.
            std::optional<std::string> v =
                xml_value(in_context(run, *path), root, delim, repeat_count);
            return v ? std::move(*v) : std::string();
        }
        case Tok::XML_WITH:
            // An empty context means none, so later paths start at the root again.
            if (path->empty())
                run.xml.context.reset();
            else
                run.xml.context = *path;
            return std::string("1");
        case Tok::XML_NEXT:
            if (!tree_or_report(run)) return std::nullopt;
            return from_integer(xml_next(*path, root, delim, repeat_count));
        case Tok::XML_NUM_CHILDREN:
            return from_integer(xml_count_children(*path, second ? *second : std::string(), root,
                                                   delim, repeat_count));
        case Tok::XML_NAME: {
            long n = second ? std::atol(second->c_str()) : 1;
            return xml_child_name(*path, n - 1, root, delim, repeat_count);
        }
        case Tok::XML_GET_ATTRIBUTE:
            return xml_attribute(*path, second ? *second : std::string(), root, delim,
                                 repeat_count);
        default:
            return std::nullopt;
    }
}

}  // namespace morvel
