#include "core/strfmt.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace morvel {
namespace {

// The C library's rendering of the same format, to compare strfmt with.
[[gnu::format(printf, 1, 2)]] std::string c_format(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    va_list copy;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), fmt, ap);
    va_end(ap);
    return std::string(buffer.data(), static_cast<std::size_t>(n));
}

#define EXPECT_LIKE_C(...) EXPECT_EQ(strfmt(__VA_ARGS__), c_format(__VA_ARGS__))

TEST(Strfmt, IntegersTextAndCharactersAsTheCLibraryWritesThem) {
    for (int v : {0, 7, -7, 42, -300, 2400, INT_MAX, INT_MIN}) {
        EXPECT_LIKE_C("\x1b*p%dx%dY", v, v / -2);
        EXPECT_LIKE_C("[%3d|%-4d|%03d|%08i]", v, v, v, v);
        EXPECT_LIKE_C("%.2d %+d % d", v, v, v);  // left to the C library
    }
    for (long v : {0L, 12L, -99999999999L, LONG_MAX, LONG_MIN}) {
        EXPECT_LIKE_C("%ld;%lld;%zu", v, static_cast<long long>(v), static_cast<std::size_t>(v));
        EXPECT_LIKE_C("%lu %04u", static_cast<unsigned long>(v), static_cast<unsigned>(v));
    }
    EXPECT_LIKE_C("%s|%5s|%-5s|%.3s|%c|%3c|%-3c|%%|100%%", "abc", "ab", "ab", "abcdef", 'x', 'y',
                  'z');
    EXPECT_LIKE_C("%s and %s", "", "plain text without conversions");
    EXPECT_LIKE_C("%f %.2f %0*.*f %5.1f", 3.14159, -0.005, 8, 3, 2.5, 99.95);
    EXPECT_LIKE_C("no conversion at all");
    // A NUL character is kept as a byte of the text.
    EXPECT_EQ(strfmt("a%cb", '\0'), std::string("a\0b", 3));
}

// %f is written without the C library: it must round exactly as the C library does.
TEST(Strfmt, FixedDecimalsAsTheCLibraryWritesThem) {
    const double values[] = {0.0,      -0.0,      10.0,    12.5,     0.0000005,      0.0000015,
                             2.5e-7,   1.0000005, 0.125,   -99.95,   1e22,           -1e300,
                             1e-310,   5e-324,    DBL_MAX, -DBL_MIN, 123456.7890125, 0.1 + 0.2,
                             HUGE_VAL, -HUGE_VAL, NAN};
    for (double v : values) EXPECT_LIKE_C("\x1b(s1p%fv%lf|%f", v, v, -v);
    std::mt19937_64 random(12345);
    for (int i = 0; i < 20000; ++i) {
        double v =
            std::ldexp(static_cast<double>(random() >> 11), static_cast<int>(random() % 80) - 70);
        if (random() % 2) v = -v;
        EXPECT_LIKE_C("%f", v);
    }
}

TEST(Strfmt, AppendsAfterWhatIsThere) {
    std::string out = "head:";
    appendf(out, "%d/%s", 5, "x");
    appendf(out, "|%.1f", 0.25);
    EXPECT_EQ(out, "head:5/x|" + c_format("%.1f", 0.25));
}

}  // namespace
}  // namespace morvel
