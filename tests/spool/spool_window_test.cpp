#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "spool/spool_reader.h"
#include "spool_test_util.h"

namespace morvel {
namespace {

// Bytes with no line end, different at every offset within a line, so any lost or
// doubled byte across a slide shows.
std::string no_line_feed_spool(std::size_t size) {
    std::string s(size, ' ');
    for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>('!' + (i * 7 + i / 1023) % 90);
    return s;
}

TEST(SpoolWindow, LongSpoolWithoutLineFeedsSlidesInFixedMemory) {
    test::CapturedRun c;
    const std::string spool = no_line_feed_spool(3 * 1024 * 1024 + 517);
    ASSERT_TRUE(test::open_test_spool(c, spool));
    std::size_t at = 0;
    int pages = 0;
    while (read_page(c.run, 66, 8) > 0) {
        const SpoolPage& p = c.run.spool.page;
        ASSERT_EQ(p.first_offset, static_cast<long>(at));
        for (int y = 1; y <= 66 && at < spool.size(); ++y) {
            std::size_t n = std::min<std::size_t>(1023, spool.size() - at);
            ASSERT_EQ(test::page_line(c.run, y), spool.substr(at, n))
                << "page " << pages << " line " << y;
            at += n;
        }
        ASSERT_EQ(p.last_offset, static_cast<long>(at) - 1);
        EXPECT_EQ(c.run.spool.window.data.size(), kSpoolWindowSize);
        EXPECT_LE(c.run.spool.window.count, kSpoolWindowSize);
        ++pages;
    }
    EXPECT_EQ(at, spool.size());
    EXPECT_EQ(pages, static_cast<int>((spool.size() + 66 * 1023 - 1) / (66 * 1023)));
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST(SpoolWindow, LookAheadAndEndTestLeaveThePositionAcrossSlides) {
    test::CapturedRun c;
    auto text = [](int i) { return "line " + std::to_string(i) + " " + std::string(40, '.'); };
    std::string spool;
    for (int i = 0; i < 40000; ++i) spool += text(i) + "\n";  // about 2 MB
    ASSERT_TRUE(test::open_test_spool(c, spool));
    for (int page = 0; page * 50 < 40000; ++page) {
        ASSERT_EQ(read_page(c.run, 50, 8), 50);
        ASSERT_EQ(test::page_line(c.run, 1), text(page * 50));
        bool last = (page + 1) * 50 >= 40000;
        ASSERT_EQ(at_end_of_spool(c.run), last ? 1 : 0);
        if (page % 9 != 0 && !last) continue;
        Text ahead = look_ahead_line(c.run, "f", false, 1, 299, 20, false);
        int want = (page + 1) * 50 + 298;
        ASSERT_EQ(ahead, want < 40000 ? text(want).substr(0, 20) : "");
    }
    EXPECT_EQ(read_page(c.run, 50, 8), 0);
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST(SpoolWindow, EndTestReadsTheNextLineIntoSpoolLine) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "A\nB\n\n"));
    ASSERT_EQ(read_page(c.run, 1, 8), 1);
    EXPECT_EQ(at_end_of_spool(c.run), 0);
    EXPECT_EQ(test::spool_variable(c.run, "spool_line"), "B");
    ASSERT_EQ(read_page(c.run, 1, 8), 1);
    EXPECT_EQ(test::page_line(c.run, 1), "B");
    EXPECT_EQ(at_end_of_spool(c.run), 1);  // only an empty line remains
    EXPECT_EQ(read_page(c.run, 1, 8), 0);
}

TEST(SpoolWindow, LookAheadCutsTheLineAfterThePage) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "P1\nP2\nQ1 a\tc  \nQ2\n\fR1\n"));
    ASSERT_EQ(read_page(c.run, 2, 8), 2);
    struct Ahead {
        int x, y, len;
        bool expanded;
        Text want;
    };
    const std::vector<Ahead> cases = {
        {1, 1, 2, false, "Q1"},       {4, 1, 20, false, "a    c"},
        {4, 1, 20, true, "a    c  "}, {20, 1, 5, false, ""},
        {1, 2, 5, false, "Q2"},       {1, 3, 5, false, ""},  // line 3 lies past the form feed
        {1, 9, 5, false, ""},
    };
    for (const Ahead& k : cases)
        EXPECT_EQ(look_ahead_line(c.run, "f", false, k.x, k.y, k.len, k.expanded), k.want) << k.y;
    EXPECT_EQ(test::spool_variable(c.run, "spool_line"), "P2");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    ASSERT_EQ(read_page(c.run, 2, 8), 2);
    EXPECT_EQ(test::page_line(c.run, 1), "Q1 a    c");
}

