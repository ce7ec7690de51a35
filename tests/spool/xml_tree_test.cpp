// The XML tree's reusable parts: split paths kept per distinct path, and released nodes
// kept for the next elements.
#include "spool/xml_tree.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace morvel {
namespace {

// <inv><line>pen</line><line>ink</line><a.b>dot</a.b></inv>
std::unique_ptr<XmlNode> invoice() {
    auto root = std::make_unique<XmlNode>();
    root->name = "inv";
    for (const auto& [name, text] : {std::pair{"line", "pen"}, {"line", "ink"}, {"a.b", "dot"}}) {
        auto child = std::make_unique<XmlNode>();
        child->name = name;
        child->text = text;
        child->parent = root.get();
        root->children.push_back(std::move(child));
    }
    return root;
}

std::string value(XmlPathCache& cache, const std::string& path, char delim, XmlNode* root) {
    std::optional<std::string> v = xml_value(cache.get(path, delim), root, 2);
    return v ? *v : "<none>";
}

TEST(XmlPathCache, EachPathAndDelimiterIsSplitOnItsOwn) {
    std::unique_ptr<XmlNode> root = invoice();
    XmlPathCache cache;
    // Paths of one length, a path seen again after others, and one text split at two
    // delimiters must each find their own node.
    const struct {
        const char* path;
        char delim;
        const char* found;
    } cases[] = {
        {"inv.line[1]", '.', "pen"},  {"inv.line[2]", '.', "ink"},
        {"inv.line[1]", '.', "pen"},  {"inv/a.b", '/', "dot"},
        {"inv/a.b", '.', "<none>"},   {"inv.line[0]", '.', "ink"},
        {"inv.line[", '.', "<none>"}, {"inv", '.', ""},
    };
    for (int round = 0; round < 2; ++round)
        for (const auto& c : cases)
            EXPECT_EQ(value(cache, c.path, c.delim, root.get()), c.found)
                << c.path << " " << c.delim << " round " << round;
}

TEST(XmlPathCache, ManyAndLongPathsStayCorrect) {
    std::unique_ptr<XmlNode> root = invoice();
    XmlPathCache cache;
    // More distinct paths than are kept: the replaced entries must not answer for others.
    for (int round = 0; round < 3; ++round) {
        for (std::size_t i = 0; i < XmlPathCache::kEntries + 5; ++i) {
            std::string path = "inv.line[" + std::to_string(i % 3 + 1) + "]" + std::string(i, '.');
            const char* found = i == 0 ? "pen" : "<none>";
            EXPECT_EQ(value(cache, path, '.', root.get()), found) << path;
            EXPECT_EQ(value(cache, "inv.line[2]", '.', root.get()), "ink") << i;
        }
    }
    // A path longer than any kept one is split anew each time.
    std::string long_name(XmlPathCache::kLongestKept + 10, 'x');
    EXPECT_EQ(value(cache, "inv." + long_name, '.', root.get()), "<none>");
    root->children[0]->name = long_name;
    EXPECT_EQ(value(cache, "inv." + long_name, '.', root.get()), "pen");
    EXPECT_EQ(value(cache, "inv.[3]", '.', root.get()), "dot");
}

// Lookups by position in any order, between names, and after the last child was taken
// away and another added, find what a count from the first child finds.
TEST(XmlChildLookup, RememberedPositionGivesTheSameAnswersAsCountingFromTheStart) {
    auto root = std::make_unique<XmlNode>();
    root->name = "r";
    auto add = [&](const char* name, std::string text) {
        auto child = std::make_unique<XmlNode>();
        child->name = name;
        child->text = std::move(text);
        child->parent = root.get();
        root->children.push_back(std::move(child));
    };
    for (int i = 1; i <= 6; ++i) {
        add("a", "a" + std::to_string(i));
        if (i % 2 == 0) add("b", "b" + std::to_string(i / 2));
    }
    XmlPathCache cache;
    auto at = [&](const std::string& path) {
        std::optional<std::string> v = xml_value(cache.get(path, '.'), root.get(), 1);
        return v ? *v : "<none>";
    };
    const struct {
        const char* path;
        const char* expected;
    } steps[] = {
        {"r.a[1]", "a1"},     {"r.a[2]", "a2"}, {"r.a[5]", "a5"},     {"r.a[3]", "a3"},
        {"r.b[2]", "b2"},     {"r.a[4]", "a4"}, {"r.b[1]", "b1"},     {"r.b[3]", "b3"},
        {"r.b[4]", "<none>"}, {"r.a[6]", "a6"}, {"r.a[7]", "<none>"}, {"r.[4]", "a3"},
        {"r.[9]", "b3"},      {"r.[2]", "a2"},
    };
    for (const auto& s : steps) EXPECT_EQ(at(s.path), s.expected) << s.path;
    // The last child (b3) goes, as a released document does, and another comes.
    EXPECT_EQ(at("r.[9]"), "b3");
    root->children.pop_back();
    add("a", "a7");
    EXPECT_EQ(at("r.[9]"), "a7");
    EXPECT_EQ(at("r.b[3]"), "<none>");
    EXPECT_EQ(at("r.a[7]"), "a7");
}

TEST(XmlNodePool, NodesComeBackEmpty) {
    XmlNodePool pool;
    std::unique_ptr<XmlNode> root = invoice();
    root->attributes.push_back({"id", "7"});
    root->occurrence = 2;
    root->children[1]->text = std::string(XmlNodePool::kLargestText + 1, 'x');
    pool.give(std::move(root));
    EXPECT_EQ(pool.size(), 4u);
    for (int i = 0; i < 4; ++i) {
        std::unique_ptr<XmlNode> n = pool.take();
        EXPECT_EQ(n->name, "");
        EXPECT_EQ(n->text, "");
        EXPECT_LE(n->text.capacity(), XmlNodePool::kLargestText);
        EXPECT_TRUE(n->children.empty());
        EXPECT_TRUE(n->attributes.empty());
        EXPECT_EQ(n->occurrence, 0);
        EXPECT_EQ(n->parent, nullptr);
    }
    EXPECT_EQ(pool.size(), 0u);
    EXPECT_NE(pool.take(), nullptr);  // an empty pool makes a new node
}

TEST(XmlNodePool, KeepsABoundedNumberOfADeepTree) {
    XmlNodePool pool;
    auto root = std::make_unique<XmlNode>();
    XmlNode* at = root.get();
    for (std::size_t i = 0; i < 3 * XmlNodePool::kMaxNodes; ++i) {
        at->children.push_back(std::make_unique<XmlNode>());
        at->children.back()->parent = at;
        at = at->children.back().get();
    }
    pool.give(std::move(root));
    EXPECT_EQ(pool.size(), XmlNodePool::kMaxNodes);
    pool.clear();
    EXPECT_EQ(pool.size(), 0u);
}

TEST(XmlEntryMatches, ComponentsFromTheClosingElementUp) {
    std::unique_ptr<XmlNode> root = invoice();
    const XmlNode& line = *root->children[1];
    const struct {
        const char* entry;
        char delim;
        int depth;
        bool matches;
    } cases[] = {
        {"inv.line", '.', 2, true}, {"INV.LINE", '.', 2, true},    {".line", '.', 2, true},
        {"inv.", '.', 2, true},     {".", '.', 2, true},           {"inv.lines", '.', 2, false},
        {"x.line", '.', 2, false},  {"inv.line.x", '.', 2, false}, {"line", '.', 2, false},
        {"inv/line", '/', 2, true}, {"inv/line", '.', 2, false},   {"", '.', 2, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(xml_entry_matches(c.entry, line, c.depth, c.delim), c.matches) << c.entry;
    EXPECT_TRUE(xml_entry_matches("", *root, 1, '.'));
    EXPECT_EQ(xml_path_components("a.b..c", '.'), 4);
}

}  // namespace
}  // namespace morvel
