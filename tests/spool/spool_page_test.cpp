#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "spool/spool_reader.h"
#include "spool_test_util.h"
#include "values/value.h"

namespace morvel {
namespace {

using Pages = std::vector<std::vector<std::string>>;

struct PageCase {
    const char* name;
    std::string spool;
    int lines;
    Pages pages;  // leading lines of each page, trailing empty lines dropped
};

TEST(SpoolPage, CutsPagesAtLineCountsFormFeedsAndTheEnd) {
    const std::vector<PageCase> cases = {
        {"form feed ends the page, final form feed adds none",
         "L1\nL2\nL3\n\fM1\nM2\n\f",
         66,
         {{"L1", "L2", "L3"}, {"M1", "M2"}}},
        {"form feed right after text", "L1\nL2\fM1", 66, {{"L1", "L2"}, {"M1"}}},
        {"CR LF reads as LF", "L1\r\nL2\r\n\r\n\fM1\r\n", 66, {{"L1", "L2"}, {"M1"}}},
        {"carriage returns dropped anywhere", "A\rB\r\r\nC\r", 66, {{"AB", "C"}}},
        {"page never longer than asked", "1\n2\n3\n4\n5\n", 2, {{"1", "2"}, {"3", "4"}, {"5"}}},
        {"spool ending mid-line", "A\nB", 1, {{"A"}, {"B"}}},
        {"final line feed adds no page", "A\n\n", 1, {{"A"}}},
        {"form feed at a page's first line is an empty page", "\f\fA", 66, {{}, {}, {"A"}}},
        {"blank lines make a page", "\n\n", 66, {{}}},
        {"form feed as the only byte", "\f", 66, {}},
        {"line feed as the only byte", "\n", 66, {}},
        {"empty spool", "", 66, {}},
        {"substitute character ends the data",
         "A\nB\x1a"
         "C\nD\n",
         66,
         {{"A", "B"}}},
        {"substitute character ends the page", "A\x1a", 1, {{"A"}}},
        {"zero bytes are text", std::string("A\0B\n", 4), 66, {{std::string("A\0B", 3)}}},
        // Pages reuse their rows: nothing of a longer line or a longer page may show.
        {"shorter lines and pages after longer ones",
         "abcdefghijklmnopqrstu\nvwxyz\n\fAB\n\fC\fD\nEFGHIJ\n",
         66,
         {{"abcdefghijklmnopqrstu", "vwxyz"}, {"AB"}, {"C"}, {"D", "EFGHIJ"}}},
        {"bytes just below and above the line controls are text",
         "\x08\x0b\x0e\x19\x1b\x1f\x80\xff\n",
         66,
         {{"\x08\x0b\x0e\x19\x1b\x1f\x80\xff"}}},
    };
    for (const PageCase& k : cases) {
        test::CapturedRun c;
        ASSERT_TRUE(test::open_test_spool(c, k.spool));
        EXPECT_EQ(test::all_pages(c.run, k.lines), k.pages) << k.name;
        EXPECT_EQ(c.run.MEMORY_ERROR, 0) << k.name;
    }
}

TEST(SpoolPage, EveryBufferExistsAfterAnEarlyFormFeed) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "A\fB\n"));
    ASSERT_EQ(read_page(c.run, 66, 8), 66);
    EXPECT_EQ(c.run.spool.page.lines, 66);
    EXPECT_EQ(cut_text(c.run, 1, 66, 3), "   ");
    EXPECT_EQ(cut_text(c.run, 1, 67, 3), std::nullopt);
}

TEST(SpoolPage, TabsExpandToTheTabWidth) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "A\tB\n\tx\tyz\tw\nA\tB\n"));
    ASSERT_EQ(read_page(c.run, 2, 8), 2);
    EXPECT_EQ(test::page_line(c.run, 1), "A       B");
    EXPECT_EQ(test::page_line(c.run, 2), "        x       yz      w");
    EXPECT_EQ(test::spool_variable(c.run, "spool_line"), "        x       yz      w");
    ASSERT_EQ(read_page(c.run, 1, 4), 1);
    EXPECT_EQ(test::page_line(c.run, 1), "A   B");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST(SpoolPage, LongLinesContinueButATabPastTheLimitIsCut) {
    test::CapturedRun c;
    // 1500 characters: 1023 and 477, no message. Exactly 1023 keeps its own line end.
    // 1000 + tab + 19 expands to 1027: reported, and the rest dropped; then exactly 1023.
    const std::string tabbed = std::string(1000, 'x') + "\t";
    std::string spool = std::string(1023, 'a') + std::string(477, 'b') + "\n" +
                        std::string(1023, 'c') + "\nd\n" + tabbed + std::string(19, 'y') + "\n" +
                        tabbed + std::string(15, 'y') + "\n";
    ASSERT_TRUE(test::open_test_spool(c, spool));
    ASSERT_EQ(read_page(c.run, 6, 8), 6);
    const std::string cut = std::string(1000, 'x') + "        " + std::string(15, 'y');
    EXPECT_EQ(test::page_lines(c.run),
              (std::vector<std::string>{std::string(1023, 'a'), std::string(477, 'b'),
                                        std::string(1023, 'c'), "d", cut, cut}));
    EXPECT_EQ(c.log(), "Spool line is too long. Max length allowed is 1023\n");
}

