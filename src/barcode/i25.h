#pragma once
// Interleaved 2 of 5 symbols: digit pairs, the first digit in the bars, the second in
// the spaces.
#include <string_view>

namespace morvel {

struct Run;
class PclOut;

/// Draws data as Interleaved 2 of 5 with its top left corner at (x, y); an odd digit
/// count gets a leading '0'. Narrow elements are module dots, wide ones module x ratio
/// (fraction dropped). 0 drawn; 1 after "Non-numeric in I25" (nothing drawn).
int encode_i25(Run& run, PclOut& out, int x, int y, int height, int module, double ratio,
               std::string_view data);

}  // namespace morvel
