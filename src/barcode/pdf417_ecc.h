#pragma once
// Reed-Solomon error correction of PDF417 symbols, arithmetic modulo 929.
#include <span>
#include <vector>

namespace morvel::pdf417 {

/// The generator-polynomial coefficients of error-correction level 0..8: 2^(level+1)
/// values from the constant term upward, the leading 1 left out.
std::span<const int> ec_coefficients(int level);

/// The 2^(level+1) error-correction codewords for data (length descriptor, data and
/// padding codewords), in the order they follow the data in the symbol. level 0..8.
std::vector<int> error_correction(std::span<const int> data, int level);

}  // namespace morvel::pdf417
