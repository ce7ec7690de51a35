#include "values/functions_xml.h"

#include <cerrno>
#include <cstdlib>

#include "core/messages.h"
#include "run.h"
#include "spool/xml_tree.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/value.h"

namespace morvel {

namespace {

XmlNode* tree_or_report(Run& run) {
    XmlNode* root = run.xml.root.get();
    if (!root) report_error(run, 1, "Tried to get an XML value but no XML parse tree");
    return root;
}

// The split form of path: XML_VALUE (and XML_FIELD through it) read paths below the
// XML_WITH context, an empty path standing for the context itself.
const XmlPath& split_path(Run& run, std::string_view path, bool in_context) {
    XmlState& x = run.xml;
    if (!in_context || !x.context) return x.paths.get(path, x.delimiter);
    if (path.empty()) return x.paths.get(*x.context, x.delimiter);
    std::string whole = *x.context;
    whole += x.delimiter;
    whole += path;
    return x.paths.get(whole, x.delimiter);
}

Text value_at(Run& run, std::string_view path, long repeats) {
    XmlNode* root = tree_or_report(run);
    if (!root) return std::nullopt;
    const XmlPath& p = split_path(run, path, true);
    // A path that names nothing reads as empty, also after an earlier error.
    std::optional<std::string> v = xml_value(p, root, repeats);
    return v ? std::move(*v) : std::string();
}

}  // namespace

Text xml_field_value(Run& run, const Value& path) {
    errno = 0;
    if (path.kind == ValueKind::Literal)
        return value_at(run, path.literal, get_integer_variable(run, Internal::RepeatCount));
    Text text = operand_text(run, path);
    if (!text) return std::nullopt;
    return value_at(run, *text, get_integer_variable(run, Internal::RepeatCount));
}

Text eval_xml_function(Run& run, const Expression& e) {
    Text path = e.left ? evaluate_operand(run, e.left.get()) : std::nullopt;
    if (!path) return std::nullopt;
    Text second;
    if (e.right) {
        second = evaluate_operand(run, e.right.get());
        if (!second) return std::nullopt;
    }
    XmlNode* root = run.xml.root.get();
    const long repeats = get_integer_variable(run, Internal::RepeatCount);
    switch (e.op) {
        case Tok::XML_VALUE:
            return value_at(run, *path, repeats);
        case Tok::XML_WITH:
            // An empty context means none, so later paths start at the root again.
            if (path->empty())
                run.xml.context.reset();
            else
                run.xml.context = *path;
            return std::string("1");
        case Tok::XML_NEXT: {
            if (!tree_or_report(run)) return std::nullopt;
            const XmlPath& p = split_path(run, *path, false);
            return from_integer(xml_next(p, root, repeats));
        }
        case Tok::XML_NUM_CHILDREN: {
            const XmlPath& p = split_path(run, *path, false);
            return from_integer(
                xml_count_children(p, second ? *second : std::string_view(), root, repeats));
        }
        case Tok::XML_NAME: {
            long n = second ? std::atol(second->c_str()) : 1;
            const XmlPath& p = split_path(run, *path, false);
            return xml_child_name(p, n - 1, root, repeats);
        }
        case Tok::XML_GET_ATTRIBUTE: {
            const XmlPath& p = split_path(run, *path, false);
            return xml_attribute(p, second ? *second : std::string_view(), root, repeats);
        }
        default:
            return std::nullopt;
    }
}

}  // namespace morvel
