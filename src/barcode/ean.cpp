#include "barcode/ean.h"

#include <array>

#include "barcode/primitives.h"
#include "core/messages.h"

namespace morvel {

namespace {

constexpr int kModule = 4;
constexpr int kDataHeight = 243;
constexpr int kGuardHeight = 268;
constexpr int kGlyphOffsetX = 5;
constexpr int kGlyphOffsetY = 247;

// Element widths of the number sets of the EAN/UPC standard. Set A (odd parity) starts
// with a space; set C is set A with bars and spaces swapped, so it shares the widths
// and starts with a bar; set B (even parity) is set A mirrored.
constexpr std::array<std::string_view, 10> kSetA = {"3211", "2221", "2122", "1411", "1132",
                                                    "1231", "1114", "1312", "1213", "3112"};
constexpr std::array<std::string_view, 10> kSetB = {"1123", "1222", "2212", "1141", "2311",
                                                    "1321", "4111", "2131", "3121", "2113"};

// Left-half parities of EAN-13 by the leading digit, and of UPC-E (number system 0) by
// the check digit.
constexpr std::array<std::string_view, 10> kEan13Parity = {"AAAAAA", "AABABB", "AABBAB", "AABBBA",
                                                           "ABAABB", "ABBAAB", "ABBBAA", "ABABAB",
                                                           "ABABBA", "ABBABA"};
constexpr std::array<std::string_view, 10> kUpcEParity = {"BBBAAA", "BBABAA", "BBAABA", "BBAAAB",
                                                          "BABBAA", "BAABBA", "BAAABB", "BABABA",
                                                          "BABAAB", "BAABAB"};

enum class NumberSet { A, B, C };

struct EanPen {
    BarPen pen;

    void digit(char d, NumberSet set) {
        std::size_t i = static_cast<std::size_t>(d - '0');
        std::string_view widths = set == NumberSet::B ? kSetB[i] : kSetA[i];
        bool is_bar = set == NumberSet::C;
        int x0 = pen.x;
        for (char w : widths) {
            int width = (w - '0') * kModule;
            if (is_bar) draw_bar(pen.out, pen.x, pen.y, width, kDataHeight);
            pen.x += width;
            is_bar = !is_bar;
        }
        draw_digit_glyph(pen.out, d - '0', x0 + kGlyphOffsetX, pen.y + kGlyphOffsetY, pen.colour);
    }
    // Guard bars at these module offsets; the guard is span modules wide.
    void guard(std::initializer_list<int> bars, int span) {
        for (int m : bars) draw_bar(pen.out, pen.x + m * kModule, pen.y, kModule, kGuardHeight);
        pen.x += span * kModule;
    }
    void normal_guard() { guard({0, 2}, 3); }
    void centre_guard() { guard({1, 3}, 5); }
    void upce_end_guard() { guard({1, 3, 5}, 6); }

