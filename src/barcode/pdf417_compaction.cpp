#include "barcode/pdf417_compaction.h"

#include <array>
#include <cstdint>
#include <optional>

namespace morvel::pdf417 {
namespace {

constexpr int kLatchText = 900;
constexpr int kLatchByte = 901;
constexpr int kLatchNumeric = 902;
constexpr int kLatchByteSixes = 924;  // byte compaction whose length is a multiple of 6

constexpr std::size_t kNumericRun = 13;  // fewer digits compact better as text
constexpr std::size_t kTextRun = 5;      // fewer text characters stay inside bytes
constexpr std::size_t kNumericGroup = 44;

// Text compaction sub-modes.
enum Sub { kUpper, kLower, kMixed, kPunct };

// Values that change the sub-mode, and where each means what.
constexpr int kToLower = 27;       // upper, mixed: latch; punctuation (after 29): latch
constexpr int kShiftUpper = 27;    // lower: one upper-case character
constexpr int kToMixed = 28;       // upper, lower, punctuation (after 29): latch
constexpr int kToUpper = 28;       // mixed: latch
constexpr int kToPunct = 25;       // mixed: latch
constexpr int kShiftPunct = 29;    // upper, lower, mixed: one punctuation character
constexpr int kPunctToUpper = 29;  // punctuation: latch
constexpr int kPad = 29;           // completes an odd number of values

// Each sub-mode's characters by value: the text compaction table of ISO/IEC 15438.
constexpr auto kValues = [] {
    std::array<std::array<std::int8_t, 128>, 4> v{};
    for (auto& sub : v) sub.fill(-1);
    auto fill = [&v](Sub sub, std::string_view chars) {
        for (std::size_t i = 0; i < chars.size(); ++i) {
            v[sub][static_cast<unsigned char>(chars[i])] = static_cast<std::int8_t>(i);
        }
    };
    fill(kUpper, "ABCDEFGHIJKLMNOPQRSTUVWXYZ ");
    fill(kLower, "abcdefghijklmnopqrstuvwxyz ");
    fill(kMixed, "0123456789&\r\t,:#-.$/+%*=^");
    v[kMixed][' '] = 26;  // 25 is the latch to punctuation
    fill(kPunct, ";<>@[\\]_`~!\r\t,:\n-.$/\"|*()?{}'");
    return v;
}();

int value_in(Sub sub, int c) {
    return c >= 0 && c < 128 ? kValues[sub][c] : -1;
}

// The sub-mode a character is taken from when the current one lacks it; characters of
// both mixed and punctuation count as mixed, and the space as upper case.
Sub home_of(int c) {
    if ((c >= 'A' && c <= 'Z') || c == ' ') return kUpper;
    if (c >= 'a' && c <= 'z') return kLower;
    return value_in(kMixed, c) >= 0 ? kMixed : kPunct;
}

bool punct_only(int c) {
    return c >= 0 && home_of(c) == kPunct;
}
bool is_upper(int c) {
    return c >= 'A' && c <= 'Z';
}
bool is_digit(unsigned char c) {
    return c >= '0' && c <= '9';
}
bool is_text(unsigned char c) {
    return (c >= 32 && c <= 126) || c == '\t' || c == '\n' || c == '\r';
}

std::size_t digit_run(std::string_view data, std::size_t i) {
    std::size_t start = i;
    while (i < data.size() && is_digit(static_cast<unsigned char>(data[i]))) ++i;
    return i - start;
}

// End of the text run from pos: before a non-text byte or before 13 digits in a row.
std::size_t text_run_end(std::string_view data, std::size_t pos) {
    std::size_t i = pos;
    while (i < data.size() && is_text(static_cast<unsigned char>(data[i]))) {
        std::size_t digits = digit_run(data, i);
        if (digits >= kNumericRun) break;
        i += digits > 0 ? digits : 1;
    }
    return i;
}

// End of the byte run from pos: before 13 digits in a row, or before a stretch of text
// long enough for its own segment; shorter stretches stay inside.
std::size_t byte_run_end(std::string_view data, std::size_t pos) {
    std::size_t i = pos;
    while (i < data.size()) {
        if (!is_text(static_cast<unsigned char>(data[i]))) {
            ++i;
            continue;
        }
        std::size_t end = text_run_end(data, i);
        if (end - i >= kTextRun && i > pos) return i;
        if (end < data.size() && is_text(static_cast<unsigned char>(data[end]))) return end;
        i = end;
    }
    return i;
}

class Pusher {
  public:
    explicit Pusher(std::vector<int>& codewords) : codewords_(codewords) {}
    void operator()(int cw) {
        if (codewords_.size() < kMaxCodewords) codewords_.push_back(cw);
    }

