// PDF417 stages alone: segmentation, compaction, error correction, row indicators,
// and the size checks of the whole encoder.
#include "barcode/pdf417.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "barcode/pdf417_compaction.h"
#include "barcode/pdf417_ecc.h"
#include "barcode/pdf417_raster.h"
#include "barcode/pdf417_tables.h"
#include "core/printer_out.h"
#include "test_support.h"
#include "values/identifiers.h"

namespace morvel {
namespace {

using pdf417::Mode;

std::string describe(const std::vector<pdf417::Segment>& segments) {
    std::string s;
    for (const auto& seg : segments) {
        s += seg.mode == Mode::numeric ? "N[" : seg.mode == Mode::text ? "T[" : "B[";
        s += seg.bytes;
        s += "]";
    }
    return s;
}

TEST(Pdf417Segment, ChoosesModesByRunLength) {
    const struct {
        std::string data, want;
    } cases[] = {
        {"123456789012", "T[123456789012]"},  // 12 digits are still text
        {"1234567890123", "N[1234567890123]"},
        {"AB12", "B[AB12]"},  // too short for text
        {"Hello1234567890123World", "T[Hello]N[1234567890123]T[World]"},
        {"ab\x01"
         "cdefgh",
         "B[ab\x01]T[cdefgh]"},
        {"\x01"
         "abcd\x02",
         "B[\x01"
         "abcd\x02]"},  // four text characters stay in the bytes
        {"\x01"
         "abc",
         "B[\x01"
         "abc]"},  // a short tail too
        {"ab1234567890123", "B[ab]N[1234567890123]"},
        {"\x01"
         "ab\n\r\t12345678",
         "B[\x01]T[ab\n\r\t12345678]"},
    };
    for (const auto& c : cases) EXPECT_EQ(describe(pdf417::segment(c.data)), c.want) << c.data;
}

TEST(Pdf417Text, SubModeChangesFollowTheNextCharacter) {
    const struct {
        std::string text;
        std::vector<int> want;
    } cases[] = {
        {"ABCDabcd", {0, 1, 2, 3, 27, 0, 1, 2, 3}},
        {"A;B", {0, 29, 0, 1}},              // a lone punctuation mark is shifted
        {"A;<B", {0, 28, 25, 0, 1, 29, 1}},  // two are latched
        {"aBc", {27, 0, 27, 1, 2}},          // one capital in lower case is shifted
        {"aBCd", {27, 0, 28, 28, 1, 2, 27, 3}},
        {"a1b", {27, 0, 28, 1, 27, 1}},
        {"1A", {28, 1, 28, 0}},
        {"1;2", {28, 1, 29, 0, 2}},
        {"1;<", {28, 1, 25, 0, 1}},
        {";<a", {28, 25, 0, 1, 29, 27, 0}},
        {";<1", {28, 25, 0, 1, 29, 28, 1}},
        {";< ", {28, 25, 0, 1, 29, 26}},  // punctuation has no space
        {"a\n", {27, 0, 29, 15}},
        {"A,B", {0, 28, 13, 28, 1}},  // in mixed and punctuation: counts as mixed
        {"A\"", {0, 29, 20}},
    };
    for (const auto& c : cases) EXPECT_EQ(pdf417::text_values(c.text), c.want) << c.text;
}

TEST(Pdf417Compact, CodewordsWithLatches) {
    const struct {
        std::string data;
        std::vector<int> want;
    } cases[] = {
        {"ABCDabcd", {1, 63, 810, 32, 119}},  // no latch for leading text; odd count padded
        {"000213298174000", {902, 1, 624, 434, 632, 282, 200}},
        {"AB12", {901, 65, 66, 49, 50}},
        {std::string("\x01\x02\x03\x04\x05\x06", 6), {924, 1, 620, 89, 74, 846}},
        {"\xff\xff\xff\xff\xff\xff\x07", {901, 429, 11, 71, 222, 855, 7}},
        {"1234567890123ABCDE", {902, 17, 110, 836, 811, 223, 900, 1, 63, 149}},
    };
    for (const auto& c : cases) {
        std::vector<int> cw;
        pdf417::compact(pdf417::segment(c.data), cw);
        EXPECT_EQ(cw, c.want) << c.data;
    }
    // 45 digits: a full group of 44 and a group of one.
    std::vector<int> cw;
    pdf417::compact(pdf417::segment(std::string(44, '0') + "7"), cw);
    EXPECT_EQ(cw, (std::vector<int>{902, 437, 111, 716, 132, 444, 118, 179, 92, 496, 847, 486, 144,
                                    523, 411, 100, 17}));
}

TEST(Pdf417Compact, ListStopsAt1900Codewords) {
    std::vector<int> cw;
    pdf417::compact(pdf417::segment(std::string(5000, 'A')), cw);
    EXPECT_EQ(cw.size(), pdf417::kMaxCodewords);
}

TEST(Pdf417Ecc, CodewordsVanishAtTheGeneratorRoots) {
    // Data followed by its error correction is a multiple of the generator, so it
    // vanishes at the roots 3^1..3^k; a wrong coefficient table breaks this.
    const std::vector<int> data = {5, 453, 178, 121, 239};
    for (int level = 0; level <= 8; ++level) {
        EXPECT_EQ(pdf417::ec_coefficients(level).size(), 2u << level);
        std::vector<int> all = data;
        const std::vector<int> ec = pdf417::error_correction(data, level);
        all.insert(all.end(), ec.begin(), ec.end());
        int root = 1;
        for (std::size_t i = 0; i < ec.size(); ++i) {
            root = root * 3 % 929;
            int value = 0;
            for (int cw : all) value = (value * root + cw) % 929;
            ASSERT_EQ(value, 0) << "level " << level << " root 3^" << i + 1;
        }
    }
}

TEST(Pdf417Layout, RowIndicatorsAndPatterns) {
    // 10 rows, 5 data columns, level 2.
    const int want[6][2] = {{3, 4}, {6, 3}, {4, 6}, {33, 34}, {36, 33}, {34, 36}};
    for (int r = 0; r < 6; ++r) {
        const auto ind = pdf417::row_indicators(r, 10, 5, 2);
        EXPECT_EQ(ind.left, want[r][0]) << r;
        EXPECT_EQ(ind.right, want[r][1]) << r;
    }
    EXPECT_EQ(pdf417::codeword_pattern(0, 0), 0b11101010111000000u);  // 31111136
    EXPECT_EQ(pdf417::codeword_pattern(1, 0), 0b11111010101100000u);  // 51111125
    EXPECT_EQ(pdf417::codeword_pattern(2, 928), 0b11100011111101010u);
}

// Runs the encoder into a temporary file; returns its status, the file and the log.
struct Encoded {
    int status;
    std::string pcl;
    std::string log;
    std::string last_x, last_y;
};

Encoded encode(const std::string& data, int rows, int columns, int level, int resolution = 75) {
    test::CapturedRun c;
    create_internal_variables(c.run);
    create_objects(c.run);
    test::watch_internal_variables(c.run);
    const std::string path = c.dir.file("out.prn");
    std::FILE* f = std::fopen(path.c_str(), "wb");
    PclOut out(f);
    Encoded e;
    e.status = encode_pdf417(c.run, out, data, 120, 340, rows, columns, level, resolution);
    std::fclose(f);
    e.pcl = test::read_file(path);
    e.log = c.log();
    e.last_x = std::to_string(get_integer_variable(c.run, "last_x"));
    e.last_y = std::to_string(get_integer_variable(c.run, "last_y"));
    return e;
}

TEST(Pdf417Encode, SizeErrorsWriteOnlyTheCursor) {
    const struct {
        std::string data;
        int rows, columns, level;
        std::string log;
    } cases[] = {
        {std::string(900, 'A'), 999, 20, 8,
         "PDF417 Error: size of barcode too large\n"
         "Number of codewords              = 451\n"
         "Number of error correction codes = 512\n"
         "Total exceeds 929\n"},
        {"HELLO", 999, 2, 0, "PDF417 Must have more than two columns\n"},
        {std::string(300, 'A'), 999, 3, 0,
         "PDF417 data will not fit in less than 90 rows\n"
         "must reduce input data or us more columns\n"},
        {"HELLO WORLD", 3, 3, 0,
         "PDF417 Message length plus Error Code Length exceed rows * ( cols -2)\n"
         "Message length = 7  Error Code Length = 2 Total = 9\n"
         "Rows = 3 Columns -2 = 1  Message area = 3\n"
         "Use larger row or column size\n"},
        {"HELLO", 999, 33, 0, "PDF417 columns over 32 not currently supported\n"},
        {"HELLO", 91, 4, 0, "PDF417 rows over 90 not currently supported\n"},
        {"HELLO", 32, 32, 0,
         "PDF417 Error: 32 rows of 30 data columns exceed 928 codewords\n"
         "Use fewer rows, fewer columns or less data\n"},
        {std::string(1852, 'A'), 999, 31, 0,
         "PDF417 Error: 33 rows of 29 data columns exceed 928 codewords\n"
         "Use fewer rows, fewer columns or less data\n"},
    };
    for (const auto& c : cases) {
        const Encoded e = encode(c.data, c.rows, c.columns, c.level);
        EXPECT_EQ(e.status, -1) << c.log;
        EXPECT_EQ(e.log, c.log);
        EXPECT_EQ(e.pcl, "\033*p120x340Y") << c.log;
    }
}

std::string raster_header(int pixel_rows, int width) {
    return "\033*p120x340Y\033*r0F\033*t75R\033*r" + std::to_string(pixel_rows) + "t" +
           std::to_string(width) + "S\033*r1A\033*b0M";
}

TEST(Pdf417Encode, GeometryAtTheBounds) {
    const struct {
        std::string data;
        int rows, columns, level, want_rows;
        std::string log;
    } cases[] = {
        // 1 + 11 text codewords + 8 ec = 20 codewords in 6 data columns: 4 rows.
        {"ABCDEFGHIJKLMNOPQRSTU", 999, 8, 2, 4, ""},
        {"HELLO", 999, 32, 0, 3, ""},  // one row's worth of data still gets three rows
        {"HELLO", 2, 8, 0, 3, ""},
        {"HELLO", 90, 12, 0, 90, ""},
        {std::string(1850, 'A'), 999, 31, 0, 32, ""},  // 926 + 2 codewords fill 32 rows of 29
        // Drawn at level 8: 1 + 5 + 512 codewords in 10 data columns.
        {"LEVEL NINE", 999, 12, 9, 52,
         "PDF417 Error correction levels over 8 not currently supported\n"},
    };
    for (const auto& c : cases) {
        const Encoded e = encode(c.data, c.rows, c.columns, c.level);
        ASSERT_EQ(e.status, 0) << e.log;
        EXPECT_EQ(e.log, c.log);
        EXPECT_EQ(e.pcl.rfind(raster_header(2 * c.want_rows + 4, 17 * c.columns + 39), 0), 0u)
            << c.data.substr(0, 10);
    }
}

TEST(Pdf417Encode, RasterRowsAndLastPosition) {
    const Encoded e = encode("AB12", 5, 4, 1, 150);
    ASSERT_EQ(e.status, 0);
    EXPECT_EQ(e.last_x, "120");
    EXPECT_EQ(e.last_y, "340");
    const std::string head = "\033*p120x340Y\033*r0F\033*t150R\033*r14t107S\033*r1A\033*b0M";
    ASSERT_EQ(e.pcl.substr(0, head.size()), head);
    // 14 rows of 14 bytes, then the end of the graphic.
    const std::string row_cmd = "\033*b14W";
    ASSERT_EQ(e.pcl.size(), head.size() + 14 * (row_cmd.size() + 14) + 4);
    EXPECT_EQ(e.pcl.substr(e.pcl.size() - 4), "\033*rC");
    auto row = [&](int i) { return e.pcl.substr(head.size() + i * 20 + row_cmd.size(), 14); };
    EXPECT_EQ(row(0), std::string(14, '\0'));
    EXPECT_EQ(row(13), std::string(14, '\0'));
    EXPECT_EQ(row(2), row(3));
    // 00 11111111 010101000 ...: quiet modules and the start pattern.
    EXPECT_EQ(static_cast<unsigned char>(row(2)[0]), 0x3Fu);
    EXPECT_EQ(static_cast<unsigned char>(row(2)[1]), 0xD5u);
    // ... 111111101000101001 00 and five padding bits: the stop pattern ends at pixel 104.
    EXPECT_EQ(static_cast<unsigned char>(row(2)[13]), 0x80u);
}

}  // namespace
}  // namespace morvel