    void left_half(std::string_view digits, std::string_view parity) {
        for (std::size_t i = 0; i < digits.size(); ++i)
            digit(digits[i], parity[i] == 'B' ? NumberSet::B : NumberSet::A);
    }
};

bool all_digits(std::string_view s) {
    for (char c : s)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

int ean_check_digit(std::string_view digits) {
    int sum = 0;
    bool odd = true;  // counted from the right end
    for (std::size_t i = digits.size(); i-- > 0;) {
        int d = digits[i] - '0';
        sum += odd ? 3 * d : d;
        odd = !odd;
    }
    return (10 - sum % 10) % 10;
}

UpcECompression compress_upce(Run& run, std::string_view upca) {
    UpcECompression result;
    auto zeros = [&](std::size_t from, std::size_t count) {
        return upca.substr(from, count).find_first_not_of('0') == std::string_view::npos;
    };
    auto pick = [&](std::initializer_list<std::size_t> at, char last) {
        for (std::size_t i : at) result.digits += upca[i];
        if (last) result.digits += last;
    };
    char d3 = upca[3], d10 = upca[10];
    if (zeros(6, 4) && d10 >= '5') {
        if (upca[5] == '0') {
            report_warning(run, 0, "UPC-E : type %d, illegal char 5\n", d10 - '0');
            result.status = 3;
            return result;
        }
        pick({1, 2, 3, 4, 5, 10}, 0);
    } else if (zeros(5, 5)) {
        if (upca[4] == '0') {
            report_warning(run, 0, "UPC-E : type 4, illegal char 5\n");
            result.status = 3;
            return result;
        }
        pick({1, 2, 3, 4, 10}, '4');
    } else if (zeros(4, 5)) {
        if (d3 < '3') {
            report_warning(run, 0, "UPC-E : type 3, illegal char 5\n");
            result.status = 3;
            return result;
        }
        pick({1, 2, 3, 9, 10}, '3');
    } else if (d3 <= '2' && zeros(4, 4)) {
        pick({1, 2, 8, 9, 10}, d3);
    } else {
        result.status = 4;
    }
    return result;
}

int encode_ean8(Run& run, PclOut& out, int x, int y, std::string_view data, bool colour) {
    if (data.size() != 7 && data.size() != 8) {
        report_warning(run, 0, "Length wrong in EAN8 - %i instead of 7/8",
                       static_cast<int>(data.size()));
        return 1;
    }
    if (!all_digits(data)) {
        report_warning(run, 0, "Non-numeric in EAN8");
        return 2;
    }
    std::string digits(data.substr(0, 7));
    digits += static_cast<char>('0' + ean_check_digit(digits));
    EanPen p{{out, x, y, colour}};
    move_cursor(out, x, y);
    p.normal_guard();
    p.left_half(std::string_view(digits).substr(0, 4), "AAAA");
    p.centre_guard();
    for (char d : std::string_view(digits).substr(4)) p.digit(d, NumberSet::C);
    p.normal_guard();
    return 0;
}

int encode_ean13(Run& run, PclOut& out, int x, int y, std::string_view data, int checksum_pos,
                 bool colour) {
    if (data.size() != 12 && data.size() != 13) {
        report_warning(run, 0, "Wrong size string in EAN/UPC code: %i instead of 12/13",
                       static_cast<int>(data.size()));
        return 1;
    }
    if (!all_digits(data)) {
        report_warning(run, 0, "Non-numeric in EAN13");
        return 2;
    }
    std::string digits(data.substr(0, 12));
    int check = ean_check_digit(digits);
    digits += static_cast<char>('0' + check);
    EanPen p{{out, x, y, colour}};
    if (checksum_pos & 1) draw_digit_glyph(out, check, x - 36, y + kGlyphOffsetY, colour);
    if (checksum_pos & 2) draw_digit_glyph(out, digits[0] - '0', x - 36, y + kGlyphOffsetY, colour);
    if (checksum_pos & 4) draw_digit_glyph(out, check, x + 396, y + kGlyphOffsetY, colour);
    move_cursor(out, x, y);
    p.normal_guard();
    p.left_half(std::string_view(digits).substr(1, 6),
                kEan13Parity[static_cast<std::size_t>(digits[0] - '0')]);
    p.centre_guard();
    for (char d : std::string_view(digits).substr(7)) p.digit(d, NumberSet::C);
    p.normal_guard();
    return 0;
}

int encode_upce(Run& run, PclOut& out, int x, int y, std::string_view data, bool colour) {
    if (data.size() != 11 && data.size() != 12) {
        report_warning(run, 0, "Wrong length - %i instead of 11/12 digits\n",
                       static_cast<int>(data.size()));
        return 1;
    }
    if (!all_digits(data)) {
        report_warning(run, 0, "Non-numeric in UPC-E\n");
        return 2;
    }
    if (data[0] != '0') {
        report_warning(run, 0, "Prefix must be 0 in UPC-E\n");
        return 3;
    }
    std::string_view upca = data.substr(0, 11);
    int check = ean_check_digit(upca);
    UpcECompression upce = compress_upce(run, upca);
    if (upce.status != 0) return upce.status;
    EanPen p{{out, x, y, colour}};
    move_cursor(out, x, y);
    p.normal_guard();
    p.left_half(upce.digits, kUpcEParity[static_cast<std::size_t>(check)]);
    p.upce_end_guard();
    draw_digit_glyph(out, 0, x - 40, y + 121, colour);
    return 0;
}

}  // namespace morvel