TEST(SpoolWindow, LookAheadRefusesBadValues) {
    test::CapturedRun c;
    ASSERT_TRUE(test::open_test_spool(c, "A\n"));
    EXPECT_EQ(look_ahead_line(c.run, "f", false, 0, 1, 1, false), std::nullopt);
    EXPECT_EQ(look_ahead_line(c.run, "f", false, 1024, 1, 1, false), std::nullopt);
    EXPECT_EQ(look_ahead_line(c.run, "f", false, 1, 300, 1, false), std::nullopt);
    EXPECT_EQ(look_ahead_line(c.run, "f", false, 1, 1, 0, false), std::nullopt);
    EXPECT_EQ(look_ahead_line(c.run, "total", true, 0, 0, 0, false), std::nullopt);
    EXPECT_EQ(look_ahead_line(c.run, "f", false, 1023, 299, 1, false), "");
    EXPECT_EQ(c.log(),
              "look ahead has illegal value in field 0,1,1\n"
              "look ahead has illegal value in field 1024,1,1\n"
              "look ahead has illegal value in field 1,300,1\n"
              "look ahead has illegal value in field 1,1,0\n"
              "Cannot use look_ahead on total as its a COLON_FIELD\n");
}

TEST(SpoolWindow, LookAheadBeyondTheWindowsReachGivesAnEmptyLine) {
    test::CapturedRun c;
    c.run.options.utf8_mode = 1;
    // 299 lines of 1023 four-byte characters are more than one window can hold.
    std::string line;
    for (int i = 0; i < 1023; ++i) line += "\xF0\x9F\x98\x80";
    std::string spool = "first\n";
    for (int i = 0; i < 300; ++i) spool += line + "\n";
    ASSERT_TRUE(test::open_test_spool(c, spool));
    ASSERT_EQ(read_page(c.run, 1, 8), 1);
    EXPECT_EQ(look_ahead_line(c.run, "f", false, 1, 200, 1, false), "\xF0\x9F\x98\x80");
    EXPECT_EQ(look_ahead_line(c.run, "f", false, 1, 299, 1, false), "");
    EXPECT_EQ(at_end_of_spool(c.run), 0);
    for (int i = 0; i < 300; ++i) ASSERT_EQ(read_page(c.run, 1, 8), 1) << i;
    EXPECT_EQ(cut_text(c.run, 1023, 1, 1), "\xF0\x9F\x98\x80");
    EXPECT_EQ(read_page(c.run, 1, 8), 0);
}

TEST(SpoolWindow, StandardInputIsASpool) {
    test::CapturedRun c;
    c.set_input("A\nB\n");
    ASSERT_TRUE(open_spool(c.run, "-"));
    EXPECT_EQ(test::all_pages(c.run, 1), (std::vector<std::vector<std::string>>{{"A"}, {"B"}}));
}

TEST(SpoolWindow, RawReadsReturnEveryByteOnce) {
    test::CapturedRun c;
    const std::string spool = no_line_feed_spool(2 * 1024 * 1024 + 100);
    ASSERT_TRUE(test::open_test_spool(c, spool));
    char buf[512];
    EXPECT_EQ(read_raw(c.run, nullptr, 5), -1);
    EXPECT_EQ(read_raw(c.run, buf, 0), -1);
    std::string got;
    long n;
    while ((n = read_raw(c.run, buf, sizeof buf)) > 0) got.append(buf, static_cast<std::size_t>(n));
    EXPECT_EQ(n, 0);
    EXPECT_EQ(got, spool);
}

TEST(SpoolWindow, BinaryGarbageReadsToTheFirstSubstitute) {
    std::mt19937 rng(42);
    std::string spool(60000, '\0');
    for (char& b : spool) {
        b = static_cast<char>(rng() % 256);
        if (b == '\x1a') b = '\x1b';
    }
    const long first_sub = 50000;
    spool[first_sub] = '\x1a';
    for (int utf8 : {0, 1}) {
        test::CapturedRun c;
        c.run.options.utf8_mode = utf8;
        c.run.options.silent = true;
        ASSERT_TRUE(test::open_test_spool(c, spool));
        long last = -1;
        while (read_page(c.run, 66, 8) > 0) {
            EXPECT_EQ(c.run.spool.page.first_offset, last + 1);
            last = c.run.spool.page.last_offset;
            for (int y = 1; y <= 66; ++y) ASSERT_TRUE(cut_text(c.run, 1, y, 1023));
        }
        EXPECT_EQ(last, first_sub);
        EXPECT_EQ(at_end_of_spool(c.run), 1);
        EXPECT_EQ(read_byte_page(c.run, 1), -1);
    }
}

}  // namespace
}  // namespace morvel
