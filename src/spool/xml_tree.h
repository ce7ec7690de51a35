#pragma once
// The tree of an XML spool's open elements and the queries the XML functions make on
// it. Elements are added as the parser opens them; a processed document's subtree is
// released as soon as its statements have run.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

/// One attribute of an element, in document order.
struct XmlNodeAttribute {
    std::string name;
    std::string value;
};

/// One element held in memory.
struct XmlNode {
    std::string name;
    std::string text;     ///< character data directly inside, in document order
    long occurrence = 0;  ///< XML_NEXT's position; reset when a new child opens
    XmlNode* parent = nullptr;
    std::vector<std::unique_ptr<XmlNode>> children;
    std::vector<XmlNodeAttribute> attributes;

    XmlNode() = default;
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;
    /// Releases the subtree without recursion, so a deeply nested spool cannot
    /// exhaust the stack.
    ~XmlNode();
};

/// The XML spool state of a run (a member of Run).
struct XmlState {
    std::unique_ptr<XmlNode> root;       ///< the outermost element held, none when empty
    XmlNode* current = nullptr;          ///< the innermost open element
    int depth = 0;                       ///< open elements
    std::optional<std::string> context;  ///< XML_WITH's path, none when unset
    char delimiter = '.';  ///< path delimiter; the input program's XML_DELIMITER sets another
    bool name_warned =
        false;  ///< an invalid element or attribute name was warned about (once per run)
};

/// The node that path names from start (rules of XML paths, delimiter delim), or none.
/// repeat_count is what an index 0 stands for.
XmlNode* xml_find(std::string_view path, XmlNode* start, char delim, long repeat_count);
/// The text of the named node ("" without text); a step with index -1 takes every match
/// and joins what is found below each with line feeds. None when nothing is found.
std::optional<std::string> xml_value(std::string_view path, XmlNode* start, char delim,
                                     long repeat_count);
/// Children of the named node called name (all of them for an empty name); 0 when not found.
long xml_count_children(std::string_view path, std::string_view name, XmlNode* start, char delim,
                        long repeat_count);
/// Name of child index (from 0) of the named node, "" when none; an empty path with
/// index -1 gives the start node's own name.
std::string xml_child_name(std::string_view path, long index, XmlNode* start, char delim,
                           long repeat_count);
/// Value of the first attribute called name (exact case) on the named node, "" when none.
std::string xml_attribute(std::string_view path, std::string_view name, XmlNode* start, char delim,
                          long repeat_count);
/// Steps the named node's occurrence counter: 1 while it is below its number of
/// children, else resets it and gives 0; -1 when the path names nothing.
int xml_next(std::string_view path, XmlNode* start, char delim, long repeat_count);

/// Whether an XML_DOCUMENTS entry path matches the path of the closing element (its
/// depth counted from 1 at the root): same number of components, each non-empty one
/// equal to the open element's name ignoring case; an empty entry path matches the root.
bool xml_entry_matches(std::string_view entry, const XmlNode& closing, int depth, char delim);

}  // namespace morvel
