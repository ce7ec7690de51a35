#include "barcode/code128.h"

#include <array>

#include "barcode/primitives.h"
#include "core/messages.h"

namespace morvel {

namespace {

// Code 128 symbol character widths (bar, space, bar, space, bar, space) of the
// symbology's character table, values 0 to 105.
constexpr std::array<std::string_view, 106> kPatterns = {
    "212222", "222122", "222221", "121223", "121322", "131222", "122213", "122312", "132212",
    "221213", "221312", "231212", "112232", "122132", "122231", "113222", "123122", "123221",
    "223211", "221132", "221231", "213212", "223112", "312131", "311222", "321122", "321221",
    "312212", "322112", "322211", "212123", "212321", "232121", "111323", "131123", "131321",
    "112313", "132113", "132311", "211313", "231113", "231311", "112133", "112331", "132131",
    "113123", "113321", "133121", "313121", "211331", "231131", "213113", "213311", "213131",
    "311123", "311321", "331121", "312113", "312311", "332111", "314111", "221411", "431111",
    "111224", "111422", "121124", "121421", "141122", "141221", "112214", "112412", "122114",
    "122411", "142112", "142211", "241211", "221114", "413111", "241112", "134111", "111242",
    "121142", "121241", "114212", "124112", "124211", "411212", "421112", "421211", "212141",
    "214121", "412121", "111143", "111341", "131141", "114113", "114311", "411113", "411311",
    "113141", "114131", "311141", "411131", "211412", "211214", "211232"};
constexpr std::string_view kStop = "2331112";

enum CodeSet : int { kSetA = 0, kSetB = 1, kSetC = 2 };

// Symbol values with a meaning of their own.
constexpr int kFnc3 = 96;
constexpr int kFnc2 = 97;
constexpr int kShift = 98;
constexpr int kCodeC = 99;
constexpr int kCodeB = 100;  // FNC4 in set B
constexpr int kCodeA = 101;  // FNC4 in set A
constexpr int kFnc1 = 102;

// Reserved data bytes.
constexpr int kByteNul = 200;
constexpr int kByteFnc1 = 201;
constexpr int kByteFnc1Alias = 255;
constexpr int kByteFnc2 = 202;
constexpr int kByteFnc3 = 203;
constexpr int kByteFnc4 = 204;
constexpr int kByteUseA = 211;
constexpr int kByteUseB = 212;
constexpr int kByteUseC = 213;
constexpr int kByteShiftA = 221;
constexpr int kByteShiftB = 222;
constexpr int kByteAutoFirst = 231;
constexpr int kByteAutoLast = 233;

int normalise(unsigned char c) {
    if (c == kByteFnc1Alias) return kByteFnc1;
    if (c == kByteNul) return 0;
    return c;
}

// The byte as a message shows it: itself when printable, else ".".
int shown(int b) {
    return b >= 32 && b < 127 ? b : '.';
}

bool is_digit(int b) {
    return b >= '0' && b <= '9';
}

class Encoder {
  public:
    Encoder(Run& run, int code_set, std::string_view data, std::vector<int>& values)
        : run_(run), data_(data), values_(values), set_(code_set) {}

    int run() {
        values_.push_back(103 + set_);
        std::size_t i = 0;
        while (i < data_.size()) {
            int b = normalise(static_cast<unsigned char>(data_[i]));
            if (b >= kByteAutoFirst && b <= kByteAutoLast) {
                mode_ = b - kByteAutoFirst + 1;
                report_warning(run_, 1, "Bar128: Enabling auto-mode %d", mode_);
                ++i;
                continue;
            }
            int step = set_ == kSetC ? in_set_c(i, b) : in_set_ab(b);
            if (step < 0) return 3;
            i += static_cast<std::size_t>(step);
        }
        return 0;
    }

  private:
    // A symbol value; next_set is the set a switch or shift names, -1 for a character.
    void emit(int value, int next_set) {
        values_.push_back(value);
        if (next_set >= 0) {
            set_ = next_set;
        } else if (return_set_ >= 0) {
            set_ = return_set_;
            return_set_ = -1;
        }
    }
    // emit for a handler that consumed its byte.
    int put(int value, int next_set = -1) {
        emit(value, next_set);
        return 1;
    }
    int shift(int to) {
        int from = set_;
        emit(kShift, to);
        return_set_ = from;
        return 1;
    }

    // Each handler returns how many bytes it consumed (0: handle the byte again in the
    // set just switched to), or -1 after reporting an illegal byte.
    // Sets A and B: the same handler with the two sets' roles swapped.
    int in_set_ab(int b) {
        const bool in_a = set_ == kSetA;
        const int value = in_a ? (b < 32   ? b + 64
                                  : b < 96 ? b - 32
                                           : -1)
                               : (b >= 32 && b < 128 ? b - 32 : -1);
        if (value >= 0) return put(value);
        const int other = in_a ? kSetB : kSetA;
        const int other_code = in_a ? kCodeB : kCodeA;
        switch (b) {
            case kByteFnc1:
                return put(kFnc1);
            case kByteFnc2:
                return put(kFnc2);
            case kByteFnc3:
                return put(kFnc3);
            case kByteFnc4:
                return put(in_a ? kCodeA : kCodeB);
            case kByteUseA:
            case kByteUseB:
                return (b == kByteUseA) == in_a ? 1 : put(other_code, other);
            case kByteUseC:
                return put(kCodeC, kSetC);
            default:
                break;
        }
        if (b == (in_a ? kByteShiftB : kByteShiftA)) return shift(other);
        const char from = in_a ? 'A' : 'B';
        const char to = in_a ? 'B' : 'A';
        if ((in_a ? b < 128 : b < 32) && mode_ >= 2) {
            report_warning(run_, 1,
                           "Bar128: Code ('%c', %d, 0x%02x) triggered auto-switch from Code %c to "
                           "Code %c",
                           shown(b), b, static_cast<unsigned>(b), from, to);
            emit(other_code, other);
            return 0;
        }
        report_error(run_, 1, "Bar128: Illegal code ('%c', %d, 0x%02x) for Code %c", shown(b), b,
                     static_cast<unsigned>(b), from);
        return -1;
    }

