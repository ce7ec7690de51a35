// The BARCODE statement and the drawing primitives: exact printer bytes, parameter
// rules, and every linear symbology decoded from our own bars by an independent reader.
#include "barcode/barcode.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "barcode/pcl_render.h"
#include "barcode/primitives.h"
#include "core/printer_out.h"
#include "language/tree.h"
#include "reformat/reformat_fixture.h"
#include "test_support.h"

namespace morvel {
namespace {

using test::lit;

// Collects what a drawing writes.
template <typename F>
std::string written(F&& draw) {
    std::FILE* f = std::tmpfile();
    PclOut out(f);
    draw(out);
    std::fflush(f);
    std::string bytes;
    std::rewind(f);
    for (int c; (c = std::fgetc(f)) != EOF;) bytes += static_cast<char>(c);
    std::fclose(f);
    return bytes;
}

TEST(BarcodePrimitives, WriteExactCommands) {
    EXPECT_EQ(written([](PclOut& o) { move_cursor(o, 12, 3400); }), "\033*p0012X\033*p3400Y");
    EXPECT_EQ(written([](PclOut& o) { move_cursor(o, 123456, 0); }), "\033*p123456X\033*p0000Y");
    // A signed value would be a relative move: left of the page is the page edge.
    EXPECT_EQ(written([](PclOut& o) { move_cursor(o, -36, 5); }), "\033*p0000X\033*p0005Y");
    EXPECT_EQ(written([](PclOut& o) { draw_bar(o, 100, 200, 6, 50); }),
              "\033*p0100X\033*p0200Y\033*c0006A\033*c0050B\033*c0P");
    const std::uint8_t bars[] = {0, 1, 2, 3};
    EXPECT_EQ(written([&](PclOut& o) { draw_four_state_bars(o, bars, 100, 200); }),
              "\033*p100x200Y\033*c6a61B\033*c0P\033*p113x200Y\033*c6a39B\033*c0P"
              "\033*p126x222Y\033*c6a39B\033*c0P\033*p139x222Y\033*c6a17B\033*c0P");
}

TEST(BarcodePrimitives, DigitGlyphBlock) {
    std::string plain = written([](PclOut& o) { draw_digit_glyph(o, 7, 10, 20, false); });
    ASSERT_EQ(plain.size(), 16u + 12u + 32u * 7u + 4u);
    EXPECT_EQ(plain.substr(0, 28), "\033*p0010X\033*p0020Y\033*t300R\033*r1A");
    EXPECT_EQ(plain.substr(28, 5), "\033*b2W");
    EXPECT_EQ(plain.substr(plain.size() - 4), "\033*rB");
    std::string colour = written([](PclOut& o) { draw_digit_glyph(o, 7, 10, 20, true); });
    EXPECT_EQ(colour.substr(16, 10), "\033*p0P\033*r1U");
    EXPECT_EQ(colour.substr(colour.size() - 5), "\033*p1P");
    for (int d = 0; d < 10; ++d) {
        auto g = digit_glyph(d);
        EXPECT_EQ(g[31], 0) << "last row of " << d << " is blank";
        int ink = 0;
        for (std::uint16_t row : g) ink += __builtin_popcount(row);
        EXPECT_GT(ink, 100) << "glyph " << d << " is bold";
    }
}

// The BARCODE statement with literal parameters; empty strings leave a slot out.
struct StatementArgs {
    BarcodeType type;
    std::string thickness, ratio, trim = "";
};

BarcodeStatement statement(const StatementArgs& a) {
    BarcodeStatement s;
    s.type = a.type;
    s.x = lit("100");
    s.y = lit("200");
    s.height = lit("50");
    if (!a.thickness.empty()) s.thickness = lit(a.thickness);
    if (!a.ratio.empty()) s.ratio = lit(a.ratio);
    if (!a.trim.empty()) s.trim = lit(a.trim);
    return s;
}

TEST(BarcodeStatement, ThicknessAndRatioRanges) {
    struct Case {
        StatementArgs args;
        int thickness;
        double ratio;
        int resolution;
    } cases[] = {
        {{BarcodeType::Code39, "11", ""}, 3, 2.5, 75},
        {{BarcodeType::Code39, "10", "0"}, 10, 2.0, 75},
        {{BarcodeType::I25, "2", "7"}, 3, 2.0, 75},
        {{BarcodeType::I25, "3", "5"}, 3, 5.0, 75},
        {{BarcodeType::Pdf417, "2", "2"}, 8, 2.0, 150},
        {{BarcodeType::Pdf417, "", "1"}, 8, 1.0, 300},
        {{BarcodeType::Pdf417, "99", "3"}, 99, 3.0, 100},
        {{BarcodeType::Aus4State, "-5", ""}, 0, 2.5, 75},
        {{BarcodeType::Aus4State, "", ""}, 3, 2.5, 75},
    };
    for (const Case& c : cases) {
        test::CapturedRun cr;
        BarcodeParameters p = evaluate_barcode_parameters(cr.run, statement(c.args), 30);
        EXPECT_EQ(p.thickness, c.thickness) << c.args.thickness;
        EXPECT_EQ(p.ratio, c.ratio) << c.args.ratio;
        EXPECT_EQ(p.resolution, c.resolution) << c.args.ratio;
        EXPECT_EQ(p.y, 230);
    }
    // A position beyond any page is held where symbol widths cannot overflow it.
    test::CapturedRun cr;
    BarcodeStatement far = statement({BarcodeType::Code39, "", ""});
    far.x = lit("99999999999999");
    EXPECT_EQ(evaluate_barcode_parameters(cr.run, far, 0).x, 1 << 29);
}

TEST(BarcodeStatement, TrimAdvanceAndFailureMessages) {
    struct Case {
        StatementArgs args;
        std::string data;
        std::string log;
    } cases[] = {
        // clang-format off
        {{BarcodeType::Code39, "", ""}, "1234 \t ", ""},
        {{BarcodeType::Code39, "", "", "0"}, "1234 \t ", "Bad character in Code39 (\t)\nError printing barcode\n"},
        {{BarcodeType::Code39, "", "", "0"}, "AB ", ""},
        {{BarcodeType::Bar128C, "", ""}, "12345",
         "Bar128: Odd number of digits in Code C at line 7 of job.def\nError printing barcode\n"},
        // clang-format on
    };
    for (const Case& c : cases) {
        test::CapturedRun cr;
        cr.run.current_line = 7;
        cr.run.current_file = "job.def";
        Statement st;
        st.kind = Tok::BARCODE;
        st.line = 7;
        BarcodeStatement s = statement(c.args);
        s.data = test::lit_expr(c.data);
        st.payload = std::move(s);
        double advance = 1;
        written([&](PclOut& o) { execute_barcode(cr.run, st, o, 0, advance); });
        EXPECT_EQ(advance, 51) << c.data;
        EXPECT_EQ(cr.log(), c.log) << c.data;
    }
}

// Data that uses every symbol value of Code 128 sets B and C.
std::string all_of_set_b() {
    std::string s;
    for (char c = ' '; c < 127; ++c) s += c;
    return s;
}
std::string pairs_from(int first) {
    std::string s;
    for (int v = first; v < 100; ++v) s += std::to_string(v / 10) + std::to_string(v % 10);
    return s;
}

// Every linear symbology, drawn through the statement's dispatch and read back by an
// independent decoder.
TEST(BarcodeDecode, LinearSymbolsReadBack) {
    const std::string controls =
        "\001\002\003\004\005\006\007\010\013\016\017\020\021\022"
        "\023\024\025\026\027\030\031\032\033\034\035\036\037Z_";
    const std::string code39 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    struct Case {
        BarcodeType type;
        std::string data;
        std::string expected;
        int module = 3;
        double ratio = 2.5;
    } cases[] = {
        // clang-format off
        {BarcodeType::Bar128B, all_of_set_b(), all_of_set_b(), 2},
        {BarcodeType::Bar128C, pairs_from(0), pairs_from(0), 2},
        {BarcodeType::Bar128A, controls, controls},
        {BarcodeType::Bar128B, "Ab\32312345678\324xy", "Ab12345678xy"},  // to C and back
        {BarcodeType::Bar128A, "CODE\336a128", "CODEa128"},                 // shift to B
        {BarcodeType::Bar128A, "\350ABCdef", "ABCdef"},                     // auto-switch
        {BarcodeType::Bar128C, "\3471234567", "1234567"},                   // left-over digit
        {BarcodeType::Bar128C, "987\323A", "987A"},                         // early switch
        {BarcodeType::Code39, code39, code39, 4, 2.5},
        {BarcodeType::Code39, "CODE 39", "CODE 39", 3, 3},
        {BarcodeType::I25, "1234567890", "1234567890", 3, 3},
        {BarcodeType::I25, "12345", "012345", 4, 2.5},
        {BarcodeType::Ean8, "9638507", "96385074"},
        {BarcodeType::Ean13, "5901234123450", "5901234123457"},
        {BarcodeType::Ean13, "400638133393", "4006381333931"},
        {BarcodeType::UpcE, "01234500007", "0012345000072"},  // read as UPC-A, check 2
        {BarcodeType::UpcE, "01200000345", "0012000003455"},
        // clang-format on
    };
    test::TempDir dir;
    for (const Case& c : cases) {
        test::CapturedRun cr;
        BarcodeParameters p;
        p.x = 60;
        p.y = 40;
        p.height = 120;
        p.thickness = c.module;
        p.ratio = c.ratio;
        std::string pcl = written(
            [&](PclOut& o) { EXPECT_EQ(draw_barcode(cr.run, c.type, p, c.data, o), 0) << c.data; });
        std::optional<std::string> decoded = test::decode_bitmap(test::render_pcl(pcl), dir.path());
        if (!decoded) GTEST_SKIP() << "no barcode reader installed";
        EXPECT_EQ(*decoded, c.expected) << "type " << static_cast<int>(c.type);
    }
}

}  // namespace
}  // namespace morvel
