#include "barcode/pcl_render.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace morvel::test {

namespace {

struct Command {
    char group;   // the two characters after ESC, e.g. '*' 'p'
    char letter;  // the parameter letter, upper case
    long value;
    std::string_view data;  // the bytes a 'W' parameter carries
};

// Splits a PCL stream into parameterised commands, combined ones ("\e*p10x20Y") into
// one command per parameter.
template <typename F>
void each_command(std::string_view pcl, F&& f) {
    std::size_t i = 0;
    while (i < pcl.size()) {
        if (pcl[i] != '\033' || i + 2 >= pcl.size()) {
            ++i;
            continue;
        }
        char group = pcl[i + 2];
        i += 3;
        for (;;) {
            std::size_t start = i;
            while (i < pcl.size() && (std::isdigit(static_cast<unsigned char>(pcl[i])) ||
                                      pcl[i] == '-' || pcl[i] == '+' || pcl[i] == '.'))
                ++i;
            if (i >= pcl.size()) return;
            long value =
                std::strtol(std::string(pcl.substr(start, i - start)).c_str(), nullptr, 10);
            char letter = pcl[i++];
            std::string_view data;
            char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
            if (upper == 'W' && value > 0) {
                data = pcl.substr(i, static_cast<std::size_t>(value));
                i += data.size();
            }
            f(Command{group, upper, value, data});
            if (!std::islower(static_cast<unsigned char>(letter))) break;
        }
    }
}

struct Raster {
    std::vector<Rect> rects;
    std::vector<std::pair<int, int>> dots;  // black raster pixels
};

Raster interpret(std::string_view pcl) {
    Raster r;
    int x = 0, y = 0, w = 0, h = 0, row_x = 0, row_y = 0;
    each_command(pcl, [&](const Command& c) {
        if (c.group == 'p' && c.letter == 'X') x = static_cast<int>(c.value);
        if (c.group == 'p' && c.letter == 'Y') y = static_cast<int>(c.value);
        if (c.group == 'c' && c.letter == 'A') w = static_cast<int>(c.value);
        if (c.group == 'c' && c.letter == 'B') h = static_cast<int>(c.value);
        if (c.group == 'c' && c.letter == 'P' && c.value == 0) r.rects.push_back({x, y, w, h});
        if (c.group == 'r' && c.letter == 'A') row_x = x, row_y = y;
        if (c.group == 'b' && c.letter == 'W') {
            for (std::size_t k = 0; k < c.data.size() * 8; ++k)
                if (static_cast<unsigned char>(c.data[k / 8]) & (0x80u >> (k % 8)))
                    r.dots.emplace_back(row_x + static_cast<int>(k), row_y);
            ++row_y;
        }
    });
    return r;
}

}  // namespace

std::vector<Rect> pcl_rects(std::string_view pcl) {
    return interpret(pcl).rects;
}

Bitmap render_pcl(std::string_view pcl, int margin) {
    Raster r = interpret(pcl);
    int right = 0, bottom = 0;
    for (const Rect& q : r.rects)
        right = std::max(right, q.x + q.w), bottom = std::max(bottom, q.y + q.h);
    for (auto [px, py] : r.dots) right = std::max(right, px + 1), bottom = std::max(bottom, py + 1);
    Bitmap bm;
    bm.width = right + margin;
    bm.height = bottom + margin;
    bm.pixels.assign(static_cast<std::size_t>(bm.width * bm.height), 0);
    auto set = [&](int px, int py) {
        if (px >= 0 && py >= 0 && px < bm.width && py < bm.height)
            bm.pixels[static_cast<std::size_t>(py * bm.width + px)] = 1;
    };
    for (const Rect& q : r.rects)
        for (int py = q.y; py < q.y + q.h; ++py)
            for (int px = q.x; px < q.x + q.w; ++px) set(px, py);
    for (auto [px, py] : r.dots) set(px, py);
    return bm;
}

std::optional<std::string> decode_bitmap(const Bitmap& bm, const std::string& dir) {
    bool zbar = std::system("command -v zbarimg >/dev/null 2>&1") == 0;
    bool zxing = !zbar && std::system("command -v ZXingReader >/dev/null 2>&1") == 0;
    if (!zbar && !zxing) return std::nullopt;
    std::string image = dir + "/symbol.pgm", text = dir + "/decoded.txt";
    {
        std::ofstream f(image, std::ios::binary);
        f << "P5\n" << bm.width << ' ' << bm.height << "\n255\n";
        for (unsigned char b : bm.pixels) f.put(b ? '\0' : '\xff');
    }
    std::string cmd = zbar ? "zbarimg --raw -q " + image + " >" + text + " 2>/dev/null"
                           : "ZXingReader -bytes " + image + " >" + text + " 2>/dev/null";
    (void)std::system(cmd.c_str());
    std::ifstream in(text, std::ios::binary);
    std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    return out;
}

}  // namespace morvel::test
