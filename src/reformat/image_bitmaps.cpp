// The PCX and BMP readers.
#include <algorithm>

#include "core/messages.h"
#include "reformat/image_reader.h"
#include "run.h"

namespace morvel {

namespace {

unsigned le16(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<unsigned>(b[at] | b[at + 1] << 8);
}

unsigned long le32(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<unsigned long>(le16(b, at)) | static_cast<unsigned long>(le16(b, at + 2))
                                                         << 16;
}

constexpr int kMaxPcxSide = 32767;
constexpr int kMaxBmpSide = 8000;
constexpr std::size_t kPcxHeader = 128;
constexpr std::size_t kPcxPalette = 769;  // the marker byte 12 and 256 colours

}  // namespace

bool read_pcx_header(Run& run, GraphicImage& image) {
    const auto& b = image.bytes;
    const char* name = image.file_name.c_str();
    if (b.empty() || b[0] != 10) {
        report_error(run, 0, "This is not a valid PCX file >%s<\n", name);
        return false;
    }
    if (b.size() < kPcxHeader) {
        report_error(run, 0, "Error reading the header for >%s<\n", name);
        return false;
    }
    int bits = b[3] == 1 ? b[65] : b[3];
    // A plane count with 8 bits is a true-colour picture, which prints as noise.
    if (bits != 1 && (bits != 8 || b[65] != 1)) return false;
    int width = static_cast<int>(le16(b, 8)) - static_cast<int>(le16(b, 4)) + 1;
    int height = static_cast<int>(le16(b, 10)) - static_cast<int>(le16(b, 6)) + 1;
    int bytes_per_row = static_cast<int>(le16(b, 66));
    if (width < 1 || height < 1 || width > kMaxPcxSide || height > kMaxPcxSide) return false;
    if (bytes_per_row < (bits == 1 ? (width + 7) / 8 : width)) return false;
    image.width = width;
    image.height = height;
    image.bits_per_pixel = bits;
    image.bytes_per_row = bytes_per_row;
    image.data_offset = kPcxHeader;
    image.data_end = b.size();
    if (bits == 8) {
        if (b.size() < kPcxHeader + kPcxPalette || b[b.size() - kPcxPalette] != 12) {
            report_error(run, 0, "Error reading palette for PCX file >%s<", name);
            return false;
        }
        std::copy(b.end() - 768, b.end(), image.palette.begin());
        image.data_end = b.size() - kPcxPalette;
    }
    return true;
}

// One row of run-length coded bytes: a byte with both top bits set counts how often
// the next byte repeats; a run that passes the row's end is cut there.
bool read_pcx_row(GraphicImage& image, std::vector<std::uint8_t>& row) {
    const auto& b = image.bytes;
    std::size_t n = static_cast<std::size_t>(image.bytes_per_row);
    auto& coded = image.scratch;
    coded.resize(n);
    std::size_t filled = 0;
    std::size_t& at = image.data_offset;
    while (filled < n) {
        if (at >= image.data_end) return false;
        std::uint8_t byte = b[at++];
        std::size_t count = 1;
        if ((byte & 0xC0) == 0xC0) {
            if (at >= image.data_end) return false;
            count = byte & 0x3F;
            byte = b[at++];
        }
        count = std::min(count, n - filled);
        std::fill_n(coded.begin() + static_cast<std::ptrdiff_t>(filled), count, byte);
        filled += count;
    }
    if (image.bits_per_pixel == 8) {
        row.assign(coded.begin(), coded.begin() + image.width);
    } else {
        // A 1 bit is white in the file and black on the printer.
        row.resize(static_cast<std::size_t>(image.width + 7) / 8);
        for (std::size_t i = 0; i < row.size(); ++i) row[i] = static_cast<std::uint8_t>(~coded[i]);
    }
    return true;
}

bool read_bmp_header(GraphicImage& image) {
    const auto& b = image.bytes;
    if (b.size() < 54) return false;
    std::size_t info_size = le32(b, 14);
    // Width and height are signed: a negative height is a top-down picture.
    long width = static_cast<std::int32_t>(le32(b, 18));
    long height = static_cast<std::int32_t>(le32(b, 22));
    unsigned bits = le16(b, 28);
    unsigned long compression = le32(b, 30);
    if (info_size < 40 || width < 1 || width > kMaxBmpSide || height < 1 || height > kMaxBmpSide ||
        (bits != 1 && bits != 8) || compression != 0)
        return false;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    image.bits_per_pixel = static_cast<int>(bits);
    image.bytes_per_row = bits == 1 ? (image.width + 31) / 32 * 4 : (image.width + 3) / 4 * 4;
    image.data_offset = le32(b, 10);
    // The colour table follows the info header, whatever that header's version.
    std::size_t table = 14 + info_size;
    unsigned long used = le32(b, 46);
    std::size_t entries = used == 0 || used > (1u << bits) ? (1u << bits) : used;
    image.palette.fill(0);
    for (std::size_t i = 0; i < entries && table + i * 4 + 3 <= b.size(); ++i) {
        image.palette[i * 3] = b[table + i * 4 + 2];
        image.palette[i * 3 + 1] = b[table + i * 4 + 1];
        image.palette[i * 3 + 2] = b[table + i * 4];
    }
    if (bits == 1 && table + 8 <= b.size()) {
        // The palette says which bit value is ink; most files have 0 black, 1 white.
        for (std::size_t v = 0; v < 2; ++v) {
            int l = (30 * image.palette[v * 3] + 59 * image.palette[v * 3 + 1] +
                     11 * image.palette[v * 3 + 2]) /
                    100;
            image.bit_ink[v] = l < 128 ? 1 : 0;
        }
    } else {
        image.bit_ink = {1, 0};
    }
    return true;
}

// Rows are stored bottom-up, each padded to four bytes.
bool read_bmp_row(GraphicImage& image, std::vector<std::uint8_t>& row) {
    const auto& b = image.bytes;
    std::size_t stride = static_cast<std::size_t>(image.bytes_per_row);
    std::size_t at =
        image.data_offset + static_cast<std::size_t>(image.height - 1 - image.row) * stride;
    std::size_t n = image.bits_per_pixel == 8 ? static_cast<std::size_t>(image.width)
                                              : static_cast<std::size_t>(image.width + 7) / 8;
    if (at > b.size() || n > b.size() - at) return false;
    row.assign(b.begin() + static_cast<std::ptrdiff_t>(at),
               b.begin() + static_cast<std::ptrdiff_t>(at + n));
    if (image.bits_per_pixel == 1) {
        std::uint8_t zero = image.bit_ink[0] ? 0xFF : 0x00;
        std::uint8_t one = image.bit_ink[1] ? 0xFF : 0x00;
        for (auto& byte : row) byte = static_cast<std::uint8_t>((~byte & zero) | (byte & one));
    }
    return true;
}

}  // namespace morvel
