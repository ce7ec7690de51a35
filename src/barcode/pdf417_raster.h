#pragma once
// Lays PDF417 codewords out in rows and prints them as one PCL raster graphic.
#include <cstdint>
#include <vector>

namespace morvel {
class PclOut;
}

namespace morvel::pdf417 {

/// A symbol ready to print: rows × data_columns codewords (length descriptor, data,
/// padding, error correction), read row by row.
struct Symbol {
    int rows = 0;
    int data_columns = 0;
    int level = 0;
    std::vector<int> codewords;
};

struct RowIndicators {
    int left;
    int right;
};

/// The row indicator codewords of row (0-based); they tell a reader the row count,
/// the column count and the error-correction level.
RowIndicators row_indicators(int row, int rows, int data_columns, int level);

/// Writes the symbol at the cursor as one raster graphic at resolution dots per inch:
/// one module per pixel, two pixel rows per symbol row, two blank modules and two
/// blank pixel rows around it.
void write_raster(PclOut& out, const Symbol& symbol, int resolution);

}  // namespace morvel::pdf417
