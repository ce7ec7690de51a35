// PDF417 symbols read back by an independent decoder: the raster graphic the encoder
// writes is turned into an image for ZXingReader, which must return the data.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "barcode/pdf417.h"
#include "core/printer_out.h"
#include "test_support.h"
#include "values/identifiers.h"

namespace morvel {
namespace {

// The pixel rows of the one raster graphic in a PCL stream; none when it is malformed.
std::vector<std::string> raster_rows(const std::string& pcl) {
    std::vector<std::string> rows;
    const std::string start = "\033*r1A\033*b0M";
    std::size_t pos = pcl.find(start);
    if (pos == std::string::npos) return rows;
    pos += start.size();
    while (pcl.compare(pos, 3, "\033*b") == 0) {
        const std::size_t w = pcl.find('W', pos);
        if (w == std::string::npos) return {};
        const auto n = static_cast<std::size_t>(std::atoi(pcl.c_str() + pos + 3));
        rows.push_back(pcl.substr(w + 1, n));
        pos = w + 1 + n;
    }
    if (pcl.compare(pos, 4, "\033*rC") != 0) return {};
    return rows;
}

// Writes the rows as a binary greyscale image, every pixel scale × scale, with a white margin.
void write_pgm(const std::string& path, const std::vector<std::string>& rows, int scale) {
    const int margin = 8 * scale;
    const int width = static_cast<int>(rows[0].size()) * 8 * scale + 2 * margin;
    const int height = static_cast<int>(rows.size()) * scale + 2 * margin;
    std::string pixels(static_cast<std::size_t>(width * height), '\xff');
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        for (int x = 0; x < static_cast<int>(rows[0].size()) * 8; ++x) {
            const auto byte = static_cast<unsigned char>(rows[r][static_cast<std::size_t>(x / 8)]);
            if (((byte << (x % 8)) & 0x80) == 0) continue;
            for (int dy = 0; dy < scale; ++dy) {
                const int offset = (margin + r * scale + dy) * width + margin + x * scale;
                pixels.replace(static_cast<std::size_t>(offset), static_cast<std::size_t>(scale),
                               static_cast<std::size_t>(scale), '\0');
            }
        }
    }
    std::FILE* f = std::fopen(path.c_str(), "wb");
    std::fprintf(f, "P5\n%d %d\n255\n", width, height);
    std::fwrite(pixels.data(), 1, pixels.size(), f);
    std::fclose(f);
}

std::string decode_image(const std::string& path) {
    const std::string command = "ZXingReader -format PDF417 -bytes '" + path + "' 2>/dev/null";
    std::FILE* p = popen(command.c_str(), "r");
    std::string out;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
    pclose(p);
    return out;
}

TEST(Pdf417Decode, IndependentReaderReturnsTheData) {
    if (std::system("command -v ZXingReader >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "no ZXingReader";
    const struct {
        std::string data;
        int rows, columns, level;
    } cases[] = {
        {"Invoice 4711: total due $1,234.50 (net 30 days)", 999, 8, 2},
        {"Mixed Case; @signs & [brackets] {braces} ~tilde` 'single' \"double\" back\\slash|", 999,
         10, 4},
        {"line one\r\nline two\ttabbed\n", 999, 6, 1},
        {"12345678901234567890123456789012345678901234567890123456", 999, 5, 3},
        {std::string("\0\x01\x02\xfe\xff\x80 bin \x1b"
                     "data\x7f",
                     15),
         999, 7, 0},
        {"Ref 00123456789012345 caf\xe9 \x01\x02 ABCDEFG 99", 999, 9, 5},
        {"TINY", 999, 3, 0},
        {"HELLO", 999, 32, 0},  // three rows although one would hold it
        {std::string(600, 'x') + " the end", 999, 32, 6},
        {"GIVEN ROWS", 20, 5, 2},
        {"LEVEL EIGHT SYMBOL", 999, 20, 8},
        {"LEVEL NINE", 999, 12, 9},  // drawn at level 8
    };
    for (const auto& c : cases) {
        test::CapturedRun run;
        const std::string prn = run.dir.file("out.prn");
        std::FILE* f = std::fopen(prn.c_str(), "wb");
        PclOut out(f);
        const int status =
            encode_pdf417(run.run, out, c.data, 0, 0, c.rows, c.columns, c.level, 300);
        std::fclose(f);
        ASSERT_EQ(status, 0) << c.data;
        const std::vector<std::string> rows = raster_rows(test::read_file(prn));
        ASSERT_FALSE(rows.empty()) << c.data;
        const std::string image = run.dir.file("symbol.pgm");
        write_pgm(image, rows, 3);
        EXPECT_EQ(decode_image(image), c.data) << "columns " << c.columns << " level " << c.level;
    }
}

}  // namespace
}  // namespace morvel
