#include "barcode/pdf417_raster.h"

#include <algorithm>
#include <string_view>

#include "barcode/pdf417_tables.h"
#include "core/printer_out.h"

namespace morvel::pdf417 {
namespace {

constexpr int kQuiet = 2;  // blank modules left and right, blank pixel rows above and below

// Packs modules most significant bit first into one pixel row.
class RowBits {
  public:
    explicit RowBits(int width) : bytes_(static_cast<std::size_t>((width + 7) / 8)) {}
    void clear() {
        std::fill(bytes_.begin(), bytes_.end(), 0);
        pos_ = 0;
    }
    void skip(int modules) { pos_ += modules; }
    void put(std::uint32_t bits, int count) {
        for (int i = count - 1; i >= 0; --i, ++pos_) {
            if ((bits >> i) & 1u) {
                bytes_[static_cast<std::size_t>(pos_ / 8)] |=
                    static_cast<unsigned char>(0x80u >> (pos_ % 8));
            }
        }
    }
    void send(PclOut& out) const {
        out.printf("\033*b%dW", static_cast<int>(bytes_.size()));
        out.write_bytes(
            std::string_view(reinterpret_cast<const char*>(bytes_.data()), bytes_.size()));
    }

  private:
    std::vector<unsigned char> bytes_;
    int pos_ = 0;
};

}  // namespace

RowIndicators row_indicators(int row, int rows, int data_columns, int level) {
    const int base = 30 * (row / 3);
    const int row_part = (rows - 1) / 3;
    const int level_part = (rows - 1) % 3 + 3 * level;
    const int column_part = data_columns - 1;
    switch (row % 3) {
        case 0:
            return {base + row_part, base + column_part};
        case 1:
            return {base + level_part, base + row_part};
        default:
            return {base + column_part, base + level_part};
    }
}

void write_raster(PclOut& out, const Symbol& symbol, int resolution) {
    const int columns = symbol.data_columns + 2;
    const int width = 17 * columns + 39;
    out.printf("\033*r0F\033*t%dR", resolution);
    out.printf("\033*r%dt%dS", 2 * symbol.rows + 2 * kQuiet, width);
    out.printf("\033*r1A\033*b0M");

    RowBits bits(width);
    for (int i = 0; i < kQuiet; ++i) bits.send(out);
    for (int r = 0; r < symbol.rows; ++r) {
        const int cluster = r % 3;
        const RowIndicators ind = row_indicators(r, symbol.rows, symbol.data_columns, symbol.level);
        bits.clear();
        bits.skip(kQuiet);
        bits.put(kStartPattern, 17);
        bits.put(codeword_pattern(cluster, ind.left), 17);
        for (int c = 0; c < symbol.data_columns; ++c) {
            const auto index = static_cast<std::size_t>(r * symbol.data_columns + c);
            bits.put(codeword_pattern(cluster, symbol.codewords[index]), 17);
        }
        bits.put(codeword_pattern(cluster, ind.right), 17);
        bits.put(kStopPattern, 18);
        bits.send(out);
        bits.send(out);
    }
    bits.clear();
    for (int i = 0; i < kQuiet; ++i) bits.send(out);
    out.printf("\033*rC");
}

}  // namespace morvel::pdf417
