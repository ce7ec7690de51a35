#include "reformat/image_test_util.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace morvel::test {

std::vector<std::vector<std::uint8_t>> raster_rows(const std::string& pcl, int* width) {
    std::vector<std::vector<std::uint8_t>> rows;
    std::size_t at = pcl.find("\033*r1A");
    if (at == std::string::npos) return rows;
    std::size_t s = pcl.rfind("\033*r", at - 1);
    if (width && s != std::string::npos) *width = std::atoi(pcl.c_str() + s + 3);
    at += 5;
    int method = 0;
    if (pcl.compare(at, 3, "\033*b") == 0 &&
        pcl[pcl.find_first_not_of("0123456789", at + 3)] == 'M') {
        method = std::atoi(pcl.c_str() + at + 3);
        at = pcl.find('M', at) + 1;
    }
    while (pcl.compare(at, 3, "\033*b") == 0) {
        std::size_t end = pcl.find('W', at);
        std::size_t n = static_cast<std::size_t>(std::atoi(pcl.c_str() + at + 3));
        std::string data = pcl.substr(end + 1, n);
        std::vector<std::uint8_t> row;
        if (method == 1) {
            for (std::size_t i = 0; i + 1 < data.size(); i += 2)
                row.insert(row.end(), static_cast<std::uint8_t>(data[i]) + 1u,
                           static_cast<std::uint8_t>(data[i + 1]));
        } else {
            row.assign(data.begin(), data.end());
        }
        rows.push_back(row);
        at = end + 1 + n;
    }
    return rows;
}

Bitmap rows_to_bitmap(const std::vector<std::vector<std::uint8_t>>& rows, int width) {
    Bitmap b{width, static_cast<int>(rows.size()), {}};
    for (const auto& row : rows)
        for (int x = 0; x < width; ++x) {
            std::size_t i = static_cast<std::size_t>(x / 8);
            b.pixels.push_back(i < row.size() && (row[i] & (0x80 >> (x % 8))) ? 1 : 0);
        }
    return b;
}

std::string make_pcx(const Bitmap& image, int bits) {
    int bpr = bits == 1 ? (image.width + 15) / 16 * 2 : (image.width + 1) / 2 * 2;
    std::string h(128, '\0');
    h[0] = 10, h[1] = 5, h[2] = 1, h[3] = static_cast<char>(bits);
    h[8] = static_cast<char>((image.width - 1) & 0xFF),
    h[9] = static_cast<char>((image.width - 1) >> 8);
    h[10] = static_cast<char>((image.height - 1) & 0xFF),
    h[11] = static_cast<char>((image.height - 1) >> 8);
    h[16 + 3] = h[16 + 4] = h[16 + 5] = '\xff';  // header palette: 0 black, 1 white
    h[65] = 1;
    h[66] = static_cast<char>(bpr & 0xFF), h[67] = static_cast<char>(bpr >> 8);
    h[68] = 1;
    std::string out = h;
    for (int y = 0; y < image.height; ++y) {
        std::string raw(static_cast<std::size_t>(bpr), bits == 1 ? '\xff' : '\xe6');
        for (int x = 0; x < image.width; ++x)
            if (image.at(x, y)) {
                if (bits == 1)
                    raw[static_cast<std::size_t>(x / 8)] &= static_cast<char>(~(0x80 >> (x % 8)));
                else
                    raw[static_cast<std::size_t>(x)] = 20;
            }
        for (std::size_t i = 0; i < raw.size();) {
            std::size_t j = i + 1;
            while (j < raw.size() && raw[j] == raw[i] && j - i < 63) ++j;
            if (j - i > 1 || (static_cast<unsigned char>(raw[i]) & 0xC0) == 0xC0)
                out += static_cast<char>(0xC0 | (j - i));
            out += raw[i];
            i = j;
        }
    }
    if (bits == 8) {
        out += '\x0c';
        for (int i = 0; i < 256; ++i) out += std::string(3, static_cast<char>(i));
    }
    return out;
}

bool decode_with_convert(const std::string& file, Bitmap& image) {
    std::string cmd = "convert '" + file + "' pbm:- 2>/dev/null";
    std::FILE* p = popen(cmd.c_str(), "r");
    if (!p) return false;
    std::string data;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) data.append(buf, n);
    if (pclose(p) != 0 || data.compare(0, 2, "P4") != 0) return false;
    std::istringstream in(data.substr(2));
    in >> image.width >> image.height;
    std::size_t at = static_cast<std::size_t>(in.tellg()) + 2 + 1;
    std::size_t stride = static_cast<std::size_t>(image.width + 7) / 8;
    image.pixels.clear();
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            std::size_t i =
                at + static_cast<std::size_t>(y) * stride + static_cast<std::size_t>(x / 8);
            image.pixels.push_back(i < data.size() && (data[i] & (0x80 >> (x % 8))) ? 1 : 0);
        }
    return true;
}

bool have_tool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

}  // namespace morvel::test
