#pragma once
// Constant tables of the PDF417 symbology: the codeword bar patterns and the
// start and stop patterns.
#include <cstdint>

namespace morvel::pdf417 {

/// Codewords are the numbers 0..928; error correction works modulo this prime.
inline constexpr int kCodewordCount = 929;
/// The 17 modules that open every row, most significant bit first, 1 = bar.
inline constexpr std::uint32_t kStartPattern = 0b11111111010101000;
/// The 18 modules that close every row (the stop character and its last bar).
inline constexpr std::uint32_t kStopPattern = 0b111111101000101001;

/// The 17 modules of a codeword (0..928) in a row of cluster 0, 3 or 6, given as
/// 0, 1 or 2; most significant bit first, 1 = bar.
std::uint32_t codeword_pattern(int cluster, int codeword);

}  // namespace morvel::pdf417