    // The set an automatic switch out of C goes to, chosen by the byte that forced it.
    int auto_target(int b) const {
        if (b >= 96 && b < 128) return kSetB;
        if (b >= 0 && b < 32) return kSetA;
        return mode_ == 3 ? kSetA : kSetB;
    }

    int in_set_c(std::size_t i, int b) {
        if (is_digit(b)) return digit_in_set_c(i, b);
        switch (b) {
            case kByteFnc1:
                return put(kFnc1);
            case kByteUseA:
                return put(kCodeA, kSetA);
            case kByteUseB:
                return put(kCodeB, kSetB);
            case kByteUseC:
                return 1;
            default:
                break;
        }
        if (mode_ >= 2) {
            if (auto_target(b) == kSetB) {
                report_warning(run_, 1,
                               "Bar128: Code ('%c', %d, 0x%02x) triggered auto-switch from Code C "
                               "to Code B",
                               shown(b), b, static_cast<unsigned>(b));
                emit(kCodeB, kSetB);
            } else {
                report_warning(run_, 1,
                               "Bar128: Code ('%c', %d, 0x%02x) triggered auto-switch from Code C "
                               "to Code A",
                               shown(b), b, static_cast<unsigned>(b));
                emit(kCodeA, kSetA);
            }
            return 0;
        }
        report_error(run_, 1, "Bar128: Illegal code ('%c', %d, 0x%02x) for Code C", shown(b), b,
                     static_cast<unsigned>(b));
        return -1;
    }

    int digit_in_set_c(std::size_t i, int digit) {
        int next = i + 1 < data_.size() ? normalise(static_cast<unsigned char>(data_[i + 1])) : -1;
        if (is_digit(next)) {
            emit((digit - '0') * 10 + (next - '0'), -1);
            return 2;
        }
        if (next == kByteUseA) {
            report_warning(run_, 1,
                           "Bar128: left-over digit ('%c') triggered early-switch from Code C to "
                           "Code A",
                           digit);
            emit(kCodeA, kSetA);
            return 0;
        }
        if (next == kByteUseB) {
            report_warning(run_, 1,
                           "Bar128: left-over digit ('%c') triggered early-switch from Code C to "
                           "Code B",
                           digit);
            emit(kCodeB, kSetB);
            return 0;
        }
        if (mode_ == 0) {
            report_error(run_, 1, "Bar128: Odd number of digits in Code C");
            return -1;
        }
        if (mode_ == 1 && next != kByteFnc1 && next != -1) {
            report_error(run_, 1,
                         "Bar128: Odd digit ('%c') followed by illegal code ('%c', %d, 0x%02x) "
                         "for Code C",
                         digit, shown(next), next, static_cast<unsigned>(next));
            return -1;
        }
        if (auto_target(next) == kSetB) {
            report_warning(run_, 1,
                           "Bar128: left-over digit ('%c') triggered auto-switch from Code C to "
                           "Code B",
                           digit);
            emit(kCodeB, kSetB);
        } else {
            report_warning(run_, 1,
                           "Bar128: left-over digit ('%c') triggered auto-switch from Code C to "
                           "Code A",
                           digit);
            emit(kCodeA, kSetA);
        }
        return 0;
    }

    Run& run_;
    std::string_view data_;
    std::vector<int>& values_;
    int set_;
    int return_set_ = -1;  // the set a shift returns to after its one character
    int mode_ = 0;         // automatic mode, 0 none
};

void draw_pattern(BarPen& pen, std::string_view widths, int height, int module) {
    for (std::size_t k = 0; k < widths.size(); ++k) {
        int w = (widths[k] - '0') * module;
        if (k % 2 == 0) draw_bar(pen.out, pen.x, pen.y, w, height);
        pen.x += w;
    }
}

}  // namespace

std::string_view code128_pattern(int value) {
    return kPatterns[static_cast<std::size_t>(value)];
}

Code128Symbols code128_symbols(Run& run, int code_set, std::string_view data) {
    Code128Symbols result;
    if (code_set < 0 || code_set > 2) {
        result.status = 4;
        return result;
    }
    if (data.empty()) {
        result.status = 2;
        return result;
    }
    Encoder encoder(run, code_set, data, result.values);
    result.status = encoder.run();
    return result;
}

int code128_check(const std::vector<int>& values) {
    long sum = values.empty() ? 0 : values[0];
    for (std::size_t i = 1; i < values.size(); ++i) sum += static_cast<long>(i) * values[i];
    return static_cast<int>(sum % 103);
}

int encode_code128(Run& run, PclOut& out, int x, int y, int height, int module, int code_set,
                   std::string_view data) {
    Code128Symbols symbols = code128_symbols(run, code_set, data);
    if (symbols.status == 2 || symbols.status == 4) return symbols.status;
    BarPen pen{out, x, y, false};
    for (int value : symbols.values) draw_pattern(pen, code128_pattern(value), height, module);
    if (symbols.status != 0) return symbols.status;
    draw_pattern(pen, code128_pattern(code128_check(symbols.values)), height, module);
    draw_pattern(pen, kStop, height, module);
    return 0;
}

}  // namespace morvel
