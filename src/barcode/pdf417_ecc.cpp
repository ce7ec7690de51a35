#include "barcode/pdf417_ecc.h"

#include <array>

#include "barcode/pdf417_tables.h"

namespace morvel::pdf417 {
namespace {

constexpr int kMod = kCodewordCount;
constexpr int kLevels = 9;
// 2 + 4 + ... + 512 coefficients of the nine levels, stored one level after the other.
constexpr int kCoefficientTotal = (2 << kLevels) - 2;

constexpr int level_offset(int level) {
    return (2 << level) - 2;
}

// The generator polynomial of a level is the product of (x - 3^i) for i = 1..k; working
// it out once at compile time leaves no table to mistype.
constexpr auto kCoefficients = [] {
    std::array<int, kCoefficientTotal> all{};
    for (int level = 0; level < kLevels; ++level) {
        const int k = 2 << level;
        std::array<int, 513> poly{};  // poly[j] multiplies x^j
        poly[0] = 1;
        int root = 1;
        for (int i = 1; i <= k; ++i) {
            root = root * 3 % kMod;
            // Multiply by (x - root): the new degree i term is the old degree i-1 term.
            for (int j = i; j > 0; --j) {
                poly[j] = (poly[j - 1] + kMod - root * poly[j] % kMod) % kMod;
            }
            poly[0] = (kMod - root * poly[0] % kMod) % kMod;
        }
        for (int j = 0; j < k; ++j) all[level_offset(level) + j] = poly[j];
    }
    return all;
}();

}  // namespace

std::span<const int> ec_coefficients(int level) {
    return std::span<const int>(kCoefficients)
        .subspan(static_cast<std::size_t>(level_offset(level)), std::size_t{2} << level);
}

std::vector<int> error_correction(std::span<const int> data, int level) {
    const std::span<const int> a = ec_coefficients(level);
    const int k = static_cast<int>(a.size());
    // The remainder of data(x) * x^k divided by the generator, kept negated while the
    // division runs; reg[j] multiplies x^j.
    std::vector<int> reg(a.size(), 0);
    for (int d : data) {
        const int t = (d + reg[k - 1]) % kMod;
        for (int j = k - 1; j > 0; --j) {
            reg[j] = (reg[j - 1] + kMod - t * a[j] % kMod) % kMod;
        }
        reg[0] = (kMod - t * a[0] % kMod) % kMod;
    }
    std::vector<int> out;
    out.reserve(a.size());
    for (int j = k - 1; j >= 0; --j) out.push_back((kMod - reg[j]) % kMod);
    return out;
}

}  // namespace morvel::pdf417
