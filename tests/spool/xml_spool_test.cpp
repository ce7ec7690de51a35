// XML spools read as a stream: documents run their extract programs as they close and
// are released afterwards.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "extract_job.h"

namespace morvel {
namespace {

using test::ExtractJob;
using test::output_logging;

// One extract program `doc`; the output program logs `shown` after every document.
std::string definition(const std::string& entries, const std::string& shown,
                       const std::string& fields = "") {
    return "[INPUT] { XML_DOCUMENTS { " + entries + " } DEBUG \"end\" }\n" + "[EXTRACT] doc = { " +
           fields + " }\n" + output_logging(shown);
}

std::string run_xml(ExtractJob& j, const std::string& spool, int expect = 0, bool detected = true) {
    j.run().options.xml_spool = detected;
    EXPECT_EQ(j.run_input(spool), expect);
    return j.messages();
}

const std::string kInvoices =
    "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<invoices>\n"
    " <head>H</head>\n"
    " <invoice id=\"A1\" cur=\"&#8364;\">\n"
    "  <number>1001</number><customer>Smith &amp; M\xC3\xBCller &lt;GmbH&gt;</customer>\n"
    "  <lines><line>pen</line><line>ink</line></lines>\n"
    " </invoice>\n"
    " <INVOICE id=\"B2\"><number>1002</number><lines><line>pad</line></lines></INVOICE>\n"
    "</invoices>\n";

TEST(XmlSpool, DocumentsRunAsTheyCloseAndAreReleased) {
    ExtractJob j(definition(
        "OF \"invoices.invoice\" : doc",
        "num + \"|\" + cust + \"|\" + XML_GET_ATTRIBUTE(\".[2]\", \"id\") + \"|\" + "
        "XML_GET_ATTRIBUTE(\".[2]\", \"cur\") + \"|\" + XML_VALUE(\".[2].lines.line[-1]\") + "
        "\"|\" + XML_VALUE(\"invoices.invoice.number\") + \"|\" + "
        "XML_NUM_CHILDREN(\"invoices\") + XML_NAME(\"\", 0)",
        "XML_FIELD = \".[2].number\", num XML_FIELD = \".[2].customer\", cust"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    // Entry paths ignore letter case, queries do not. A finished invoice is gone when
    // the next one closes, so each sees two children of the root: head and itself.
    EXPECT_EQ(run_xml(j, kInvoices),
              "out 1001|Smith & M\xC3\xBCller <GmbH>|A1|\xE2\x82\xAC|pen\nink|1001|2invoices\n"
              "out 1002||B2||pad||2invoices\nend\n");
    EXPECT_FALSE(j.run().xml.root);
}

TEST(XmlSpool, EmptyPathRunsAtTheRootAndEntriesWithoutProgramDropElements) {
    ExtractJob j(definition("OF \"r.skip\" OF \"\" : doc OF \"r.keep\" : doc",
                            "XML_NUM_CHILDREN(\"r\") + \"/\" + XML_VALUE(\"r.keep\")"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    EXPECT_EQ(run_xml(j, "<r><skip/><keep>1</keep><skip/><keep>2</keep></r>"),
              "out 1/1\nout 1/2\nout 0/\nend\n");
}

TEST(XmlSpool, DocumentsOfDifferentShapesStartFromEmptyNodes) {
    // Released nodes are used again for later elements: none may bring along a name,
    // text, attribute or child of the element it held before.
    ExtractJob j(
        definition("OF \"r.d\" : doc",
                   "XML_GET_ATTRIBUTE(\"r.d\", \"id\") + \"|\" + XML_NUM_CHILDREN(\"r.d\") + "
                   "\"|\" + LENGTH(XML_VALUE(\"r.d\")) + \"|\" + XML_NAME(\"r.d\", 1) + \"|\" + "
                   "XML_VALUE(\"r.d.a[2]\")"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    std::string spool =
        "<r><d id=\"1\"><a>x</a><a>y</a><b>z</b></d><d><c>w</c></d>"
        "<d k=\"2\">t<a>q</a></d><d>" +
        std::string(5000, 'x') + "</d><d/></r>";
    EXPECT_EQ(run_xml(j, spool),
              "out 1|3|0|a|y\nout |1|0|c|\nout |1|1|a|\nout |0|5000||\nout |0|0||\nend\n");
}

TEST(XmlSpool, BlanksBetweenProcessedDocumentsAreNotKept) {
    // Indentation before each document is seen while it runs, then dropped, so a spool of
    // many documents does not pile it up; real text of the parent stays.
    const std::pair<const char*, const char*> cases[] = {
        {"<r>\n <d>1</d>\n <d>2</d>\n <d>3</d>\n</r>", "out 2\nout 2\nout 2\nend\n"},
        {"<r>T<d>1</d> <d>2</d></r>", "out 1\nout 2\nend\n"},
    };
    for (const auto& [spool, logged] : cases) {
        ExtractJob j(definition("OF \"r.d\" : doc", "LENGTH(XML_VALUE(\"r\"))"));
        ASSERT_TRUE(j.compiled()) << j.messages();
        EXPECT_EQ(run_xml(j, spool), logged) << spool;
    }
}

TEST(XmlSpool, TextIsJoinedAcrossBlocksAndAFullLastBlockIsFinal) {
    ExtractJob j(definition("OF \"r.d\" : doc", "LENGTH(XML_VALUE(\"r.d\"))"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    std::string spool = "<r><d>" + std::string(700, 'x') + "&amp;</d></r>";
    spool += std::string(1024 - spool.size(), '\n');
    // Also when the start-up test did not take the spool for XML: the documents' extract
    // calls must not cut pages from under the parser.
    EXPECT_EQ(run_xml(j, spool, 0, false), "out 701\nend\n");
    EXPECT_FALSE(j.run().options.xml_spool);
}

TEST(XmlSpool, MalformedSpoolStopsWithExpatsMessage) {
    ExtractJob j(definition("OF \"r.d\" : doc", "XML_VALUE(\"r.d\")"));
    ASSERT_TRUE(j.compiled()) << j.messages();
    // The document before the fault keeps its effect; the input program then fails.
    EXPECT_EQ(run_xml(j, "<r>\n<d>1</d>\n<d>2</x>\n</r>\n", -1),
              "out 1\nXML error mismatched tag at line 3\n\n");
    EXPECT_EQ(j.run().MEMORY_ERROR, 1);
    EXPECT_FALSE(j.run().xml.root);

    ExtractJob empty(definition("OF \"r\" : doc", "\"x\""));
    ASSERT_TRUE(empty.compiled());
    EXPECT_EQ(run_xml(empty, "", -1), "XML error no element found at line 1\n\n");
}

TEST(XmlSpool, DeepNestingIsReleasedWithoutRecursion) {
    ExtractJob j(definition("OF \"r\" : doc", "XML_NAME(\"r\")"));
    ASSERT_TRUE(j.compiled());
    std::string spool = "<r>";
    for (int i = 0; i < 200000; ++i) spool += "<a>";
    for (int i = 0; i < 200000; ++i) spool += "</a>";
    EXPECT_EQ(run_xml(j, spool + "</r>"), "out a\nend\n");
}

}  // namespace
}  // namespace morvel
