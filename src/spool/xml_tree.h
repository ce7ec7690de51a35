#pragma once
// The tree of an XML spool's open elements and the queries the XML functions make on
// it. Elements are added as the parser opens them; a processed document's subtree is
// released as soon as its statements have run.
#include <cstddef>
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
    /// The last child found by its position among the children of one name: a loop
    /// over the children takes each from where the one before it was found, so that
    /// a pass over n children costs n steps, not n * n. Children are only added at the
    /// end or taken from there, which leaves the children before it as they were.
    std::string lookup_name;
    long lookup_n = 0;          ///< the position among the fitting children; 0 when none
    std::size_t lookup_at = 0;  ///< its index in children

    XmlNode() = default;
    XmlNode(const XmlNode&) = delete;
    XmlNode& operator=(const XmlNode&) = delete;
    /// Releases the subtree without recursion, so a deeply nested spool cannot
    /// exhaust the stack.
    ~XmlNode();
};

/// One component of a path: a name (empty matches any) and an optional [index].
struct XmlPathStep {
    std::size_t name_at = 0;  ///< where the name starts in the path's text
    std::size_t name_size = 0;
    bool has_index = false;
    long index = 0;
    bool valid = true;  ///< false for a "[" without "]", or text after the "]"
};

/// A path split into its steps, kept with its own text so that it can be reused.
struct XmlPath {
    std::string text;
    char delim = '.';
    std::vector<XmlPathStep> steps;  ///< never empty: "" is one step with an empty name

    std::string_view name(const XmlPathStep& step) const {
        return std::string_view(text).substr(step.name_at, step.name_size);
    }
};

/// Splits path at delim (rules of XML paths) into out, reusing out's storage.
void parse_xml_path(std::string_view path, char delim, XmlPath& out);

/// The paths the XML functions were called with, each split once: a definition names a
/// handful of paths and asks for them for every document. Holds a bounded number of
/// short paths; a longer one is split into a scratch entry at every call.
class XmlPathCache {
  public:
    /// The split path; valid until the next call.
    const XmlPath& get(std::string_view path, char delim);

    static constexpr std::size_t kEntries = 32;
    static constexpr std::size_t kLongestKept = 256;

  private:
    std::vector<XmlPath> entries_;
    std::size_t next_ = 0;  ///< the entry a new path replaces once all are in use
    XmlPath scratch_;
};

/// Released element nodes kept for the next elements, so that a spool of many small
/// documents does not allocate every node, name and text anew. Bounded in count, and a
/// node that held a large text gives that storage back.
class XmlNodePool {
  public:
    std::unique_ptr<XmlNode> take();
    /// Takes the subtree apart without recursion, keeping what fits.
    void give(std::unique_ptr<XmlNode> node);
    void clear() { spare_.clear(); }
    std::size_t size() const { return spare_.size(); }

    static constexpr std::size_t kMaxNodes = 1024;
    static constexpr std::size_t kLargestText = 4096;

  private:
    std::vector<std::unique_ptr<XmlNode>> spare_;
};

/// The XML spool state of a run (a member of Run).
struct XmlState {
    std::unique_ptr<XmlNode> root;       ///< the outermost element held, none when empty
    XmlNode* current = nullptr;          ///< the innermost open element
    int depth = 0;                       ///< open elements
    std::optional<std::string> context;  ///< XML_WITH's path, none when unset
    char delimiter = '.';  ///< path delimiter; the input program's XML_DELIMITER sets another
    bool name_warned =
        false;            ///< an invalid element or attribute name was warned about (once per run)
    XmlPathCache paths;   ///< the XML functions' paths, split once
    XmlNodePool pool;     ///< released nodes for the next elements
    std::string element;  ///< the XML writer's element being built, reused
};

/// The node that path names from start (rules of XML paths), or none. repeat_count is
/// what an index 0 stands for. The forms below taking an XmlPath do the same.
XmlNode* xml_find(const XmlPath& path, XmlNode* start, long repeat_count);
std::optional<std::string> xml_value(const XmlPath& path, XmlNode* start, long repeat_count);
long xml_count_children(const XmlPath& path, std::string_view name, XmlNode* start,
                        long repeat_count);
std::string xml_child_name(const XmlPath& path, long index, XmlNode* start, long repeat_count);
std::string xml_attribute(const XmlPath& path, std::string_view name, XmlNode* start,
                          long repeat_count);
int xml_next(const XmlPath& path, XmlNode* start, long repeat_count);

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

/// How many components path has: one more than its delimiters.
long xml_path_components(std::string_view path, char delim);

/// Whether an XML_DOCUMENTS entry path matches the path of the closing element (its
/// depth counted from 1 at the root): same number of components, each non-empty one
/// equal to the open element's name ignoring case; an empty entry path matches the root.
bool xml_entry_matches(std::string_view entry, const XmlNode& closing, int depth, char delim);
/// The same for an entry already known to have as many components as the closing
/// element's depth (components, from xml_path_components).
bool xml_entry_matches_counted(std::string_view entry, const XmlNode& closing, long components,
                               char delim);

}  // namespace morvel
