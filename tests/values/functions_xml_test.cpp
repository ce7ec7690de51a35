// The XML functions over a small tree built by hand:
//   <inv id="7"><line>pen</line><note/><line>ink</line><Line>big</Line></inv>
#include <gtest/gtest.h>

#include "test_support.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/tree_builders.h"

namespace morvel {
namespace {

using test::bin;
using test::lit;
using test::un;

XmlNode* add(XmlNode& parent, const std::string& name, const std::string& text) {
    auto node = std::make_unique<XmlNode>();
    node->name = name;
    node->text = text;
    node->parent = &parent;
    parent.children.push_back(std::move(node));
    return parent.children.back().get();
}

class FunctionsXml : public ::testing::Test {
  protected:
    test::CapturedRun c;
    morvel::Run& run = c.run;

    void SetUp() override {
        test::create_run_variables(run);
        set_integer_variable(run, "repeat_count", 2);
    }
    void build_tree() {
        run.xml.root = std::make_unique<XmlNode>();
        XmlNode& inv = *run.xml.root;
        inv.name = "inv";
        inv.attributes.push_back({"id", "7"});
        add(inv, "line", "pen");
        add(inv, "note", "");
        add(inv, "line", "ink");
        add(inv, "Line", "big");
    }
    Text call(Tok op, const std::string& a) { return evaluate(run, un(op, lit(a)).get()); }
    Text call(Tok op, const std::string& a, const std::string& b) {
        return evaluate(run, bin(op, lit(a), lit(b)).get());
    }
};

TEST_F(FunctionsXml, WithoutATreeValueAndNextFailOthersAreEmpty) {
    run.current_file = "t.def";
    EXPECT_EQ(call(Tok::XML_VALUE, "inv"), std::nullopt);
    EXPECT_EQ(call(Tok::XML_NEXT, "inv"), std::nullopt);
    EXPECT_EQ(call(Tok::XML_NUM_CHILDREN, "inv"), "0");
    EXPECT_EQ(call(Tok::XML_NAME, "", "0"), "");
    EXPECT_EQ(call(Tok::XML_GET_ATTRIBUTE, "inv", "id"), "");
    EXPECT_EQ(c.log(),
              "Tried to get an XML value but no XML parse tree at line 1 of t.def\n"
              "Tried to get an XML value but no XML parse tree at line 1 of t.def\n");
}

TEST_F(FunctionsXml, ValuesByPath) {
    build_tree();
    const std::pair<const char*, const char*> cases[] = {
        {"inv.line[1]", "pen"},
        {"inv.line[2]", "ink"},
        {"inv.line[0]", "ink"},  // 0 is repeat_count (2)
        {"inv.line", "pen"},     // the occurrence counter, 0 before XML_NEXT
        {"inv.[2]", ""},         // any name: the second child is note
        {"inv.Line[1]", "big"},  // names match exactly
        {"inv.line[3]", ""},     // not found
        {"INV.line[1]", ""},
        {".line[2]", "ink"},           // an empty first component is the root
        {"inv.line[-1]", "pen\nink"},  // every match, joined
        {"inv.line[-2]", ""},
        {"inv.line[1", ""},    // a "[" without "]"
        {"inv.line[1]x", ""},  // text after the "]"
        {"inv", ""},
    };
    for (const auto& [path, want] : cases) EXPECT_EQ(call(Tok::XML_VALUE, path), want) << path;
    EXPECT_EQ(run.MEMORY_ERROR, 0);
}

TEST_F(FunctionsXml, ChildrenNamesAttributes) {
    build_tree();
    EXPECT_EQ(call(Tok::XML_NUM_CHILDREN, "inv"), "4");
    EXPECT_EQ(call(Tok::XML_NUM_CHILDREN, "inv", "line"), "2");
    EXPECT_EQ(call(Tok::XML_NUM_CHILDREN, "nothing", "line"), "0");
    EXPECT_EQ(call(Tok::XML_NAME, "", "0"), "inv");
    EXPECT_EQ(call(Tok::XML_NAME, "inv"), "line");
    EXPECT_EQ(call(Tok::XML_NAME, "inv", "2"), "note");
    EXPECT_EQ(call(Tok::XML_NAME, "inv", "5"), "");
    EXPECT_EQ(call(Tok::XML_GET_ATTRIBUTE, "inv", "id"), "7");
    EXPECT_EQ(call(Tok::XML_GET_ATTRIBUTE, "inv", "ID"), "");
    EXPECT_EQ(call(Tok::XML_GET_ATTRIBUTE, "inv.line[9]", "id"), "");
}

TEST_F(FunctionsXml, NextWalksTheChildrenAndWithSetsTheContext) {
    build_tree();
    std::string seen;
    for (int i = 0; i < 6; ++i) {
        seen += *call(Tok::XML_NEXT, "inv");
        seen += *call(Tok::XML_VALUE, "inv.") + ",";
    }
    // The counter runs 1..4, then resets to 0, which reads as the first child again.
    EXPECT_EQ(seen, "1pen,1,1ink,1big,0pen,1pen,");
    EXPECT_EQ(call(Tok::XML_NEXT, "inv.none"), "-1");

    EXPECT_EQ(call(Tok::XML_WITH, "inv"), "1");
    EXPECT_EQ(call(Tok::XML_VALUE, "line[2]"), "ink");
    EXPECT_EQ(call(Tok::XML_VALUE, ""), "");
    // Only XML_VALUE reads below the context.
    EXPECT_EQ(call(Tok::XML_NUM_CHILDREN, "inv"), "4");
    run.xml.delimiter = '/';
    EXPECT_EQ(call(Tok::XML_VALUE, "line[2]"), "ink");
    EXPECT_EQ(call(Tok::XML_WITH, ""), "1");
    EXPECT_EQ(call(Tok::XML_VALUE, "inv/Line"), "big");
}

}  // namespace
}  // namespace morvel
