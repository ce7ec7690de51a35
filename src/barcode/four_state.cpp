#include "barcode/four_state.h"

#include "barcode/primitives.h"
#include "core/messages.h"

namespace morvel {

namespace {

// GF(64) with the primitive polynomial x^6 + x + 1.
struct Gf64 {
    std::array<int, 63> exp{};
    std::array<int, 64> log{};
    constexpr Gf64() {
        int v = 1;
        for (int i = 0; i < 63; ++i) {
            exp[static_cast<std::size_t>(i)] = v;
            log[static_cast<std::size_t>(v)] = i;
            v <<= 1;
            if (v & 64) v ^= 0x43;
        }
    }
    constexpr int mul(int a, int b) const {
        if (a == 0 || b == 0) return 0;
        return exp[static_cast<std::size_t>(
            (log[static_cast<std::size_t>(a)] + log[static_cast<std::size_t>(b)]) % 63)];
    }
};
constexpr Gf64 kGf;

// (x - a)(x - a^2)(x - a^3)(x - a^4) with a = 2: x^4 + 30x^3 + 29x^2 + 17x + 48.
constexpr std::array<int, 4> kGenerator = {30, 29, 17, 48};

// Characters of the C table by their value 0..63.
constexpr std::string_view kCharacterTable =
    "ABC DEF#GHIabcdeJKLfMNOgPQRhijklSTUmVWXnYZ0opqrs123t456u789vwxyz";
static_assert(kCharacterTable.size() == 64);

constexpr std::uint8_t kTracker = 3;

void append_symbol(FourStateBars& bars, int v) {
    bars.push_back(static_cast<std::uint8_t>(v / 16));
    bars.push_back(static_cast<std::uint8_t>(v / 4 % 4));
    bars.push_back(static_cast<std::uint8_t>(v % 4));
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::array<int, 4> four_state_parity(std::span<const int> symbols) {
    std::array<int, 4> r{};
    for (int s : symbols) {
        int f = (s ^ r[0]) & 63;
        r[0] = r[1] ^ kGf.mul(f, kGenerator[0]);
        r[1] = r[2] ^ kGf.mul(f, kGenerator[1]);
        r[2] = r[3] ^ kGf.mul(f, kGenerator[2]);
        r[3] = kGf.mul(f, kGenerator[3]);
    }
    return r;
}

std::optional<FourStateBars> four_state_bars(Run& run, std::string_view data, int minimum) {
    FourStateBars bars = {1, 3};
    char table = 'N';
    std::size_t i = 0;
    while (i < data.size()) {
        char c = data[i];
        if (c == '*') {
            char t = i + 1 < data.size() ? static_cast<char>(data[i + 1] & ~0x20) : '\0';
            if (t != 'B' && t != 'C' && t != 'D' && t != 'N') {
                report_error(run, 1, "Illegal '*' escape.  Must be *N, *C, *B or *D.");
                return std::nullopt;
            }
            table = t;
            i += 2;
            continue;
        }
        if (table == 'D') {
            if (!is_digit(c)) {
                report_error(run, 1, "Invalid character '%c' for current coding table.", c);
                return std::nullopt;
            }
            int v = 0;
            for (; i < data.size() && is_digit(data[i]); ++i)
                if (v <= 63) v = v * 10 + (data[i] - '0');
            if (i < data.size() && data[i] != ',' && data[i] != '*') {
                report_error(run, 1, "Numbers must be delimited by commas in *D mode.");
                return std::nullopt;
            }
            if (v > 63) {
                report_error(run, 1, "Numbers must be 0 to 63 in *D mode.");
                return std::nullopt;
            }
            if (i < data.size() && data[i] == ',') ++i;
            append_symbol(bars, v);
        } else if (table == 'N' && is_digit(c)) {
            int v = (c - '0') + (c - '0') / 3;
            bars.push_back(static_cast<std::uint8_t>(v / 4));
            bars.push_back(static_cast<std::uint8_t>(v % 4));
            ++i;
        } else if (table == 'B' && c >= '0' && c <= '3') {
            bars.push_back(static_cast<std::uint8_t>(c - '0'));
            ++i;
        } else if (std::size_t at = kCharacterTable.find(c);
                   table == 'C' && at != std::string_view::npos) {
            append_symbol(bars, static_cast<int>(at));
            ++i;
        } else {
            report_error(run, 1, "Invalid character '%c' for current coding table.", c);
            return std::nullopt;
        }
        if (bars.size() > kFourStateMaxBars) break;
    }
    // Filler up to the requested length and to whole symbols; parity and stop add 14.
    std::size_t filled = bars.size();
    if (minimum > 14 && static_cast<std::size_t>(minimum - 14) > filled)
        filled = static_cast<std::size_t>(minimum - 14);
    filled += (3 - (filled - 2) % 3) % 3;
    if (filled + 14 > kFourStateMaxBars) {
        report_error(run, 1, "Too many bars for the four-state barcode (at most %d).",
                     static_cast<int>(kFourStateMaxBars));
        return std::nullopt;
    }
    bars.resize(filled, kTracker);

    std::vector<int> symbols;
    for (std::size_t k = 2; k + 3 <= bars.size(); k += 3)
        symbols.push_back(bars[k] * 16 + bars[k + 1] * 4 + bars[k + 2]);
    for (int p : four_state_parity(symbols)) append_symbol(bars, p);
    bars.push_back(1);
    bars.push_back(3);
    return bars;
}

int encode_four_state(Run& run, PclOut& out, std::string_view data, int minimum, int x, int y) {
    std::optional<FourStateBars> bars = four_state_bars(run, data, minimum);
    if (!bars) return 1;
    draw_four_state_bars(out, *bars, x, y);
    return 0;
}

}  // namespace morvel
