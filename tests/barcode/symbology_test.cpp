// Encoder decisions that a decoder cannot show: Code 128 set switching and its
// messages, the geometry of Code 39 and Interleaved 2 of 5, EAN/UPC data rules, and the
// four-state bars with their parity.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>

#include "barcode/barcode.h"
#include "barcode/code128.h"
#include "barcode/code39.h"
#include "barcode/ean.h"
#include "barcode/four_state.h"
#include "barcode/i25.h"
#include "barcode/pcl_render.h"
#include "core/printer_out.h"
#include "language/tree.h"
#include "test_support.h"

namespace morvel {
namespace {

using test::Rect;

std::vector<Rect> rects_of(const std::function<void(PclOut&)>& draw) {
    test::MemoryStream stream;
    {
        PclOut out(stream.get());
        draw(out);
    }
    return test::pcl_rects(stream.str());
}

// The log without the " at line N of FILE" suffixes.
std::string log_lines(test::CapturedRun& cr) {
    std::string log = cr.log();
    for (std::size_t at; (at = log.find(" at line 0 of ")) != std::string::npos;)
        log.erase(at, log.find('\n', at) - at);
    return log;
}

TEST(Code128, SymbolValuesAndMessages) {
    // Reserved bytes in octal: 200 \310, 201 \311, 255 \377, 202-204 \312-\314, use
    // set A/B/C 211-213 \323-\325, shift to A/B 221/222 \335/\336, auto modes 231-233
    // \347-\351.
    struct Case {
        int set;
        std::string data;
        std::vector<int> values;
        int status;
        std::string log;
    } cases[] = {
        // clang-format off
        {2, "12345", {105, 12, 34}, 3, "Bar128: Odd number of digits in Code C\n"},
        {2, "\35012345", {105, 12, 34, 100, 21}, 0, "Bar128: Enabling auto-mode 2\n"
         "Bar128: left-over digit ('5') triggered auto-switch from Code C to Code B\n"},
        {2, "1234\324AB", {105, 12, 34, 100, 33, 34}, 0, ""},
        {2, "1\3232", {105, 101, 17, 18}, 0,
         "Bar128: left-over digit ('1') triggered early-switch from Code C to Code A\n"},
        {2, "\3471x", {105}, 3, "Bar128: Enabling auto-mode 1\n"
         "Bar128: Odd digit ('1') followed by illegal code ('x', 120, 0x78) for Code C\n"},
        {2, "\3471\311", {105, 100, 17, 102}, 0, "Bar128: Enabling auto-mode 1\n"
         "Bar128: left-over digit ('1') triggered auto-switch from Code C to Code B\n"},
        {2, "\347\001", {105}, 3,
         "Bar128: Enabling auto-mode 1\nBar128: Illegal code ('.', 1, 0x01) for Code C\n"},
        {2, "\351\001", {105, 101, 65}, 0, "Bar128: Enabling auto-mode 3\n"
         "Bar128: Code ('.', 1, 0x01) triggered auto-switch from Code C to Code A\n"},
        {1, "A\t", {104, 33}, 3, "Bar128: Illegal code ('.', 9, 0x09) for Code B\n"},
        {1, "\350\t", {104, 101, 73}, 0, "Bar128: Enabling auto-mode 2\n"
         "Bar128: Code ('.', 9, 0x09) triggered auto-switch from Code B to Code A\n"},
        {0, "a", {103}, 3, "Bar128: Illegal code ('a', 97, 0x61) for Code A\n"},
        {0, "\351a", {103, 100, 65}, 0, "Bar128: Enabling auto-mode 3\n"
         "Bar128: Code ('a', 97, 0x61) triggered auto-switch from Code A to Code B\n"},
        {0, "\336aA", {103, 98, 65, 33}, 0, ""},
        {1, "\335\tz", {104, 98, 73, 90}, 0, ""},
        {2, "\32512", {105, 12}, 0, ""},
        {0, "\323\310\377\312\313\314", {103, 64, 102, 97, 96, 101}, 0, ""},
        {1, "\314\32500", {104, 100, 99, 0}, 0, ""},
        {0, "", {}, 2, ""},
        {3, "A", {}, 4, ""},
        // clang-format on
    };
    for (const Case& c : cases) {
        test::CapturedRun cr;
        Code128Symbols s = code128_symbols(cr.run, c.set, c.data);
        EXPECT_EQ(s.values, c.values) << c.data;
        EXPECT_EQ(s.status, c.status) << c.data;
        EXPECT_EQ(log_lines(cr), c.log) << c.data;
    }
    EXPECT_EQ(code128_check({104, 33, 34}), 102);
}

TEST(Code128, FailedSymbolKeepsItsBarsAndAddsNoStop) {
    test::CapturedRun cr;
    std::vector<Rect> r = rects_of(
        [&](PclOut& o) { EXPECT_EQ(encode_code128(cr.run, o, 0, 0, 10, 2, 1, "A\t"), 3); });
    EXPECT_EQ(r.size(), 6u);  // START B and "A"
}

TEST(LinearGeometry, Code39AndI25Widths) {
    test::CapturedRun cr;
    // Module 3, ratio 2.5: wide elements are 7 dots; a character is 39 dots, gaps 3,
    // and the stop character sits two narrow modules after the last character.
    std::vector<Rect> empty = rects_of(
        [&](PclOut& o) { EXPECT_EQ(encode_code39(cr.run, o, 100, 0, 40, 3, 2.5, ""), 0); });
    ASSERT_EQ(empty.size(), 10u);
    EXPECT_EQ(empty[5].x, 100 + 39 + 6);
    std::vector<Rect> one = rects_of(
        [&](PclOut& o) { EXPECT_EQ(encode_code39(cr.run, o, 100, 0, 40, 3, 2.5, "A"), 0); });
    EXPECT_EQ(one[5], (Rect{100 + 42, 0, 7, 40}));
    EXPECT_EQ(one[10].x, 100 + 42 + 42 + 3);

    // I2of5 "7": 07 with module 2 and ratio 3; start one module in, stop right after.
    std::vector<Rect> i25 =
        rects_of([&](PclOut& o) { EXPECT_EQ(encode_i25(cr.run, o, 10, 5, 30, 2, 3, "7"), 0); });
    std::vector<Rect> want = {{12, 5, 2, 30}, {16, 5, 2, 30}, {20, 5, 2, 30},
                              {24, 5, 2, 30}, {28, 5, 6, 30}, {36, 5, 6, 30},
                              {48, 5, 2, 30}, {56, 5, 6, 30}, {64, 5, 2, 30}};
    EXPECT_EQ(i25, want);
    EXPECT_EQ(cr.log(), "");
}

TEST(LinearGeometry, BadDataDrawsNothing) {
    struct Case {
        BarcodeType type;
        std::string data;
        int status;
        std::string log;
    } cases[] = {
        // clang-format off
        {BarcodeType::Code39, "ab", 1, "Bad character in Code39 (a)\n"},
        {BarcodeType::Code39, "A*", 1, "Bad character in Code39 (*)\n"},
        {BarcodeType::I25, "12a4", 1, "Non-numeric in I25\n"},
        {BarcodeType::Ean8, "123", 1, "Length wrong in EAN8 - 3 instead of 7/8\n"},
        {BarcodeType::Ean8, "123456a", 2, "Non-numeric in EAN8\n"},
        {BarcodeType::Ean13, "12345678901234", 1, "Wrong size string in EAN/UPC code: 14 instead of 12/13\n"},
        {BarcodeType::Ean13, "12345678901a", 2, "Non-numeric in EAN13\n"},
        {BarcodeType::UpcE, "0123456789", 1, "Wrong length - 10 instead of 11/12 digits\n\n"},
        {BarcodeType::UpcE, "0123456789x", 2, "Non-numeric in UPC-E\n\n"},
        {BarcodeType::UpcE, "11234500007", 3, "Prefix must be 0 in UPC-E\n\n"},
        {BarcodeType::UpcE, "01234567890", 4, ""},
        // clang-format on
    };
    for (const Case& c : cases) {
        test::CapturedRun cr;
        BarcodeParameters p;
        EXPECT_TRUE(rects_of([&](PclOut& o) {
                        EXPECT_EQ(draw_barcode(cr.run, c.type, p, c.data, o), c.status);
                    }).empty());
        EXPECT_EQ(cr.log(), c.log);
    }
}

TEST(Ean, UpcECompressionRules) {
    struct Case {
        std::string upca, digits;
        int status;
        std::string log;
    } cases[] = {
        {"01234500007", "123457", 0, ""},
        {"01200000345", "123450", 0, ""},
        {"01230000045", "123453", 0, ""},
        {"01234000003", "123434", 0, ""},
        {"01210000999", "129991", 0, ""},
        {"01234567890", "", 4, ""},
        {"01200000005", "", 3, "UPC-E : type 5, illegal char 5\n\n"},
        {"01200000009", "", 3, "UPC-E : type 9, illegal char 5\n\n"},
        {"01230000003", "", 3, "UPC-E : type 4, illegal char 5\n\n"},
        {"01200000040", "", 3, "UPC-E : type 3, illegal char 5\n\n"},
    };
    for (const Case& c : cases) {
        test::CapturedRun cr;
        UpcECompression u = compress_upce(cr.run, c.upca);
        EXPECT_EQ(u.digits, c.digits) << c.upca;
        EXPECT_EQ(u.status, c.status) << c.upca;
        EXPECT_EQ(cr.log(), c.log) << c.upca;
    }
}

TEST(Ean, HumanReadableDigitsFollowChecksumPos) {
    // Glyph blocks start with a cursor move; their origins tell which digits are shown.
    auto glyph_origins = [](int checksum_pos) {
        test::CapturedRun cr;
        test::MemoryStream stream;
        {
            PclOut out(stream.get());
            encode_ean13(cr.run, out, 100, 50, "4006381333932", checksum_pos, false);
        }
        std::string pcl = stream.str();
        std::vector<std::string> origins;
        for (std::size_t at = 0; (at = pcl.find("Y\033*t300R", at)) != std::string::npos; ++at)
            origins.push_back(pcl.substr(at - 15, 15));
        return origins;
    };
    EXPECT_EQ(glyph_origins(0).size(), 12u);
    EXPECT_EQ(glyph_origins(0)[0], "\033*p0117X\033*p0297");  // first left digit
    EXPECT_EQ(glyph_origins(2)[0], "\033*p0064X\033*p0297");
    std::vector<std::string> both = glyph_origins(5);
    ASSERT_EQ(both.size(), 14u);
    EXPECT_EQ(both[1], "\033*p0496X\033*p0297");
}

TEST(FourState, BarsMatchReferenceEncoder) {
    struct Case {
        std::string data;
        int minimum;
        std::string bars;  // empty: refused
        std::string log;
    } cases[] = {
        // FCC 11 and sorting code 12345678, as the reference encoder draws it.
        {"1112345678", 37, "1301010102101112202122312223010303313", ""},
        {"*D1,2,63", 0, "1300100233313", ""},
        {"*B0123*NA", 0, "", "Invalid character 'A' for current coding table.\n"},
        {"12*X", 0, "", "Illegal '*' escape.  Must be *N, *C, *B or *D.\n"},
        {"12*", 0, "", "Illegal '*' escape.  Must be *N, *C, *B or *D.\n"},
        {"*D1;2", 0, "", "Numbers must be delimited by commas in *D mode.\n"},
        {"*D64", 0, "", "Numbers must be 0 to 63 in *D mode.\n"},
        {"1", 1025, "", "Too many bars for the four-state barcode (at most 1024).\n"},
    };
    for (const Case& c : cases) {
        test::CapturedRun cr;
        std::optional<FourStateBars> bars = four_state_bars(cr.run, c.data, c.minimum);
        std::string got;
        if (bars)
            for (std::uint8_t b : *bars) got += static_cast<char>('0' + b);
        if (!c.bars.empty() && c.bars.size() < 20) {
            // Short cases: start, data and stop; the long one checks the parity too.
            ASSERT_GE(got.size(), 14u);
            got.erase(got.size() - 14, 12);
        }
        EXPECT_EQ(got, c.bars) << c.data;
        EXPECT_EQ(log_lines(cr), c.log) << c.data;
    }
    test::CapturedRun cr;
    EXPECT_EQ(four_state_bars(cr.run, "*CAb 9", 67)->size(), 67u);
    EXPECT_EQ(four_state_bars(cr.run, "", 0)->size(), 16u);
    EXPECT_EQ(four_state_bars(cr.run, "1", 1024)->size(), 1024u);
}

}  // namespace
}  // namespace morvel
