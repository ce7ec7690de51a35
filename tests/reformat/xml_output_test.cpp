// XML output of xml reformat programs: the whole file of a one-page job, compared byte
// for byte and, where it should be well-formed, checked by xmllint.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "output/output_file.h"
#include "spool/extract_job.h"

namespace morvel {
namespace {

struct XmlJob {
    std::string file;      ///< the output file, root end tag included
    std::string messages;  ///< the log of the run
    int error = 0;         ///< MEMORY_ERROR afterwards
};

// One page of the spool "A" through reformat program `xo` of type xml.
XmlJob run_xml_job(const std::string& statements, const std::string& output_settings = "") {
    test::ExtractJob j(
        "[INPUT] { ext }\n[EXTRACT] ext = { FIELD = 1, 1, 5, fa }\n"
        "[OUTPUT] OUTPUT = out INVOCATION = \"true\" PARAMETERS = OUTPUT_FILE " +
        output_settings + " MASK = { xo }\n[REFORMAT] REFORMAT = xo, xml { " + statements + " }\n");
    EXPECT_TRUE(j.compiled()) << j.messages();
    j.run().options.temp_dir = j.dir().path().string();
    j.run().options.has_temp_dir = true;
    j.run_input("A\n");
    OutputProgram& out = *j.run().tree.outputs.at(0);
    close_output_file(j.run(), out);
    return {test::read_file(output_file_name(j.run(), out)), j.messages(), j.run().MEMORY_ERROR};
}

// xmllint's verdict on bytes: 0 well-formed, 1 not, -1 no xmllint.
int xmllint(const std::string& bytes) {
    if (std::system("xmllint --version >/dev/null 2>&1") != 0) return -1;
    test::TempDir dir;
    std::string path = dir.write("out.xml", bytes);
    return std::system(("xmllint --noout " + path + " 2>/dev/null").c_str()) == 0 ? 0 : 1;
}

const std::string kHead = "<?xml version=\"1.0\"?>\r\n<DOCUMENT>\r\n";

TEST(XmlOutput, ElementsIndentEscapeAndConvertLineEnds) {
    XmlJob job = run_xml_job(
        "XML_BLOCK \"inv\" XML_HAS_ATTRIBUTE \"id\", fa, \"q\", \"a\\\"&'<>\\nb\" {"
        " XML_TAG \"v \", \"a<b\" XML_COMMENT \"x - y\""
        " XML_BLOCK \"in\" { XML_TAG \"w\", \"p\\r\\nq\\n\" } }"
        " PRINT \"<raw/>\" PRINT_LINE \"\"");
    EXPECT_EQ(job.file, kHead +
                            "<inv id=\"A\" q=\"a&quot;&amp;&apos;&lt;&gt;\r\nb\">\r\n"
                            "\t<v>a&lt;b</v>\r\n<!--x - y-->\r\n\t<in>\r\n"
                            "\t\t<w>p\r\nq\r\n</w>\r\n\t</in>\r\n</inv>\r\n<raw/>\r\n</DOCUMENT>");
    EXPECT_EQ(job.messages, "");
    int lint = xmllint(job.file);
    if (lint < 0) GTEST_SKIP() << "no xmllint";
    EXPECT_EQ(lint, 0);
}

TEST(XmlOutput, DeclarationAndRootFollowTheOutputSettings) {
    XmlJob job = run_xml_job("SETTINGS = { CRLF = 0 } XML_TAG \"m\", \"p\\nq\"",
                             "SETTINGS = { XML_ROOT = \"list\" XML_VERSION = \"1.1\" "
                             "XML_ENCODING = \"UTF-8\" }");
    EXPECT_EQ(job.file, "<?xml version=\"1.1\" encoding=\"UTF-8\"?>\n<list>\n<m>p\nq</m>\n</list>");
    EXPECT_NE(xmllint(job.file), 1);
}

TEST(XmlOutput, InvalidNamesWarnOnceOrFailByLevel) {
    const char* tags = "XML_TAG \"1a\", \"x\" XML_TAG \"b c\", \"y\" XML_TAG \"ok\", \"z\"";
    const std::string all = "<1a>x</1a>\r\n<b c>y</b c>\r\n<ok>z</ok>\r\n";
    const std::string bad_1a = "1a is not a valid xml name at line 4 of test.def\n";
    const std::string bad_bc = "b c is not a valid xml name at line 4 of test.def\n";
    const struct {
        int level;
        std::string body, messages;
        int error;
    } cases[] = {
        {0, all, "", 0},
        {1, all, bad_bc, 0},
        {2, all, bad_1a, 0},  // warned once, later invalid names pass silently
        {258, "<ok>z</ok>\r\n", bad_1a + bad_bc, 1},
    };
    for (const auto& c : cases) {
        XmlJob job = run_xml_job(tags, "SETTINGS = { XML_WARN = " + std::to_string(c.level) + " }");
        EXPECT_EQ(job.file, kHead + c.body + "</DOCUMENT>") << c.level;
        EXPECT_EQ(job.messages, c.messages) << c.level;
        EXPECT_EQ(job.error, c.error) << c.level;
    }
}

TEST(XmlOutput, RefusedCommentsAndFailedAttributesWriteNothing) {
    XmlJob job = run_xml_job(
        "XML_COMMENT \"a--b\" XML_COMMENT \"ab-\" XML_COMMENT \"\""
        " XML_TAG \"t\", \"x\" XML_HAS_ATTRIBUTE \"a\", XML_VALUE(\"r\")"
        " XML_BLOCK \"b\" XML_HAS_ATTRIBUTE \"a\", XML_VALUE(\"r\") { XML_TAG \"in\", \"1\" }");
    EXPECT_EQ(job.file, kHead + "<!---->\r\n</DOCUMENT>");
    for (const char* m :
         {"Can't have -- in xml comments", "Last character in xml comment cannot be a hyphen",
          "Couldnt evaluate attribute a in XML_TAG"})
        EXPECT_NE(job.messages.find(m), std::string::npos) << m;
    EXPECT_EQ(job.error, 1);
}

}  // namespace
}  // namespace morvel