TEST(SpoolPage, HugeOrZeroTabWidthStaysBounded) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "a\tb\na\tb\n"));
    ASSERT_EQ(read_page(c.run, 1, 2000000000), 1);
    EXPECT_EQ(test::page_line(c.run, 1), "a");
    EXPECT_EQ(c.log(), "Spool line is too long. Max length allowed is 1023\n");
    ASSERT_EQ(read_page(c.run, 1, 0), 1);  // a width below one counts as one
    EXPECT_EQ(test::page_line(c.run, 1), "a b");
}

TEST(SpoolPage, CutTextKeepsToThePage) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "   Total 12.50\n"));
    ASSERT_EQ(read_page(c.run, 3, 8), 3);
    struct Cut {
        int x, y, len;
        Text want;
    };
    const std::vector<Cut> cuts = {
        {10, 1, 5, "12.50"},
        {10, 1, 8, "12.50   "},
        {1, 3, 2, "  "},
        {0, 1, 5, std::nullopt},
        {1, 0, 5, std::nullopt},
        {1, 4, 5, std::nullopt},
        {1024, 1, 1, std::nullopt},
        {1023, 1, 5, " "},
        {1, 1, 0, ""},
        {1, 1, -4, ""},
        {1000, 1, 2147483647, std::string(24, ' ')},
    };
    for (const Cut& k : cuts)
        EXPECT_EQ(cut_text(c.run, k.x, k.y, k.len), k.want) << k.x << "," << k.y;
}

// Lines are scanned several bytes at a time: a line end at every offset of a block.
TEST(SpoolPage, LineEndsAtEveryOffsetOfABlock) {
    for (unsigned char end : {'\n', '\f', '\r', '\x1a'}) {
        std::string spool;
        std::vector<std::string> lines;
        for (int n = 0; n < 20; ++n) {
            lines.push_back(
                std::string(static_cast<std::size_t>(n + 1), static_cast<char>('a' + n)));
            spool += lines.back() + static_cast<char>(end);
        }
        test::CapturedRun c;
        ASSERT_TRUE(test::open_test_spool(c, spool));
        ASSERT_GT(read_page(c.run, 66, 8), 0);
        std::vector<std::string> got = test::page_lines(c.run);
        if (end == '\r') {  // dropped: one line of everything
            std::string all;
            for (const std::string& l : lines) all += l;
            EXPECT_EQ(got.front(), all);
        } else if (end == '\x1a') {  // ends the data after the first line
            EXPECT_EQ(got.front(), "a");
            EXPECT_EQ(read_page(c.run, 66, 8), 0);
        } else {
            std::size_t n = end == '\f' ? 1 : lines.size();
            EXPECT_EQ(std::vector<std::string>(got.begin(), got.begin() + static_cast<long>(n)),
                      std::vector<std::string>(lines.begin(), lines.begin() + static_cast<long>(n)))
                << static_cast<int>(end);
        }
    }
}

TEST(SpoolPage, TrimmedCutsEqualCutsWithoutTrailingBlanks) {
    for (bool utf8 : {false, true}) {
        test::CapturedRun c;
        c.run.spool.utf8_mode = utf8 ? 1 : 0;
        ASSERT_TRUE(test::open_test_spool(c, "   Total 12.50  \t x\nlonger line here\n\fab\n"));
        c.run.spool.utf8_mode = utf8 ? 1 : 0;
        for (int page = 0; page < 2; ++page) {
            ASSERT_GT(read_page(c.run, 3, 8), 0);
            for (int y = 0; y <= 4; ++y)
                for (int x : {0, 1, 4, 9, 15, 17, 40, 1023, 1024})
                    for (int len : {-1, 0, 1, 5, 12, 30, 2000}) {
                        Text want = cut_text(c.run, x, y, len);
                        if (want) trim_trailing(*want);
                        EXPECT_EQ(cut_trimmed_text(c.run, x, y, len), want)
                            << utf8 << " " << page << " " << x << "," << y << "," << len;
                    }
        }
    }
}

