#include "spool/xml_tree.h"

#include <cstdlib>

#include "values/text_util.h"

namespace morvel {

namespace {

// One component of a path: a name (empty matches any) and an optional [index].
struct Step {
    std::string_view name;
    bool has_index = false;
    long index = 0;
    bool valid = true;  ///< false for a "[" without "]", or text after the "]"
};

Step parse_step(std::string_view component) {
    Step s;
    std::size_t open = component.find('[');
    if (open == std::string_view::npos) {
        s.name = component;
        return s;
    }
    s.name = component.substr(0, open);
    std::size_t close = component.find(']', open);
    if (close == std::string_view::npos || close + 1 != component.size()) {
        s.valid = false;
        return s;
    }
    s.has_index = true;
    std::string digits(component.substr(open + 1, close - open - 1));
    s.index = std::strtol(digits.c_str(), nullptr, 10);
    return s;
}

std::vector<Step> parse_path(std::string_view path, char delim) {
    std::vector<Step> steps;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find(delim, start);
        steps.push_back(parse_step(path.substr(start, end - start)));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    return steps;
}

bool name_fits(std::string_view wanted, const XmlNode& node) {
    return wanted.empty() || wanted == node.name;
}

// The child that a step selects under node: the n-th child that fits the name, n from
// the index (0 standing for repeat_count) or, without one, node's occurrence counter
// (0 before any XML_NEXT, which means the first).
XmlNode* select_child(const Step& step, XmlNode& node, long repeat_count) {
    long n = step.has_index ? (step.index == 0 ? repeat_count : step.index)
                            : (node.occurrence == 0 ? 1 : node.occurrence);
    if (n <= 0) return nullptr;
    for (const auto& child : node.children) {
        if (name_fits(step.name, *child) && --n == 0) return child.get();
    }
    return nullptr;
}

// The first component names the start node itself; its index plays no part.
bool start_fits(const std::vector<Step>& steps, const XmlNode* start) {
    return start && steps[0].valid && name_fits(steps[0].name, *start);
}

std::optional<std::string> value_below(const std::vector<Step>& steps, std::size_t i, XmlNode& node,
                                       long repeat_count) {
    if (i == steps.size()) return node.text;
    const Step& step = steps[i];
    if (!step.valid) return std::nullopt;
    if (step.has_index && step.index == -1) {
        std::optional<std::string> joined;
        for (const auto& child : node.children) {
            if (!name_fits(step.name, *child)) continue;
            std::optional<std::string> v = value_below(steps, i + 1, *child, repeat_count);
            if (!v) continue;
            if (joined) {
                *joined += '\n';
                *joined += *v;
            } else {
                joined = std::move(v);
            }
        }
        return joined;
    }
    XmlNode* child = select_child(step, node, repeat_count);
    if (!child) return std::nullopt;
    return value_below(steps, i + 1, *child, repeat_count);
}

}  // namespace

XmlNode::~XmlNode() {
    std::vector<std::unique_ptr<XmlNode>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<XmlNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) pending.push_back(std::move(child));
        node->children.clear();
    }
}

XmlNode* xml_find(std::string_view path, XmlNode* start, char delim, long repeat_count) {
    std::vector<Step> steps = parse_path(path, delim);
    if (!start_fits(steps, start)) return nullptr;
    XmlNode* node = start;
    for (std::size_t i = 1; i < steps.size() && node; ++i) {
        if (!steps[i].valid) return nullptr;
        node = select_child(steps[i], *node, repeat_count);
    }
    return node;
}

std::optional<std::string> xml_value(std::string_view path, XmlNode* start, char delim,
                                     long repeat_count) {
    std::vector<Step> steps = parse_path(path, delim);
    if (!start_fits(steps, start)) return std::nullopt;
    return value_below(steps, 1, *start, repeat_count);
}

long xml_count_children(std::string_view path, std::string_view name, XmlNode* start, char delim,
                        long repeat_count) {
    XmlNode* node = xml_find(path, start, delim, repeat_count);
    if (!node) return 0;
    long count = 0;
    for (const auto& child : node->children)
        if (name_fits(name, *child)) ++count;
    return count;
}

std::string xml_child_name(std::string_view path, long index, XmlNode* start, char delim,
                           long repeat_count) {
    if (path.empty() && index == -1) return start ? start->name : std::string();
    XmlNode* node = xml_find(path, start, delim, repeat_count);
    if (!node || index < 0 || static_cast<std::size_t>(index) >= node->children.size())
        return std::string();
    return node->children[static_cast<std::size_t>(index)]->name;
}

std::string xml_attribute(std::string_view path, std::string_view name, XmlNode* start, char delim,
                          long repeat_count) {
    XmlNode* node = xml_find(path, start, delim, repeat_count);
    if (!node) return std::string();
    for (const XmlNodeAttribute& a : node->attributes)
        if (a.name == name) return a.value;
    return std::string();
}

int xml_next(std::string_view path, XmlNode* start, char delim, long repeat_count) {
    XmlNode* node = xml_find(path, start, delim, repeat_count);
    if (!node) return -1;
    if (node->occurrence < static_cast<long>(node->children.size())) {
        ++node->occurrence;
        return 1;
    }
    node->occurrence = 0;
    return 0;
}

bool xml_entry_matches(std::string_view entry, const XmlNode& closing, int depth, char delim) {
    if (entry.empty()) return depth == 1;
    // Counting first keeps a deep spool from costing a walk to the root at every end tag.
    long components = 1;
    for (char c : entry)
        if (c == delim) ++components;
    if (components != depth) return false;
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (;;) {
        std::size_t end = entry.find(delim, start);
        parts.push_back(entry.substr(start, end - start));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
    const XmlNode* node = &closing;
    for (std::size_t i = parts.size(); i-- > 0 && node; node = node->parent) {
        if (!parts[i].empty() && !equal_ignore_case(parts[i], node->name)) return false;
    }
    return true;
}

}  // namespace morvel
