#pragma once
// PDF417 symbols, printed as one raster graphic.
#include <string_view>

namespace morvel {

struct Run;
class PclOut;

/// Encodes data as a PDF417 symbol at (x, y) and writes it to out. rows 999 chooses
/// the row count; columns 3..99; level is the error-correction level; resolution is
/// the raster resolution in dots per inch (300, 150, 100 or 75). Returns 0 when drawn,
/// -1 on a size error (already reported).
int encode_pdf417(Run& run, PclOut& out, std::string_view data, int x, int y, int rows, int columns,
                  int level, int resolution);

}  // namespace morvel
