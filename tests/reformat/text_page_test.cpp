// Text-kind pages: the bytes written for pad, trim, CR LF, form feeds, alignment,
// clipping, REPEAT and total-page placeholders.
#include <gtest/gtest.h>

#include <string>

#include "reformat/output_page.h"
#include "reformat/reformat_fixture.h"

namespace morvel {
namespace {

using test::field;
using test::list;
using test::ref;
using test::ReformatFixture;
using test::repeat;
using test::text_program;
using test::text_st;

TEST(TextPage, APageUsedAgainStartsBlank) {
    // Pages of one size are reused across runs: what a run wrote must not show on the
    // next, also when its run ended without an eject, and in another shape.
    OutputPage page;
    ASSERT_TRUE(page.allocate(4, 3, false));
    page.put_bytes(2, 0, "abcd");
    EXPECT_EQ(page.used_rows(), 3);
    page.release();
    ASSERT_TRUE(page.allocate(6, 2, false));
    EXPECT_EQ(page.used_rows(), 0);
    EXPECT_EQ(std::string(page.cell(0, 0), 12), std::string(12, ' '));
    page.put_bytes(1, 5, "z");
    page.clear();
    EXPECT_EQ(std::string(page.cell(0, 0), 12), std::string(12, ' '));
}

TEST(TextPage, LayoutSettingsGiveTheseBytes) {
    struct Case {
        const char* name;
        int pad, trim, crlf;
        const char* expected;
    } cases[] = {
        {"pad", 1, 0, 0, "          \n  Hi      \n          \n"},
        {"no pad ends at the last character", 0, 0, 0, "          \n  Hi"},
        {"trim", 0, 1, 0, "\n  Hi\n"},
        {"trim with CR LF ends every line", 0, 1, 1, "\r\n  Hi\r\n"},
        {"pad with trim", 1, 1, 0, "\n  Hi\n\n"},
        {"pad with CR LF", 1, 0, 1, "          \r\n  Hi      \r\n          \r\n"},
    };
    for (const Case& c : cases) {
        ReformatFixture b;
        auto p = text_program(10, 3);
        p->pad = c.pad;
        p->trim_lines = c.trim;
        p->crlf = c.crlf;
        p->statements = list(text_st(Tok::MESSAGE, 2, 1, "Hi"));
        EXPECT_EQ(b.run_program(*p), 0) << c.name;
        EXPECT_EQ(b.contents(), c.expected) << c.name;
        EXPECT_EQ(b.output.page_counter, c.pad ? 2 : 1) << c.name;
        EXPECT_EQ(b.output.output_kind, 1) << c.name;
    }
}

TEST(TextPage, BlankPageIsWrittenOnlyWithPad) {
    ReformatFixture padded;
    auto p = text_program(3, 2);
    padded.run_program(*p);
    EXPECT_EQ(padded.contents(), "   \n   \n");
    ReformatFixture bare;
    p->pad = 0;
    bare.run_program(*p);
    EXPECT_EQ(bare.contents(), "");
    EXPECT_FALSE(bare.output.last_page_full);
}

TEST(TextPage, ExplicitEjectWritesTheWholePage) {
    ReformatFixture b;
    auto p = text_program(3, 2);
    p->pad = 0;
    p->statements =
        list(text_st(Tok::MESSAGE, 0, 0, "x"), test::eject(), text_st(Tok::MESSAGE, 0, 0, "y"));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "x  \n   y");
    EXPECT_EQ(b.output.page_counter, 2);  // only the explicit eject counts without pad
}

TEST(TextPage, FormFeedSeparatesPagesThatWereNotFullUnlessForced) {
    struct Case {
        int width, height, x;
        const char* text;
        int force;
        bool full;
        const char* expected;
    } cases[] = {
        {10, 3, 2, "Hi", 0, false, "\n  Hi\n\f\n  Hi\n"},
        {2, 2, 0, "ab", 0, true, "\nab\n\nab\n"},
        {2, 2, 0, "ab", 1, true, "\nab\n\f\nab\n"},
    };
    for (const Case& c : cases) {
        ReformatFixture b;
        auto p = text_program(c.width, c.height);
        p->pad = 0;
        p->trim_lines = 1;
        p->form_feed = 1;
        p->force_form_feed = c.force;
        p->statements = list(text_st(Tok::MESSAGE, c.x, 1, c.text));
        b.run_program(*p);
        EXPECT_EQ(b.output.last_page_full, c.full) << c.text << c.force;
        b.run_program(*p);
        EXPECT_EQ(b.contents(), c.expected) << c.text << c.force;
        EXPECT_EQ(b.output.page_counter, 3) << c.text << c.force;
    }
}

TEST(TextPage, AlignmentAndClipping) {
    struct Case {
        int x, y;
        const char* text;
        Alignment align;
        std::string expected;
        const char* log;
    } cases[] = {
        {10, 0, "abc", Alignment::Right, "       abc\n", ""},
        {10, 0, "abc", Alignment::Centre, "        abc\n", ""},
        {17, 0, "0123456789", Alignment::Left, std::string(17, ' ') + "012\n", ""},
        {20, 0, "abc", Alignment::Left, "", "Tried to output a field beyond page boundaries\n"},
        {0, 1, "abc", Alignment::Left, "", "Tried to output a field beyond page boundaries\n"},
        {1, 0, "abc", Alignment::Right, "abc\n",
         "Tried to output to a -ve coordinate, clipped to 0\n"},
    };
    for (const Case& c : cases) {
        ReformatFixture b;
        auto p = text_program(20, 1);
        p->pad = 0;
        p->trim_lines = 1;
        test::TextOptions o;
        o.line_step = "1";
        o.font_override = test::aligned(c.align);
        p->statements = list(text_st(Tok::MESSAGE, c.x, c.y, c.text, o));
        b.run_program(*p);
        EXPECT_EQ(b.contents(), c.expected) << c.x << c.text;
        EXPECT_EQ(b.c.log(), c.log) << c.x << c.text;
    }
}

TEST(TextPage, MultiLineMessageFillsConsecutiveLinesAndAdvances) {
    ReformatFixture b;
    auto p = text_program(4, 8);
    p->pad = 0;
    p->trim_lines = 1;
    // Each pass moves down by what it placed: three lines of MESSAGE, one of FIELD.
    p->statements = list(
        repeat("2", list(text_st(Tok::MESSAGE, 0, 1, "a\nb\nc"), field(3, 1, test::lit("z")))));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "\na  z\nb\nc\n\na  z\nb\nc\n");
}