  private:
    std::vector<int>& codewords_;
};

void compact_text(std::string_view text, Pusher& push) {
    std::vector<int> values = text_values(text);
    if (values.size() % 2 != 0) values.push_back(kPad);
    for (std::size_t i = 0; i < values.size(); i += 2) push(30 * values[i] + values[i + 1]);
}

// One group of up to 44 digits: the number written with a leading 1, in base 900.
void compact_numeric_group(std::string_view digits, Pusher& push) {
    std::array<int, kNumericGroup + 1> dec{};
    std::size_t len = 0;
    dec[len++] = 1;
    for (char ch : digits) dec[len++] = ch - '0';
    std::array<int, 16> base900{};  // 10^45 < 900^16
    std::size_t count = 0;
    std::size_t start = 0;
    while (start < len) {
        int rem = 0;
        for (std::size_t i = start; i < len; ++i) {
            int cur = rem * 10 + dec[i];
            dec[i] = cur / 900;
            rem = cur % 900;
        }
        base900[count++] = rem;
        while (start < len && dec[start] == 0) ++start;
    }
    while (count > 0) push(base900[--count]);
}

void compact_bytes(std::string_view bytes, Pusher& push) {
    push(bytes.size() % 6 == 0 ? kLatchByteSixes : kLatchByte);
    std::size_t i = 0;
    for (; i + 6 <= bytes.size(); i += 6) {
        std::uint64_t v = 0;
        for (std::size_t j = 0; j < 6; ++j) v = (v << 8) | static_cast<unsigned char>(bytes[i + j]);
        std::array<int, 5> group{};
        for (int j = 4; j >= 0; --j) {
            group[static_cast<std::size_t>(j)] = static_cast<int>(v % 900);
            v /= 900;
        }
        for (int cw : group) push(cw);
    }
    for (; i < bytes.size(); ++i) push(static_cast<unsigned char>(bytes[i]));
}

}  // namespace

std::vector<Segment> segment(std::string_view data) {
    std::vector<Segment> segments;
    std::size_t pos = 0;
    while (pos < data.size()) {
        std::size_t end = pos + digit_run(data, pos);
        Mode mode = Mode::numeric;
        if (end - pos < kNumericRun) {
            end = text_run_end(data, pos);
            mode = Mode::text;
            if (end - pos < kTextRun) {
                end = byte_run_end(data, pos);
                mode = Mode::byte;
            }
        }
        segments.push_back({mode, data.substr(pos, end - pos)});
        pos = end;
    }
    return segments;
}

void compact(const std::vector<Segment>& segments, std::vector<int>& codewords) {
    Pusher push(codewords);
    std::optional<Mode> previous;
    for (const Segment& seg : segments) {
        switch (seg.mode) {
            case Mode::text:
                // A symbol starts in text compaction, so only later text needs the latch.
                if (previous) push(kLatchText);
                compact_text(seg.bytes, push);
                break;
            case Mode::numeric:
                if (previous != Mode::numeric) push(kLatchNumeric);
                for (std::size_t i = 0; i < seg.bytes.size(); i += kNumericGroup) {
                    compact_numeric_group(seg.bytes.substr(i, kNumericGroup), push);
                }
                break;
            case Mode::byte:
                compact_bytes(seg.bytes, push);
                break;
        }
        previous = seg.mode;
    }
}

std::vector<int> text_values(std::string_view text) {
    std::vector<int> values;
    values.reserve(text.size() * 2);
    Sub sub = kUpper;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int c = static_cast<unsigned char>(text[i]);
        if (int v = value_in(sub, c); v >= 0) {
            values.push_back(v);
            continue;
        }
        const int next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : -1;
        const Sub target = home_of(c);
        // A lone character from another sub-mode is shifted in where a shift exists;
        // otherwise the sub-mode is latched.
        switch (sub) {
            case kUpper:
            case kLower:
                if (target == kPunct) {
                    if (punct_only(next)) {
                        values.insert(values.end(), {kToMixed, kToPunct});
                        sub = kPunct;
                    } else {
                        values.push_back(kShiftPunct);
                    }
                } else if (target == kMixed) {
                    values.push_back(kToMixed);
                    sub = kMixed;
                } else if (target == kLower) {
                    values.push_back(kToLower);
                    sub = kLower;
                } else if (is_upper(next)) {  // upper case from lower
                    values.insert(values.end(), {kToMixed, kToUpper});
                    sub = kUpper;
                } else {
                    values.push_back(kShiftUpper);
                }
                break;
            case kMixed:
                if (target == kPunct) {
                    if (punct_only(next)) {
                        values.push_back(kToPunct);
                        sub = kPunct;
                    } else {
                        values.push_back(kShiftPunct);
                    }
                } else {
                    values.push_back(target == kUpper ? kToUpper : kToLower);
                    sub = target;
                }
                break;
            case kPunct:
                values.push_back(kPunctToUpper);
                if (target == kLower) values.push_back(kToLower);
                if (target == kMixed) values.push_back(kToMixed);
                sub = target;
                break;
        }
        values.push_back(value_in(target, c));
    }
    return values;
}

}  // namespace morvel::pdf417
