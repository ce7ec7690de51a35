// Raster graphics: rows are decoded (unencoded, run-length, TIFF PackBits, delta row)
// into strips of pixels that are drawn as images, so memory stays bounded on any image.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "core/strfmt.h"
#include "render/interpreter.h"

namespace morvel::render {

namespace {

constexpr std::size_t kMaxRowBytes = 1 << 16;
constexpr int kMaxPixels = 1 << 16;

std::uint32_t argb(const Rgb& c) {
    auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::clamp(v, 0.0, 1.0) * 255 + 0.5);
    };
    return 0xFF000000u | channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

// Compression method 1: pairs of (repeat count - 1, byte).
void decode_run_length(std::string_view in, std::vector<std::uint8_t>& row) {
    for (std::size_t i = 0; i + 1 < in.size() && row.size() < kMaxRowBytes; i += 2)
        row.insert(row.end(),
                   std::min<std::size_t>(static_cast<unsigned char>(in[i]) + 1u,
                                         kMaxRowBytes - row.size()),
                   static_cast<std::uint8_t>(in[i + 1]));
}

// Compression method 2: TIFF PackBits.
void decode_packbits(std::string_view in, std::vector<std::uint8_t>& row) {
    for (std::size_t i = 0; i < in.size() && row.size() < kMaxRowBytes;) {
        int n = static_cast<signed char>(in[i++]);
        if (n >= 0) {
            std::size_t count =
                std::min<std::size_t>(static_cast<std::size_t>(n) + 1, in.size() - i);
            count = std::min(count, kMaxRowBytes - row.size());
            row.insert(row.end(), in.begin() + static_cast<long>(i),
                       in.begin() + static_cast<long>(i + count));
            i += static_cast<std::size_t>(n) + 1;
        } else if (n != -128 && i < in.size()) {
            std::size_t count =
                std::min<std::size_t>(static_cast<std::size_t>(1 - n), kMaxRowBytes - row.size());
            row.insert(row.end(), count, static_cast<std::uint8_t>(in[i++]));
        }
    }
}

// Compression method 3: delta row against the seed row.
void decode_delta(std::string_view in, std::vector<std::uint8_t>& seed) {
    std::size_t pos = 0;
    for (std::size_t i = 0; i < in.size();) {
        auto command = static_cast<unsigned char>(in[i++]);
        std::size_t count = (command >> 5) + 1u;
        std::size_t offset = command & 31u;
        if (offset == 31) {
            while (i < in.size()) {
                auto extra = static_cast<unsigned char>(in[i++]);
                offset += extra;
                if (extra != 255) break;
            }
        }
        pos += offset;
        for (std::size_t k = 0; k < count && i < in.size(); ++k, ++pos, ++i) {
            if (pos >= kMaxRowBytes) continue;
            if (pos >= seed.size()) seed.resize(pos + 1, 0);
            seed[pos] = static_cast<std::uint8_t>(in[i]);
        }
    }
}

}  // namespace

void Interpreter::raster_start(int mode) {
    if (raster_on_) return;
    raster_on_ = true;
    raster_x_ = (mode & 1) ? x_ : left_margin_;
    raster_y_ = y_;
    raster_rows_ = 0;
    seed_.clear();
    strip_.clear();
    strip_rows_ = 0;
    strip_w_ = 0;
    strip_y_ = raster_y_;
}

void Interpreter::raster_row(const std::string& data) {
    if (!raster_on_) raster_start(0);
    std::vector<std::uint8_t> decoded;
    std::vector<std::uint8_t>* row = &decoded;
    switch (compression_) {
        case 0:
            decoded.assign(data.begin(), data.end());
            break;
        case 1:
            decode_run_length(data, decoded);
            break;
        case 2:
            decode_packbits(data, decoded);
            break;
        case 3:
            decode_delta(data, seed_);
            row = &seed_;
            break;
        default:
            problems_.report(offset_now_, strfmt("compression %d", compression_),
                             strfmt("raster compression method %d is not drawn", compression_));
            decoded.clear();
            break;
    }
    if (compression_ != 3) seed_ = decoded;

    const bool colour = indexed_by_pixel_ && pixel_bits_ == 8;
    int data_pixels = static_cast<int>(std::min<std::size_t>(colour ? row->size() : row->size() * 8,
                                                             static_cast<std::size_t>(kMaxPixels)));
    int width = raster_width_ > 0 ? std::min(raster_width_, kMaxPixels) : data_pixels;
    if (raster_width_ > 0 && data_pixels > raster_width_ + (colour ? 0 : 7))
        problems_.report(offset_now_, "raster-long",
                         "raster row longer than the declared width, cut");
    if (strip_rows_ > 0 && width != strip_w_) raster_flush();
    if (strip_rows_ == 0) {
        strip_w_ = std::max(width, 1);
        strip_y_ = raster_y_;
    }
    strip_.resize(static_cast<std::size_t>(strip_w_) * static_cast<std::size_t>(strip_rows_ + 1),
                  0);
    std::uint32_t* out = strip_.data() + static_cast<std::size_t>(strip_w_) * strip_rows_;
    int pixels = std::min(width, data_pixels);
    if (colour) {
        for (int x = 0; x < pixels; ++x) {
            const Rgb& c = palette_colour((*row)[static_cast<std::size_t>(x)]);
            if (c.white() && source_transparent_) continue;
            out[x] = argb(c);
        }
    } else {
        std::uint32_t ink = argb(foreground_);
        std::uint32_t paper = source_transparent_ ? 0 : 0xFFFFFFFFu;
        for (int x = 0; x < pixels; ++x)
            out[x] = ((*row)[static_cast<std::size_t>(x) / 8] & (0x80 >> (x % 8))) ? ink : paper;
    }
    ++strip_rows_;
    ++raster_rows_;
    raster_y_ += 72 / raster_res_;
    // Strips end on multiples of 12 rows, whole device pixels at the usual resolutions.
    int strip_max = std::clamp((1 << 20) / strip_w_ / 12 * 12, 12, 300);
    if (strip_rows_ >= strip_max) raster_flush();
}

void Interpreter::raster_flush() {
    if (strip_rows_ == 0) return;
    cairo_t* cr = page();
    // The image owns its pixels: a PDF keeps it until the page is written.
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, strip_w_, strip_rows_);
    cairo_surface_flush(image);
    unsigned char* pixels = cairo_image_surface_get_data(image);
    if (!pixels) {
        cairo_surface_destroy(image);
        strip_.clear();
        strip_rows_ = 0;
        return;
    }
    int stride = cairo_image_surface_get_stride(image);
    for (int y = 0; y < strip_rows_; ++y)
        std::copy_n(
            strip_.data() + static_cast<std::size_t>(y) * strip_w_, strip_w_,
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride));
    cairo_surface_mark_dirty(image);
    cairo_save(cr);
    cairo_translate(cr, raster_x_, strip_y_);
    cairo_scale(cr, 72 / raster_res_, 72 / raster_res_);
    cairo_set_source_surface(cr, image, 0, 0);
    // Each device pixel takes the raster pixel under its centre, as a printer does.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    cairo_rectangle(cr, 0, 0, strip_w_, strip_rows_);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_destroy(image);
    strip_.clear();
    strip_rows_ = 0;
}

void Interpreter::raster_end() {
    if (!raster_on_) return;
    raster_flush();
    raster_on_ = false;
    x_ = raster_x_;
    y_ = raster_y_;
}

}  // namespace morvel::render