TEST(TextPage, ShiftsMappingAndWideCells) {
    ReformatFixture b;
    auto p = text_program(6, 2);
    p->pad = 0;
    p->trim_lines = 1;
    p->x_shift = 1;
    p->map_upper = 1;
    p->character_map['L'] = 'l';
    auto shifted = std::make_unique<Statement>();
    shifted->kind = Tok::X_SHIFT;
    BlockStatement block;
    block.expr = test::lit_expr("2");
    block.body = list(text_st(Tok::MESSAGE, 0, 1, "ab"));
    shifted->payload = std::move(block);
    p->statements = list(text_st(Tok::MESSAGE, 0, 0, "hello"), std::move(shifted));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), " HEllO\n   AB\n");
    EXPECT_EQ(p->x_shift, 1);

    ReformatFixture w;
    auto u = text_program(5, 2);
    u->wide_cells = true;
    test::TextOptions right;
    right.line_step = "1";
    right.font_override = test::aligned(Alignment::Right);
    // Right alignment counts characters, so the two-byte letter still ends at column 4.
    u->statements = list(text_st(Tok::MESSAGE, 0, 0, "\xC3\xA9x"),
                         text_st(Tok::MESSAGE, 5, 1, "\xC3\xA9\xC3\xA9", right));
    w.run_program(*u);
    EXPECT_EQ(w.contents(), "\xC3\xA9x   \n   \xC3\xA9\xC3\xA9\n");
}

TEST(TextPage, RepeatReadsAFieldLineByLine) {
    ReformatFixture b;
    auto p = text_program(6, 12);
    p->pad = 0;
    p->trim_lines = 1;
    LineCell cell;
    cell.value = std::string("l1\nl2\nl3");
    cell.line_index = 1;
    Value v = ref(ValueKind::Field, cell);
    // BY 5 prints the three lines and then two empty ones; the next REPEAT starts again
    // at line 1. BY 2 stops after line 2, so the REPEAT after it continues with line 3.
    auto first = repeat("5", list(field(0, 0, v)));
    auto second = repeat("2", list(field(3, 0, v)), std::nullopt, "7");
    auto third = repeat("2", list(field(3, 0, v)), "2", "9");
    p->statements = list(std::move(first), std::move(second), std::move(third));
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "l1\nl2\nl3\n\n\n\n\n   l1\n   l2\n   l3\n");
    EXPECT_EQ(b.variable("repeat_count"), "");
    EXPECT_EQ(b.run.reformat.repeat_depth, 0);
}

TEST(TextPageTotals, PlaceholdersAreFilledWithTheTotal) {
    ReformatFixture b;
    auto p = text_program(10, 2);
    // MAP_LU must not turn the placeholder into "%T".
    p->map_upper = 1;
    p->statements = list(text_st(Tok::PAGE, 0, 0, "%n/%t"), text_st(Tok::PAGE, 4, 1, "p%n"));
    b.run_program(*p);
    b.run_program(*p);
    EXPECT_EQ(b.contents(), "1/****    \n    P1    \n2/****    \n    P2    \n");
    EXPECT_EQ(b.patched(), "1/2       \n    P1    \n2/2       \n    P2    \n");
}

TEST(TextPageTotals, FormFeedBeforeAPageMovesItsPlaceholders) {
    ReformatFixture b;
    auto p = text_program(10, 2);
    p->pad = 0;
    p->trim_lines = 1;
    p->form_feed = 1;
    test::TextOptions centre;
    centre.line_step = "1";
    centre.font_override = test::aligned(Alignment::Centre);
    p->statements = list(text_st(Tok::PAGE, 6, 0, "%t", centre));
    b.run_program(*p);
    b.run_program(*p);
    EXPECT_EQ(b.patched(), "    2   \n\f    2   \n");
}

TEST(TextPageTotals, TrimmedPageRefusesPlaceholdersBelowTheFirstLine) {
    ReformatFixture b;
    auto p = text_program(10, 3);
    p->pad = 0;
    p->trim_lines = 1;
    p->statements = list(text_st(Tok::PAGE, 0, 1, "%t"));
    b.run_program(*p);
    EXPECT_EQ(b.patched(), "\n****\n");
    EXPECT_NE(b.c.log().find("Tried to use a total page on a trimmed text output at line 1"),
              std::string::npos);
    EXPECT_NE(b.c.log().find("This is currently not allowed.\n"), std::string::npos);
}

TEST(TextPageTotals, PlaceholderOffTheRightEdgeIsNotPatched) {
    ReformatFixture b;
    auto p = text_program(5, 1);
    p->statements = list(text_st(Tok::PAGE, 2, 0, "%t"));
    b.run_program(*p);
    EXPECT_TRUE(b.output.total_page_placeholders.empty());
    EXPECT_EQ(b.patched(), "  ***\n");
}

}  // namespace
}  // namespace morvel
