#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "spool/spool_reader.h"
#include "spool_test_util.h"
#include "values/identifiers.h"

namespace morvel {
namespace {

TEST(SpoolUtf8, CellsHoldOneCharacterEach) {
    test::CapturedRun c;
    c.run.options.utf8_mode = 1;
    ASSERT_TRUE(test::open_test_spool(c, "\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80x\n\xC3\xA9\tB\n"));
    ASSERT_EQ(read_page(c.run, 3, 8), 3);
    EXPECT_EQ(cut_text(c.run, 2, 1, 2), "\xE2\x82\xAC\xF0\x9F\x98\x80");
    EXPECT_EQ(cut_text(c.run, 1, 1, 10), "\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80x");  // no padding
    EXPECT_EQ(cut_text(c.run, 5, 1, 3), "");
    EXPECT_EQ(cut_text(c.run, 1, 2, 9), "\xC3\xA9       B");  // tabs count characters
    EXPECT_EQ(cut_text(c.run, 1, 3, 9), "");
    EXPECT_EQ(test::spool_variable(c.run, "spool_page"),
              "\xC3\x84\xE2\x82\xAC\xF0\x9F\x98\x80x\n\xC3\xA9       B\n");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST(SpoolUtf8, InvalidBytesStandAloneWithTheirWarnings) {
    test::CapturedRun c;
    c.run.options.utf8_mode = 1;
    ASSERT_TRUE(test::open_test_spool(c,
                                      "\x80"
                                      "A\xF8\xFC\xFE\xE2"
                                      "B\xC3\n"));
    ASSERT_EQ(read_page(c.run, 1, 8), 1);
    const std::vector<std::string> cells = {"\x80", "A",    "\xF8", "\xFC",
                                            "\xFE", "\xE2", "B",    "\xC3"};
    for (std::size_t i = 0; i < cells.size(); ++i)
        EXPECT_EQ(cut_text(c.run, static_cast<int>(i) + 1, 1, 1), cells[i]) << i;
    EXPECT_EQ(c.log(),
              "invalid UTF-8 in spool\n"
              "either unsupported 5 byte char or invalid UTF-8 in spool\n"
              "either unsupported 6 byte char or invalid UTF-8 in spool\n"
              "invalid UTF-8 in spool\n");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);  // warnings only
}

TEST(SpoolUtf8, LineLimitCountsCharacters) {
    test::CapturedRun c;
    c.run.options.utf8_mode = 1;
    std::string e1500;
    for (int i = 0; i < 1500; ++i) e1500 += "\xC3\xA9";
    const std::string e1000 = e1500.substr(0, 2000);
    // 1500 characters continue on the next line; a tab past the limit is reported and cut.
    ASSERT_TRUE(test::open_test_spool(c, e1500 + "\n" + e1000 + "\t" + std::string(19, 'y') + "\n" +
                                             e1000 + "\t" + std::string(15, 'y') + "\n"));
    ASSERT_EQ(read_page(c.run, 4, 8), 4);
    const std::string cut = e1000 + "        " + std::string(15, 'y');
    const std::string want[] = {e1500.substr(0, 2046), e1500.substr(2046), cut, cut};
    for (int y = 1; y <= 4; ++y) EXPECT_EQ(cut_text(c.run, 1, y, 1023), want[y - 1]) << y;
    EXPECT_EQ(c.log(), "Spool line is too long. Max length allowed is 1023\n");
}

struct XmlCase {
    const char* name;
    std::string spool;
    int xml;
    long position;  // reading position afterwards: just after a byte-order mark
};

TEST(SpoolDetect, XmlSignaturesAndByteOrderMarks) {
    const std::vector<XmlCase> cases = {
        {"declaration", "<?xml version=\"1.0\"?><a/>", 1, 0},
        {"UTF-8 mark", "\xEF\xBB\xBF<?xml", 1, 3},
        {"UTF-8 mark, text", "\xEF\xBB\xBFinvoice\n", 0, 3},
        {"UTF-16 LE mark", std::string("\xFF\xFE<\0?\0", 6), 1, 2},
        {"UTF-16 BE mark", std::string("\xFE\xFF\0<\0?", 6), 1, 2},
        {"UCS-4 BE mark", std::string("\0\0\xFE\xFF\0\0\0<", 8), 1, 4},
        {"UCS-4 LE mark", std::string("\xFF\xFE\0\0<\0\0\0", 8), 1, 4},
        {"UCS-4 2143 mark", std::string("\0\0\xFF\xFE\0\0<\0", 8), 1, 4},
        {"UCS-4 3412 mark", std::string("\xFE\xFF\0\0\0<\0\0", 8), 1, 4},
        {"UTF-16 LE no mark", std::string("<\0?\0x\0", 6), 1, 0},
        {"UTF-16 BE no mark", std::string("\0<\0?\0x", 6), 1, 0},
        {"UCS-4 2143 no mark", std::string("\0\0<\0", 4), 1, 0},
        {"UCS-4 3412 no mark", std::string("\0<\0\0", 4), 1, 0},
        {"EBCDIC", "\x4C\x6F\xA7\x94", 1, 0},
        {"element without declaration", "<a>", 0, 0},
        {"carriage return first", "\r<?xml", 0, 0},
        {"plain text", "INVOICE\n", 0, 0},
        {"mark alone", "\xFF\xFE", 0, 2},
        {"empty", "", 0, 0},
    };
    for (const XmlCase& k : cases) {
        test::CapturedRun c;
        std::string path = c.dir.write("spool.xml", k.spool);
        EXPECT_EQ(is_xml(c.run, path), k.xml) << k.name;
        EXPECT_EQ(spool_offset(c.run), k.position) << k.name;
        EXPECT_EQ(c.run.MEMORY_ERROR, 0) << k.name;
    }
}

TEST(SpoolDetect, XmlTestFailures) {
    test::CapturedRun c;
    EXPECT_EQ(is_xml(c.run, ""), -1);
    EXPECT_EQ(is_xml(c.run, c.dir.file("missing.prn")), -1);
    EXPECT_EQ(c.log(), "passed NULL spool_name to is_xml\nUnable to open spool file " +
                           c.dir.file("missing.prn") + "\nNo such file or directory\n");
}

TEST(SpoolDetect, MarkIsSkippedAndSwitchesToUtf8) {
    test::CapturedRun c;
    c.run.options.utf8_mode = -1;
    std::string path = c.dir.write("spool.prn", "\xEF\xBB\xBFinvoice\n");
    ASSERT_EQ(is_xml(c.run, path), 0);
    detect_utf8(c.run);
    EXPECT_EQ(c.run.spool.utf8_mode, 1);
    ASSERT_EQ(read_page(c.run, 1, 8), 1);
    EXPECT_EQ(test::page_line(c.run, 1), "invoice");
    EXPECT_EQ(c.run.spool.page.first_offset, 3);
}

TEST(SpoolDetect, Utf8FromTheFirstWindow) {
    struct Case {
        const char* name;
        std::string spool;
        int mode;
    };
    std::string window_cut = "\xC3\xA9" + std::string(kSpoolWindowSize - 3, 'a');
    const std::vector<Case> cases = {
        {"ASCII only", "plain text\n", 0},
        {"two-byte character", "caf\xC3\xA9\n", 1},
        {"four-byte character", "\xF0\x9F\x98\x80\n", 1},
        {"lone continuation byte", "caf\xC3\xA9 \x80\n", 0},
        {"Latin-1", "caf\xE9\n", 0},
        {"byte 0xF8", "\xC3\xA9\xF8\n", 0},
        {"cut at the end of the spool", "caf\xC3", 0},
        {"cut by the window, the spool goes on", window_cut + "\xC3\xA9 more", 1},
        {"invalid beyond the window is not seen", window_cut + "\xC3\xA9\xFF", 1},
    };
    for (const Case& k : cases) {
        test::CapturedRun c;
        ASSERT_TRUE(test::open_test_spool(c, k.spool));
        detect_utf8(c.run);
        EXPECT_EQ(c.run.spool.utf8_mode, k.mode) << k.name;
        EXPECT_EQ(c.run.MEMORY_ERROR, 0) << k.name;
    }
    test::CapturedRun empty;
    ASSERT_TRUE(test::open_test_spool(empty, ""));
    detect_utf8(empty.run);
    EXPECT_EQ(empty.run.spool.utf8_mode, 0);
    EXPECT_EQ(empty.log(), "Unable to read spool file to determine if UTF-8\n");
}

TEST(SpoolDetect, AutoFormsPickTheFirstMatchAndRewind) {
    const std::vector<AutoForm> forms = {
        {"credit.def", 1, 1, "CREDIT"},
        {"invoice.def", 1, 1, "INVOICE"},
        {"other.def", 5, 2, "No.  "},  // blanks must match too
    };
    struct Case {
        const char* name;
        std::string spool;
        std::optional<std::string> want;
    };
    const std::vector<Case> cases = {
        {"letter case ignored", "invoice 4711\nx\n", "invoice.def"},
        {"first entry wins", "Credit\n", "credit.def"},
        {"column and line", "A\nxxxxno.  7\n", "other.def"},
        {"blanks differ", "A\nxxxxno. 7\n", std::nullopt},
        {"line missing", "A\n", std::nullopt},
        {"empty spool", "", std::nullopt},
    };
    for (const Case& k : cases) {
        test::CapturedRun c;
        test::prepare_variables(c);
        set_text_variable(c.run, "spool_page", "before");
        std::string path = c.dir.write("spool.prn", k.spool);
        EXPECT_EQ(recognise_auto_form(c.run, path, forms), k.want) << k.name;
        EXPECT_EQ(c.log(), k.want ? "" : "Unable to recognise spool file\n") << k.name;
        EXPECT_EQ(spool_offset(c.run), 0) << k.name;
        EXPECT_EQ(c.run.spool.page.lines, 0) << k.name;
        EXPECT_EQ(test::spool_variable(c.run, "spool_page"), "before") << k.name;
        if (!k.spool.empty()) {
            ASSERT_GT(read_page(c.run, 66, 8), 0);
            EXPECT_EQ(test::page_lines(c.run)[0], k.spool.substr(0, k.spool.find('\n')));
        }
    }
}

TEST(SpoolDetect, AutoFormFailures) {
    test::CapturedRun c;
    EXPECT_EQ(recognise_auto_form(c.run, "x", {}), std::nullopt);
    EXPECT_EQ(recognise_auto_form(c.run, c.dir.file("none.prn"), {{"a.def", 1, 1, "A"}}),
              std::nullopt);
    std::string path = c.dir.write("spool.prn", "A\n");
    EXPECT_EQ(recognise_auto_form(c.run, path, {{"a.def", 1, kSpoolMaxPageLines + 1, "A"}}),
              std::nullopt);
    EXPECT_EQ(c.log(),
              "No auto_forms defined\nUnable to open spool file " + c.dir.file("none.prn") +
                  "\nNo such file or directory\n"
                  "Auto form line 901 is beyond the 900 lines read to recognise a spool\n");
}

TEST(SpoolDetect, AutoFormFromStandardInputLeavesTheSpoolForTheRun) {
    test::CapturedRun c;
    c.set_input("INVOICE\nline 2\n");
    EXPECT_EQ(recognise_auto_form(c.run, "-", {{"inv.def", 1, 2, "LINE"}}), "inv.def");
    EXPECT_EQ(is_xml(c.run, "-"), 0);
    EXPECT_EQ(test::all_pages(c.run, 66),
              (std::vector<std::vector<std::string>>{{"INVOICE", "line 2"}}));
}

}  // namespace
}  // namespace morvel