TEST(SpoolPage, SpoolPageAndSpoolLineFollowTheReads) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "AB\nC\n"));
    ASSERT_EQ(read_page(c.run, 2, 8), 2);
    EXPECT_EQ(test::spool_variable(c.run, "spool_page"),
              "AB" + std::string(1021, ' ') + "\nC" + std::string(1022, ' '));
    EXPECT_EQ(test::spool_variable(c.run, "spool_line"), "C");
}

TEST(SpoolPage, PageSizeHasBounds) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "A\n"));
    EXPECT_EQ(read_page(c.run, kSpoolMaxPageLines + 1, 8), -1);
    EXPECT_EQ(read_page(c.run, 0, 8), -1);
    EXPECT_EQ(c.log(),
              "Spool page of 901 lines asked for, a page holds 1 to 900 lines\n"
              "Spool page of 0 lines asked for, a page holds 1 to 900 lines\n");
    EXPECT_EQ(read_page(c.run, kSpoolMaxPageLines, 8), kSpoolMaxPageLines);
    EXPECT_EQ(cut_text(c.run, 1, 900, 1), " ");
}

TEST(SpoolPage, ReadingBeforeOpeningIsRefused) {
    test::CapturedRun c;
    EXPECT_EQ(read_page(c.run, 66, 8), -1);
    EXPECT_EQ(read_byte_page(c.run, 10), -1);
    EXPECT_EQ(at_end_of_spool(c.run), 1);
    char buf[4];
    EXPECT_EQ(read_raw(c.run, buf, 4), -1);
    EXPECT_EQ(c.log(),
              "Trying to get information from the spool file before its opened\n"
              "Trying to get information from the spool file before its opened\n"
              "Trying to get information from the spool file before its opened\n"
              "Trying to get information from the spool file before its opened\n");
}

TEST(SpoolPage, BytePagesCopyRawBytes) {
    test::CapturedRun c;
    std::string spool;
    for (int i = 0; i < 250; ++i) spool += static_cast<char>(i % 7 == 0 ? '\n' : 'a' + i % 26);
    ASSERT_TRUE(test::open_test_spool(c, spool));
    ASSERT_EQ(read_byte_page(c.run, 100), 0);
    EXPECT_EQ(cut_text(c.run, 1, 1, 100), spool.substr(0, 100));
    EXPECT_EQ(cut_text(c.run, 1, 2, 1), std::nullopt);
    EXPECT_EQ(c.run.spool.page.first_offset, 0);
    EXPECT_EQ(c.run.spool.page.last_offset, 99);
    ASSERT_EQ(read_byte_page(c.run, 100), 0);
    EXPECT_EQ(cut_text(c.run, 51, 1, 200), spool.substr(150, 50));  // stops at the buffer's end
    EXPECT_EQ(c.run.spool.page.first_offset, 100);
    EXPECT_EQ(c.run.spool.page.last_offset, 199);
    EXPECT_EQ(read_byte_page(c.run, 100), -1);  // 50 bytes left: not used
    EXPECT_EQ(c.run.spool.page.lines, 0);
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(read_byte_page(c.run, 0), -1);
    EXPECT_EQ(c.log(), "Invalid number of bytes for spool page 0\n");
}

TEST(SpoolPage, OffsetsOfEachPageForThePageIndex) {
    test::CapturedRun c;
    // A0 B1 CR2 LF3 C4 D5 LF6 FF7 | E8 F9 LF10 G11: the ending form feed belongs to its page.
    ASSERT_TRUE(test::open_test_spool(c, "AB\r\nCD\n\fEF\nG"));
    struct Want {
        long first, last;
    };
    const std::vector<Want> want = {{0, 7}, {8, 11}};
    for (const Want& w : want) {
        ASSERT_GT(read_page(c.run, 66, 8), 0);
        EXPECT_EQ(c.run.spool.page.first_offset, w.first);
        EXPECT_EQ(c.run.spool.page.last_offset, w.last);
        EXPECT_EQ(spool_offset(c.run), w.last + 1);
    }
    EXPECT_EQ(read_page(c.run, 66, 8), 0);
}

}  // namespace
}  // namespace morvel
