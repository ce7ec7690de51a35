#include "spool/xml_tree.h"

#include <cstdlib>

#include "values/text_util.h"

namespace morvel {

namespace {

XmlPathStep parse_step(std::string_view path, std::size_t at, std::size_t size) {
    std::string_view component = path.substr(at, size);
    XmlPathStep s;
    s.name_at = at;
    std::size_t open = component.find('[');
    if (open == std::string_view::npos) {
        s.name_size = size;
        return s;
    }
    s.name_size = open;
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

bool name_fits(std::string_view wanted, const XmlNode& node) {
    return wanted.empty() || wanted == node.name;
}

// The child that a step selects under node: the n-th child that fits the name, n from
// the index (0 standing for repeat_count) or, without one, node's occurrence counter
// (0 before any XML_NEXT, which means the first).
XmlNode* select_child(const XmlPath& path, const XmlPathStep& step, XmlNode& node,
                      long repeat_count) {
    long n = step.has_index ? (step.index == 0 ? repeat_count : step.index)
                            : (node.occurrence == 0 ? 1 : node.occurrence);
    if (n <= 0) return nullptr;
    std::string_view name = path.name(step);
    std::size_t at = 0;
    long seen = 0;  // fitting children before `at`
    if (node.lookup_n > 0 && node.lookup_n <= n && node.lookup_name == name) {
        at = node.lookup_at;
        seen = node.lookup_n - 1;
    }
    for (; at < node.children.size(); ++at) {
        if (!name_fits(name, *node.children[at]) || ++seen != n) continue;
        if (node.lookup_name != name) node.lookup_name.assign(name);
        node.lookup_n = n;
        node.lookup_at = at;
        return node.children[at].get();
    }
    return nullptr;
}

// The first component names the start node itself; its index plays no part.
bool start_fits(const XmlPath& path, const XmlNode* start) {
    return start && path.steps[0].valid && name_fits(path.name(path.steps[0]), *start);
}

std::optional<std::string> value_below(const XmlPath& path, std::size_t i, XmlNode& node,
                                       long repeat_count) {
    if (i == path.steps.size()) return node.text;
    const XmlPathStep& step = path.steps[i];
    if (!step.valid) return std::nullopt;
    if (step.has_index && step.index == -1) {
        std::string_view name = path.name(step);
        std::optional<std::string> joined;
        for (const auto& child : node.children) {
            if (!name_fits(name, *child)) continue;
            std::optional<std::string> v = value_below(path, i + 1, *child, repeat_count);
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
    XmlNode* child = select_child(path, step, node, repeat_count);
    if (!child) return std::nullopt;
    return value_below(path, i + 1, *child, repeat_count);
}

// Empties a released node for its next element. Storage that only a large text or a
// long attribute list needed is given back rather than kept.
void scrub(XmlNode& node) {
    node.name.clear();
    if (node.text.capacity() > XmlNodePool::kLargestText)
        std::string().swap(node.text);
    else
        node.text.clear();
    node.occurrence = 0;
    node.lookup_name.clear();
    node.lookup_n = 0;
    node.lookup_at = 0;
    node.parent = nullptr;
    node.children.clear();
    if (node.attributes.capacity() > 16)
        std::vector<XmlNodeAttribute>().swap(node.attributes);
    else
        node.attributes.clear();
}

}  // namespace

void parse_xml_path(std::string_view path, char delim, XmlPath& out) {
    out.text.assign(path);
    out.delim = delim;
    out.steps.clear();
    std::size_t start = 0;
    for (;;) {
        std::size_t end = path.find(delim, start);
        std::size_t size = (end == std::string_view::npos ? path.size() : end) - start;
        out.steps.push_back(parse_step(path, start, size));
        if (end == std::string_view::npos) break;
        start = end + 1;
    }
}

const XmlPath& XmlPathCache::get(std::string_view path, char delim) {
    for (const XmlPath& p : entries_)
        if (p.delim == delim && p.text == path) return p;
    if (path.size() > kLongestKept) {
        parse_xml_path(path, delim, scratch_);
        return scratch_;
    }
    if (entries_.size() < kEntries) {
        entries_.emplace_back();
        parse_xml_path(path, delim, entries_.back());
        return entries_.back();
    }
    XmlPath& reused = entries_[next_];
    next_ = (next_ + 1) % kEntries;
    parse_xml_path(path, delim, reused);
    return reused;
}

std::unique_ptr<XmlNode> XmlNodePool::take() {
    if (spare_.empty()) return std::make_unique<XmlNode>();
    std::unique_ptr<XmlNode> node = std::move(spare_.back());
    spare_.pop_back();
    return node;
}

void XmlNodePool::give(std::unique_ptr<XmlNode> node) {
    if (!node) return;
    // The subtree is walked with the pool itself as the stack: each node's children go
    // on behind it, and a node past the bound is freed (its children already moved out).
    std::size_t first = spare_.size();
    spare_.push_back(std::move(node));
    for (std::size_t i = first; i < spare_.size();) {
        XmlNode& n = *spare_[i];
        for (auto& child : n.children) spare_.push_back(std::move(child));
        scrub(n);
        ++i;
    }
    if (spare_.size() > kMaxNodes) {
        spare_.resize(kMaxNodes);
        // A large document's walk needed a long list once; it is not kept.
        if (spare_.capacity() > 4 * kMaxNodes) spare_.shrink_to_fit();
    }
}

XmlNode::~XmlNode() {
    std::vector<std::unique_ptr<XmlNode>> pending = std::move(children);
    while (!pending.empty()) {
        std::unique_ptr<XmlNode> node = std::move(pending.back());
        pending.pop_back();
        for (auto& child : node->children) pending.push_back(std::move(child));
        node->children.clear();
    }
}

XmlNode* xml_find(const XmlPath& path, XmlNode* start, long repeat_count) {
    if (!start_fits(path, start)) return nullptr;
    XmlNode* node = start;
    for (std::size_t i = 1; i < path.steps.size() && node; ++i) {
        if (!path.steps[i].valid) return nullptr;
        node = select_child(path, path.steps[i], *node, repeat_count);
    }
    return node;
}

std::optional<std::string> xml_value(const XmlPath& path, XmlNode* start, long repeat_count) {
    if (!start_fits(path, start)) return std::nullopt;
    return value_below(path, 1, *start, repeat_count);
}

long xml_count_children(const XmlPath& path, std::string_view name, XmlNode* start,
                        long repeat_count) {
    XmlNode* node = xml_find(path, start, repeat_count);
    if (!node) return 0;
    long count = 0;
    for (const auto& child : node->children)
        if (name_fits(name, *child)) ++count;
    return count;
}

std::string xml_child_name(const XmlPath& path, long index, XmlNode* start, long repeat_count) {
    if (path.text.empty() && index == -1) return start ? start->name : std::string();
    XmlNode* node = xml_find(path, start, repeat_count);
    if (!node || index < 0 || static_cast<std::size_t>(index) >= node->children.size())
        return std::string();
    return node->children[static_cast<std::size_t>(index)]->name;
}

std::string xml_attribute(const XmlPath& path, std::string_view name, XmlNode* start,
                          long repeat_count) {
    XmlNode* node = xml_find(path, start, repeat_count);
    if (!node) return std::string();
    for (const XmlNodeAttribute& a : node->attributes)
        if (a.name == name) return a.value;
    return std::string();
}

int xml_next(const XmlPath& path, XmlNode* start, long repeat_count) {
    XmlNode* node = xml_find(path, start, repeat_count);
    if (!node) return -1;
    if (node->occurrence < static_cast<long>(node->children.size())) {
        ++node->occurrence;
        return 1;
    }
    node->occurrence = 0;
    return 0;
}

XmlNode* xml_find(std::string_view path, XmlNode* start, char delim, long repeat_count) {
    XmlPath p;
    parse_xml_path(path, delim, p);
    return xml_find(p, start, repeat_count);
}

std::optional<std::string> xml_value(std::string_view path, XmlNode* start, char delim,
                                     long repeat_count) {
    XmlPath p;
    parse_xml_path(path, delim, p);
    return xml_value(p, start, repeat_count);
}

long xml_count_children(std::string_view path, std::string_view name, XmlNode* start, char delim,
                        long repeat_count) {
    XmlPath p;
    parse_xml_path(path, delim, p);
    return xml_count_children(p, name, start, repeat_count);
}

std::string xml_child_name(std::string_view path, long index, XmlNode* start, char delim,
                           long repeat_count) {
    XmlPath p;
    parse_xml_path(path, delim, p);
    return xml_child_name(p, index, start, repeat_count);
}

std::string xml_attribute(std::string_view path, std::string_view name, XmlNode* start, char delim,
                          long repeat_count) {
    XmlPath p;
    parse_xml_path(path, delim, p);
    return xml_attribute(p, name, start, repeat_count);
}

int xml_next(std::string_view path, XmlNode* start, char delim, long repeat_count) {
    XmlPath p;
    parse_xml_path(path, delim, p);
    return xml_next(p, start, repeat_count);
}

long xml_path_components(std::string_view path, char delim) {
    long components = 1;
    for (char c : path)
        if (c == delim) ++components;
    return components;
}

bool xml_entry_matches(std::string_view entry, const XmlNode& closing, int depth, char delim) {
    if (entry.empty()) return depth == 1;
    // Counting first keeps a deep spool from costing a walk to the root at every end tag.
    long components = xml_path_components(entry, delim);
    if (components != depth) return false;
    return xml_entry_matches_counted(entry, closing, components, delim);
}

bool xml_entry_matches_counted(std::string_view entry, const XmlNode& closing, long components,
                               char delim) {
    if (entry.empty()) return true;
    // The components from the last, each against the open element at its place.
    const XmlNode* node = &closing;
    std::size_t end = entry.size();
    for (long i = components; i-- > 0 && node; node = node->parent) {
        std::size_t start = i == 0 ? 0 : entry.rfind(delim, end - 1) + 1;
        std::string_view part = entry.substr(start, end - start);
        if (!part.empty() && !equal_ignore_case(part, node->name)) return false;
        if (start == 0) break;
        end = start - 1;
    }
    return true;
}

}  // namespace morvel
