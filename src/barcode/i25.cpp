#include "barcode/i25.h"

#include <array>
#include <string>

#include "barcode/primitives.h"
#include "core/messages.h"

namespace morvel {

namespace {

// Widths of the five elements of each digit, from the symbology standard.
constexpr std::array<std::string_view, 10> kDigits = {"NNWWN", "WNNNW", "NWNNW", "WWNNN", "NNWNW",
                                                      "WNWNN", "NWWNN", "NNNWW", "WNNWN", "NWNWN"};

}  // namespace

int encode_i25(Run& run, PclOut& out, int x, int y, int height, int module, double ratio,
               std::string_view data) {
    // The digits index the pattern table: anything else would read outside it.
    for (char c : data) {
        if (c < '0' || c > '9') {
            report_warning(run, 0, "Non-numeric in I25");
            return 1;
        }
    }
    std::string digits;
    if (data.size() % 2 != 0) digits += '0';
    digits += data;

    const int narrow = module;
    const int wide = static_cast<int>(module * ratio);
    BarPen pen{out, x, y, false};
    auto bar = [&](int w) {
        draw_bar(out, pen.x, pen.y, w, height);
        pen.x += w;
    };
    auto space = [&](int w) {
        pen.x += w;
        move_cursor(out, pen.x, pen.y);
    };

    move_cursor(out, x, y);
    pen.x += narrow;
    bar(narrow);
    pen.x += narrow;
    bar(narrow);
    pen.x += narrow;
    for (std::size_t i = 0; i + 1 < digits.size(); i += 2) {
        std::string_view bars = kDigits[static_cast<std::size_t>(digits[i] - '0')];
        std::string_view spaces = kDigits[static_cast<std::size_t>(digits[i + 1] - '0')];
        for (std::size_t k = 0; k < 5; ++k) {
            bar(bars[k] == 'W' ? wide : narrow);
            space(spaces[k] == 'W' ? wide : narrow);
        }
    }
    // The stop pattern follows the last data space directly, as the symbology lays it out.
    bar(wide);
    space(narrow);
    bar(narrow);
    pen.x += narrow;
    return 0;
}

}  // namespace morvel
