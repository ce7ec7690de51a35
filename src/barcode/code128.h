#pragma once
// Code 128 symbols: the byte data walked through code sets A, B and C with the
// reserved switch, shift and function bytes, drawn as solid bars.
#include <string_view>
#include <vector>

namespace morvel {

struct Run;
class PclOut;

/// The symbol values of one Code 128 symbol.
struct Code128Symbols {
    std::vector<int> values;  ///< start symbol and data symbols (no check, no stop)
    int status = 0;           ///< 0 complete; 2 empty data; 3 illegal byte; 4 bad code set
};

/// The six element widths (bar first, in modules) of a symbol value 0..105.
std::string_view code128_pattern(int value);
/// Encodes data starting in code set 0 (A), 1 (B) or 2 (C), logging every switch and
/// failure. On status 3 values hold what was encoded before the failing byte.
Code128Symbols code128_symbols(Run& run, int code_set, std::string_view data);
/// The check symbol of a start symbol and its data symbols.
int code128_check(const std::vector<int>& values);
/// Draws data as Code 128 with its top left corner at (x, y): 0 drawn, 2 empty data,
/// 3 illegal byte or odd digit count (the bars before it stay), 4 code set not 0..2.
int encode_code128(Run& run, PclOut& out, int x, int y, int height, int module, int code_set,
                   std::string_view data);

}  // namespace morvel
