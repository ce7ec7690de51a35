#pragma once
// The advance widths a printer gives the characters of its built-in proportional
// typefaces (see printer_metrics.cpp for their source).
#include <cstdint>
#include <span>

namespace morvel::render {

struct PrinterWidth {
    char32_t character;
    std::uint16_t width;  ///< in printer_width_unit() per em
};

struct PrinterMetrics {
    long typeface;                         ///< PCL typeface number
    int weight;                            ///< stroke weight, -7..7
    int style;                             ///< posture + 4 * width + 32 * structure
    std::span<const PrinterWidth> widths;  ///< sorted by character
};

/// Every built-in proportional font whose widths are known.
std::span<const PrinterMetrics> printer_metrics();

/// Width units per em of the table.
double printer_width_unit();

}  // namespace morvel::render
