#include "barcode/code39.h"

#include <array>

#include "barcode/primitives.h"
#include "core/messages.h"

namespace morvel {

namespace {

struct Code39Char {
    char c;
    std::string_view elements;  // bar, space, bar, ... bar; three of the nine wide
};

// The Code 39 character table of the symbology standard (43 characters and the
// start/stop character).
constexpr std::array<Code39Char, 44> kChars = {{
    {'0', "NNNWWNWNN"}, {'1', "WNNWNNNNW"}, {'2', "NNWWNNNNW"}, {'3', "WNWWNNNNN"},
    {'4', "NNNWWNNNW"}, {'5', "WNNWWNNNN"}, {'6', "NNWWWNNNN"}, {'7', "NNNWNNWNW"},
    {'8', "WNNWNNWNN"}, {'9', "NNWWNNWNN"}, {'A', "WNNNNWNNW"}, {'B', "NNWNNWNNW"},
    {'C', "WNWNNWNNN"}, {'D', "NNNNWWNNW"}, {'E', "WNNNWWNNN"}, {'F', "NNWNWWNNN"},
    {'G', "NNNNNWWNW"}, {'H', "WNNNNWWNN"}, {'I', "NNWNNWWNN"}, {'J', "NNNNWWWNN"},
    {'K', "WNNNNNNWW"}, {'L', "NNWNNNNWW"}, {'M', "WNWNNNNWN"}, {'N', "NNNNWNNWW"},
    {'O', "WNNNWNNWN"}, {'P', "NNWNWNNWN"}, {'Q', "NNNNNNWWW"}, {'R', "WNNNNNWWN"},
    {'S', "NNWNNNWWN"}, {'T', "NNNNWNWWN"}, {'U', "WWNNNNNNW"}, {'V', "NWWNNNNNW"},
    {'W', "WWWNNNNNN"}, {'X', "NWNNWNNNW"}, {'Y', "WWNNWNNNN"}, {'Z', "NWWNWNNNN"},
    {'-', "NWNNNNWNW"}, {'.', "WWNNNNWNN"}, {' ', "NWWNNNWNN"}, {'$', "NWNWNWNNN"},
    {'/', "NWNWNNNWN"}, {'+', "NWNNNWNWN"}, {'%', "NNNWNWNWN"}, {'*', "NWNNWNWNN"},
}};

struct Code39Pen {
    BarPen pen;
    int height;
    int narrow;
    int wide;

    void character(std::string_view elements) {
        for (std::size_t k = 0; k < elements.size(); ++k) {
            int w = elements[k] == 'W' ? wide : narrow;
            if (k % 2 == 0) {
                draw_bar(pen.out, pen.x, pen.y, w, height);
                pen.x += w;
            } else {
                pen.x += w;
                move_cursor(pen.out, pen.x, pen.y);
            }
        }
    }
};

}  // namespace

std::string_view code39_pattern(char c) {
    for (const Code39Char& entry : kChars)
        if (entry.c == c) return entry.elements;
    return {};
}

int encode_code39(Run& run, PclOut& out, int x, int y, int height, int module, double ratio,
                  std::string_view data) {
    for (char c : data) {
        if (c == '*' || code39_pattern(c).empty()) {
            report_warning(run, 0, "Bad character in Code39 (%c)", c);
            return 1;
        }
    }
    Code39Pen p{{out, x, y, false}, height, module, static_cast<int>(module * ratio)};
    std::string_view frame = code39_pattern('*');
    move_cursor(out, x, y);
    p.character(frame);
    p.pen.x += p.narrow;
    for (char c : data) {
        move_cursor(out, p.pen.x, p.pen.y);
        p.character(code39_pattern(c));
        p.pen.x += p.narrow;
    }
    // The gap before the stop character is two narrow modules.
    move_cursor(out, p.pen.x, p.pen.y);
    p.pen.x += p.narrow;
    move_cursor(out, p.pen.x, p.pen.y);
    p.character(frame);
    return 0;
}

}  // namespace morvel
