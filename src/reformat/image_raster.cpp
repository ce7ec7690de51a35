#include "reformat/image_raster.h"

#include <algorithm>

#include "core/printer_out.h"
#include "reformat/place_text.h"

namespace morvel {

namespace {

// Opens a macro definition, then the page state every raster starts from.
void write_raster_preamble(PclOut& out, const FormRequest& form) {
    if (form.macro_number != -1) out.printf("\033&f%dY\033&f0X", form.macro_number);
    out.printf("\033&l%dO", form.orientation);
    out.printf("\0339\033&l0E");
    out.printf("\033*r%dF", 0);
}

void write_raster_cursor(Run& run, PclOut& out, const FormRequest& form) {
    if (form.x != kAtCursor && form.y != kAtCursor) set_cursor(run, out, form.x, form.y);
}

}  // namespace

void write_mono_raster_start(Run& run, PclOut& out, const FormRequest& form) {
    write_raster_preamble(out, form);
    if (form.colour) out.printf("\033*p0P\033*r1U");
    write_raster_cursor(run, out, form);
    out.printf("\033*t%dR\033*r%dS\033*r1A\033*b%dM", form.resolution,
               form.output_width - form.left_crop, static_cast<int>(form.flags & kFormCompress));
}

void write_colour_raster_start(Run& run, PclOut& out, const FormRequest& form,
                               const std::array<std::uint8_t, 768>& palette, int image_width) {
    write_raster_preamble(out, form);
    out.printf("\033*p0P");
    out.printf("\033*v6W");
    const char space = (form.flags & kFormColourSpace0) ? 0 : 2;
    const char config[] = {space, 1, 8, 8, 8, 8};
    out.write_bytes(std::string_view(config, sizeof config));
    if (form.flags & kFormColourSetup) {
        out.printf("\033*o3W");
        out.write_bytes(std::string_view("\x06\x04\x06", 3));
        out.printf("\033*t18J");
    }
    for (int i = 0; i < 256; ++i)
        out.printf("\033*v%da%db%dc%dI", palette[static_cast<std::size_t>(i) * 3],
                   palette[static_cast<std::size_t>(i) * 3 + 1],
                   palette[static_cast<std::size_t>(i) * 3 + 2], i);
    write_raster_cursor(run, out, form);
    out.printf("\033*t%dR\033*r%dS\033*r1A\033*b%dM", form.resolution, image_width,
               static_cast<int>(form.flags & kFormCompress));
}

void write_raster_end(PclOut& out, const FormRequest& form) {
    out.printf("\033*rC");
    if (form.colour) out.printf("\033*p1P");
    if (form.macro_number != -1) {
        out.printf("\033&f1X");
        out.printf("\033&f%dY", form.macro_number);
        out.printf("\033&f10X");
    }
}

void convert_to_mono(std::span<const std::uint8_t> indices,
                     const std::array<std::uint8_t, 768>& palette,
                     std::vector<std::uint8_t>& bits) {
    bits.assign((indices.size() + 7) / 8, 0);
    for (std::size_t i = 0; i < indices.size(); ++i) {
        std::size_t p = static_cast<std::size_t>(indices[i]) * 3;
        int l = (30 * palette[p] + 59 * palette[p + 1] + 11 * palette[p + 2]) / 100;
        if (l < 128) bits[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    }
}

void shrink_row(std::span<const std::uint8_t> in, int in_width, int out_width,
                std::vector<std::uint8_t>& out, std::vector<int>& weights) {
    // Each source pixel weighs 256, split between the one or two target pixels it
    // falls into by how much of it lies in each.
    weights.assign(static_cast<std::size_t>(out_width) + 1, 0);
    const long long iw = in_width, ow = out_width;
    for (long long i = 0; i < iw; ++i) {
        if (!(in[static_cast<std::size_t>(i / 8)] & (0x80 >> (i % 8)))) continue;
        long long from = ow * i * 256 / iw;
        long long to = ow * (i + 1) * 256 / iw;
        std::size_t t = static_cast<std::size_t>(from / 256);
        long long boundary = (static_cast<long long>(t) + 1) * 256;
        if (to <= boundary || to == from) {
            weights[t] += 256;
        } else {
            int first = static_cast<int>((boundary - from) * 256 / (to - from));
            weights[t] += first;
            weights[t + 1] += 256 - first;
        }
    }
    const long long threshold = iw * 128 / ow;
    out.assign(static_cast<std::size_t>(out_width + 7) / 8, 0);
    for (int t = 0; t < out_width; ++t)
        if (weights[static_cast<std::size_t>(t)] > threshold)
            out[static_cast<std::size_t>(t) / 8] |= static_cast<std::uint8_t>(0x80 >> (t % 8));
}

void finish_mono_row(std::vector<std::uint8_t>& bits, int width, bool invert) {
    bits.resize(static_cast<std::size_t>(width + 7) / 8, 0);
    if (invert)
        for (auto& b : bits) b = static_cast<std::uint8_t>(~b);
    // Bits past the image are paper: white whatever the image and its flags.
    if (width % 8) bits.back() &= static_cast<std::uint8_t>(0xFF00 >> (width % 8));
}

void compress_method1(std::span<const std::uint8_t> row, std::vector<std::uint8_t>& coded) {
    coded.clear();
    for (std::size_t i = 0; i < row.size();) {
        std::size_t j = i + 1;
        while (j < row.size() && row[j] == row[i] && j - i < 256) ++j;
        coded.push_back(static_cast<std::uint8_t>(j - i - 1));
        coded.push_back(row[i]);
        i = j;
    }
}

void send_raster_row(PclOut& out, std::span<const std::uint8_t> row, bool compress,
                     std::vector<std::uint8_t>& coded) {
    if (compress) {
        compress_method1(row, coded);
        row = coded;
    }
    out.printf("\033*b%dW", static_cast<int>(row.size()));
    out.write_bytes(std::string_view(reinterpret_cast<const char*>(row.data()), row.size()));
}

void write_raster_glyph(PclOut& out, bool colour, std::span<const std::uint8_t, 64> glyph) {
    if (colour) out.printf("\033*p0P\033*r1U");
    out.printf("\033*t300R\033*r1A");
    for (std::size_t r = 0; r < 32; ++r) {
        out.printf("\033*b2W");
        out.write_bytes(std::string_view(reinterpret_cast<const char*>(glyph.data()) + r * 2, 2));
    }
    out.printf("\033*rB");
    if (colour) out.printf("\033*p1P");
}

}  // namespace morvel
