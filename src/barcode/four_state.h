#pragma once
// The four-state postal customer barcode: data spelt in its coding tables, filler,
// Reed-Solomon parity over GF(64), drawn as four-state bars.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace morvel {

struct Run;
class PclOut;

/// Bar values: 0 full, 1 ascender, 2 descender, 3 tracker.
using FourStateBars = std::vector<std::uint8_t>;

/// The most bars one symbol may have.
constexpr std::size_t kFourStateMaxBars = 1024;

/// The four parity symbols (coefficient of x^3 first) of message symbols 0..63, the
/// first symbol the highest power.
std::array<int, 4> four_state_parity(std::span<const int> symbols);
/// The whole bar sequence (start, data, filler, parity, stop) of data for at least
/// minimum bars; absent after a message on a data error.
std::optional<FourStateBars> four_state_bars(Run& run, std::string_view data, int minimum);
/// Draws data at (x, y): 0 drawn, 1 data error (reported; nothing drawn).
int encode_four_state(Run& run, PclOut& out, std::string_view data, int minimum, int x, int y);

}  // namespace morvel
