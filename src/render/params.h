#pragma once
// Bounding the numbers a job gives before they become integers: any value may arrive.
#include <algorithm>

namespace morvel::render {

/// Points per HP-GL/2 plotter unit (1/1016 inch).
constexpr double kPlu = 72.0 / 1016;

/// Points an HP-GL/2 polygon keeps at most.
constexpr std::size_t kMaxPolygonPoints = 1 << 16;

/// `v` as an int within [lo, hi]; NaN gives lo.
inline int clamp_int(double v, int lo, int hi) {
    if (!(v >= lo)) return lo;
    if (v > hi) return hi;
    return static_cast<int>(v);
}

/// An HP-GL/2 parameter as an int, bounded first.
inline int to_int(double v) {
    return static_cast<int>(std::clamp(v, -1e9, 1e9));
}

/// A byte count given by a command: never negative, never absurd.
inline long long byte_count(double v) {
    if (!(v > 0)) return 0;
    return static_cast<long long>(std::min(v, 1e12));
}

}  // namespace morvel::render
