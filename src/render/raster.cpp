// Raster graphics: rows are decoded (unencoded, run-length, TIFF PackBits, delta row)
// into strips of pixels that are drawn as images, so memory stays bounded on any image.
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "core/strfmt.h"
#include "render/interpreter.h"
#include "render/params.h"

namespace morvel::render {

namespace {

constexpr std::size_t kMaxRowBytes = 1 << 16;
constexpr int kMaxPixels = 1 << 16;
// Half a dot at 300 dots per inch, in points.
constexpr double kHalfDot = 0.12;

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

// Compression method 9: replacement delta row. Each command replaces bytes of the seed
// row at an offset from where the last one ended, with literal bytes or a repeated byte.
void decode_replacement_delta(std::string_view in, std::vector<std::uint8_t>& seed) {
    std::size_t pos = 0, i = 0;
    auto extended = [&](std::size_t value, std::size_t field_max) {
        if (value != field_max) return value;
        while (i < in.size()) {
            auto extra = static_cast<unsigned char>(in[i++]);
            value += extra;
            if (extra != 255) break;
        }
        return value;
    };
    auto put = [&](std::uint8_t b) {
        if (pos < kMaxRowBytes) {
            if (pos >= seed.size()) seed.resize(pos + 1, 0);
            seed[pos] = b;
        }
        ++pos;
    };
    while (i < in.size()) {
        auto command = static_cast<unsigned char>(in[i++]);
        if (command & 0x80) {
            std::size_t offset = extended((command >> 5) & 3u, 3);
            std::size_t count = extended(command & 31u, 31) + 2;
            if (i >= in.size()) break;
            auto b = static_cast<std::uint8_t>(in[i++]);
            pos += offset;
            for (std::size_t k = 0; k < count && pos < kMaxRowBytes; ++k) put(b);
        } else {
            std::size_t offset = extended((command >> 3) & 15u, 15);
            std::size_t count = extended(command & 7u, 7) + 1;
            pos += offset;
            for (std::size_t k = 0; k < count && i < in.size(); ++k)
                put(static_cast<std::uint8_t>(in[i++]));
        }
        if (pos >= kMaxRowBytes) break;
    }
}

// One row of a method other than adaptive into `row`; delta methods update the seed row.
// Returns false for a method that is not drawn.
bool decode_row(int method, std::string_view data, std::vector<std::uint8_t>& seed,
                std::vector<std::uint8_t>& row) {
    row.clear();
    switch (method) {
        case 0:
            row.assign(data.begin(),
                       data.begin() + static_cast<long>(std::min(data.size(), kMaxRowBytes)));
            break;
        case 1:
            decode_run_length(data, row);
            break;
        case 2:
            decode_packbits(data, row);
            break;
        case 3:
            decode_delta(data, seed);
            row = seed;
            return true;
        case 9:
            decode_replacement_delta(data, seed);
            row = seed;
            return true;
        default:
            return false;
    }
    // The row is the seed of the next; bytes it does not give are zero.
    seed = row;
    return true;
}

}  // namespace

void Interpreter::raster_start(int mode) {
    if (raster_on_) return;
    raster_on_ = true;
    raster_x_ = (mode & 1) ? x_ : 0;
    raster_y_ = y_;
    raster_anchor_y_ = y_;
    // Modes 2 and 3 scale the image to the destination size, when the source size is
    // known; one destination side alone keeps the image's proportions.
    raster_step_x_ = raster_step_y_ = 72 / raster_res_;
    if (mode >= 2 && raster_width_ > 0 && raster_height_ > 0 &&
        (raster_dest_w_ > 0 || raster_dest_h_ > 0)) {
        raster_step_x_ =
            raster_dest_w_ > 0 ? raster_dest_w_ / raster_width_ : raster_dest_h_ / raster_height_;
        raster_step_y_ = raster_dest_h_ > 0 ? raster_dest_h_ / raster_height_ : raster_step_x_;
    }
    raster_rows_ = 0;
    seed_.clear();
    plane_seeds_.clear();
    planes_.clear();
    strip_.clear();
    strip_rows_ = 0;
    strip_used_ = 0;
    strip_w_ = 0;
    strip_y_ = raster_y_;
}

void Interpreter::raster_row(const std::string& data) {
    if (!raster_on_) raster_start(0);
    if (compression_ == 5) {
        raster_adaptive(data);
        return;
    }
    std::vector<std::uint8_t> row;
    if (!decode_row(compression_, data, seed_, row)) {
        problems_.report(offset_now_, strfmt("compression %d", compression_),
                         strfmt("raster compression method %d is not drawn", compression_));
        row.clear();
    }
    raster_pixels(row);
}

// Compression method 5: one block holds many rows, each an entry of a method byte, a
// two-byte count and its data; methods 4 and 5 repeat blank or the last row `count` times.
void Interpreter::raster_adaptive(const std::string& data) {
    std::vector<std::uint8_t> row;
    for (std::size_t i = 0; i + 3 <= data.size();) {
        int method = static_cast<unsigned char>(data[i]);
        std::size_t count = static_cast<std::size_t>(static_cast<unsigned char>(data[i + 1])) << 8 |
                            static_cast<unsigned char>(data[i + 2]);
        i += 3;
        if (method == 4 || method == 5) {
            if (method == 4) seed_.clear();
            // Bounded by the raster height when one was given, else by a page of rows.
            std::size_t limit =
                raster_height_ > 0 ? static_cast<std::size_t>(raster_height_) : 1 << 16;
            count = std::min(count, limit);
            for (std::size_t k = 0; k < count && raster_on_; ++k) raster_pixels(seed_);
            continue;
        }
        std::size_t n = std::min(count, data.size() - i);
        if (!decode_row(method, std::string_view(data).substr(i, n), seed_, row)) {
            problems_.report(offset_now_, strfmt("adaptive %d", method),
                             strfmt("adaptive raster entry of method %d skipped", method));
            return;
        }
        i += n;
        raster_pixels(row);
    }
}

void Interpreter::raster_skip_rows(double rows) {
    if (!raster_on_) raster_start(0);
    // The rows skipped are blank: the seed row starts again from zero.
    raster_flush();
    seed_.clear();
    plane_seeds_.clear();
    planes_.clear();
    raster_y_ += std::clamp(rows, 0.0, 1e5) * raster_step_y_;
    raster_rows_ += static_cast<int>(std::clamp(rows, 0.0, 1e5));
}

void Interpreter::raster_plane(const std::string& data, bool last) {
    if (!raster_on_) raster_start(0);
    if (compression_ == 5) {
        problems_.report(offset_now_, "planes adaptive",
                         "raster colour planes in adaptive compression are not drawn");
        planes_.clear();
        return;
    }
    constexpr std::size_t kMaxPlanes = 8;
    if (planes_.size() >= kMaxPlanes) {
        problems_.report(offset_now_, "planes many", "more than 8 raster colour planes in a row");
        if (!last) return;
        planes_.pop_back();
    }
    // Each plane has a seed row of its own.
    const std::size_t p = planes_.size();
    if (plane_seeds_.size() <= p) plane_seeds_.resize(p + 1);
    std::vector<std::uint8_t> row;
    if (!decode_row(compression_, data, plane_seeds_[p], row)) {
        problems_.report(offset_now_, strfmt("compression %d", compression_),
                         strfmt("raster compression method %d is not drawn", compression_));
        row.clear();
    }
    planes_.push_back(std::move(row));
    if (!last) return;
    // A pixel's palette index has a bit from each plane, the first plane's lowest.
    std::size_t bytes = 0;
    for (const auto& plane : planes_) bytes = std::max(bytes, plane.size());
    std::vector<std::uint8_t> indices(std::min(bytes * 8, static_cast<std::size_t>(kMaxPixels)), 0);
    for (std::size_t q = 0; q < planes_.size(); ++q)
        for (std::size_t x = 0; x < indices.size() && x / 8 < planes_[q].size(); ++x)
            if (planes_[q][x / 8] & (0x80u >> (x % 8)))
                indices[x] |= static_cast<std::uint8_t>(1u << q);
    planes_.clear();
    const bool by_pixel = indexed_by_pixel_;
    const int bits = pixel_bits_;
    indexed_by_pixel_ = true;
    pixel_bits_ = 8;
    raster_pixels(indices);
    indexed_by_pixel_ = by_pixel;
    pixel_bits_ = bits;
}

void Interpreter::raster_move_to(double y) {
    // A vertical move while raster graphics are on places the next row there.
    raster_flush();
    raster_y_ = y;
}

void Interpreter::raster_pixels(const std::vector<std::uint8_t>& bytes) {
    // Rows past the height given by *r#T are not drawn.
    if (raster_height_ > 0 && raster_rows_ >= raster_height_) return;
    // A raster that starts at the logical page's right edge (where the cursor stops when
    // sent further) has no dot on the page: its rows only move the cursor down.
    if (raster_presentation_ != 3 && raster_x_ > logical_width() - kHalfDot) {
        ++raster_rows_;
        raster_y_ += raster_step_y_;
        return;
    }
    const std::vector<std::uint8_t>* row = &bytes;
    const bool colour = indexed_by_pixel_ && pixel_bits_ == 8;
    int data_pixels = static_cast<int>(std::min<std::size_t>(colour ? row->size() : row->size() * 8,
                                                             static_cast<std::size_t>(kMaxPixels)));
    // Without a width, rows run to the logical page's right edge at most, and rows of
    // trimmed lengths (as drivers send them) share one strip.
    const bool given = raster_width_ > 0;
    int width =
        given ? std::min(raster_width_, kMaxPixels)
              : clamp_int((logical_width() - raster_x_) * raster_res_ / 72 + 0.5, 1, kMaxPixels);
    if (given && data_pixels > raster_width_ + (colour ? 0 : 7))
        problems_.report(offset_now_, "raster-long",
                         "raster row longer than the declared width, cut");
    if (strip_rows_ > 0 && width != strip_w_) raster_flush();
    if (strip_rows_ == 0) {
        strip_w_ = std::max(width, 1);
        strip_y_ = raster_y_;
        strip_mono_ = true;
        strip_ink_ = argb(foreground_);
    }
    // One ink on transparent paper: the strip can be drawn as a 1-bit mask.
    if (colour || !source_transparent_ || rop_ != 252 || argb(foreground_) != strip_ink_)
        strip_mono_ = false;
    strip_.resize(static_cast<std::size_t>(strip_w_) * static_cast<std::size_t>(strip_rows_ + 1),
                  0);
    std::uint32_t* out = strip_.data() + static_cast<std::size_t>(strip_w_) * strip_rows_;
    int pixels = std::min({width, data_pixels, strip_w_});
    if (colour) {
        for (int x = 0; x < pixels; ++x) {
            const Rgb& c = palette_colour((*row)[static_cast<std::size_t>(x)]);
            if (c.white() && source_transparent_) continue;
            out[x] = argb(c);
        }
    } else {
        std::uint32_t ink = argb(foreground_);
        std::uint32_t paper = source_transparent_ ? 0 : 0xFFFFFFFFu;
        if (rop_ != 252) {
            paper = rop_pixel(false, ink);
            ink = rop_pixel(true, ink);
        }
        for (int x = 0; x < pixels; x += 8) {
            const std::uint8_t byte = (*row)[static_cast<std::size_t>(x) / 8];
            if (byte == 0 && paper == 0) continue;  // the new row is already clear
            for (int i = 0; i < 8 && x + i < pixels; ++i)
                out[x + i] = (byte & (0x80 >> i)) ? ink : paper;
        }
    }
    // The strip is drawn only as wide as its widest mark: drivers' rows end in blanks.
    int used = pixels;
    while (used > 0 && out[used - 1] == 0) --used;
    strip_used_ = std::max(strip_used_, used);
    ++strip_rows_;
    ++raster_rows_;
    raster_y_ += raster_step_y_;
    // Strips end on multiples of 12 rows, whole device pixels at the usual resolutions.
    int strip_max = std::clamp((1 << 20) / strip_w_ / 12 * 12, 12, 300);
    if (strip_rows_ >= strip_max) raster_flush();
}

namespace {

/// Names an image by its content, so a PDF holds a strip that recurs (a form, a page
/// a spooler repeats) once and compresses it once.
void mark_unique(cairo_surface_t* image, const unsigned char* data, std::size_t size) {
    // Two independent 64-bit FNV-1a hashes with the size: 128 bits against a collision.
    // Eight bytes at a time.
    std::uint64_t a = 0xcbf29ce484222325ull, b = 0x84222325cbf29ce4ull;
    std::size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        std::uint64_t v;
        std::memcpy(&v, data + i, 8);
        a = (a ^ v) * 0x100000001b3ull;
        b = (b ^ (v >> 29 | v << 35)) * 0x100000001b3ull + 0x9e3779b97f4a7c15ull;
    }
    for (; i < size; ++i) {
        a = (a ^ data[i]) * 0x100000001b3ull;
        b = (b ^ data[i]) * 0x100000001b3ull + 0x9e3779b97f4a7c15ull;
    }
    std::string id = strfmt("morvel-raster-%zu-%016llx-%016llx", size,
                            static_cast<unsigned long long>(a), static_cast<unsigned long long>(b));
    auto* owned = new std::string(std::move(id));
    cairo_surface_set_mime_data(
        image, CAIRO_MIME_TYPE_UNIQUE_ID, reinterpret_cast<const unsigned char*>(owned->data()),
        owned->size(), [](void* p) { delete static_cast<std::string*>(p); }, owned);
}

}  // namespace

double Interpreter::tie_shift() const {
    // A device pixel whose centre lies on the edge between two raster dots takes the later
    // dot, as a printer does; cairo's nearest sampling would take the earlier one.
    return device_.pixels_per_point() > 0 ? 0.01 : 0;
}

void Interpreter::raster_flush() {
    if (strip_rows_ == 0) return;
    const int w = strip_used_;
    strip_used_ = 0;
    if (w == 0) {  // nothing but blank rows
        strip_.clear();
        strip_rows_ = 0;
        return;
    }
    cairo_t* cr = page();
    // On pixels the colour image composites faster than a mask.
    if (strip_mono_ && device_.pixels_per_point() == 0) {
        raster_flush_mask(cr, w);
        return;
    }
    // The image owns its pixels: a PDF keeps it until the page is written.
    cairo_surface_t* image = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, strip_rows_);
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
            strip_.data() + static_cast<std::size_t>(y) * strip_w_, w,
            reinterpret_cast<std::uint32_t*>(pixels + static_cast<std::ptrdiff_t>(y) * stride));
    cairo_surface_mark_dirty(image);
    cairo_save(cr);
    raster_place(cr);
    cairo_set_source_surface(cr, image, 0, 0);
    // Each device pixel takes the raster pixel under its centre, as a printer does.
    cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
    // Its edges too: a device pixel is inked or not, never partly, so a row one dot
    // high is printed whole where it holds a pixel's centre rather than as a pale line.
    cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
    cairo_rectangle(cr, 0, 0, w, strip_rows_);
    cairo_fill(cr);
    cairo_restore(cr);
    cairo_surface_destroy(image);
    strip_.clear();
    strip_rows_ = 0;
}

// A strip of one ink as a 1-bit mask, which a PDF keeps as a small image mask.
void Interpreter::raster_flush_mask(cairo_t* cr, int w) {
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A1, w, strip_rows_);
    cairo_surface_flush(mask);
    unsigned char* bits = cairo_image_surface_get_data(mask);
    if (bits) {
        int stride = cairo_image_surface_get_stride(mask);
        for (int y = 0; y < strip_rows_; ++y) {
            const std::uint32_t* in = strip_.data() + static_cast<std::size_t>(y) * strip_w_;
            auto* out =
                reinterpret_cast<std::uint32_t*>(bits + static_cast<std::ptrdiff_t>(y) * stride);
            // A1 packs pixels into 32-bit words in the machine's bit order.
            for (int x0 = 0; x0 < w; x0 += 32) {
                std::uint32_t word = 0, any = 0;
                const int n = std::min(32, w - x0);
                for (int i = 0; i < n; ++i) any |= in[x0 + i];
                if (any == 0) {
                    out[x0 / 32] = 0;
                    continue;
                }
                int i = 0;
#if defined(__SSE2__)
                // Four pixels at a time: little-endian A1 puts pixel i at bit i.
                for (; i + 4 <= n; i += 4) {
                    const __m128i v =
                        _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + x0 + i));
                    const int blank =
                        _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(v, _mm_setzero_si128())));
                    word |= static_cast<std::uint32_t>(~blank & 0xF) << i;
                }
#endif
                for (; i < n; ++i)
                    word |= static_cast<std::uint32_t>(in[x0 + i] != 0)
                            << (std::endian::native == std::endian::little ? i : 31 - i);
                out[x0 / 32] = word;
            }
        }
        cairo_surface_mark_dirty(mask);
        mark_unique(mask, bits, static_cast<std::size_t>(stride) * strip_rows_);
        cairo_save(cr);
        raster_place(cr);
        cairo_set_source_rgba(cr, (strip_ink_ >> 16 & 0xFF) / 255.0,
                              (strip_ink_ >> 8 & 0xFF) / 255.0, (strip_ink_ & 0xFF) / 255.0, 1);
        cairo_pattern_t* pattern = cairo_pattern_create_for_surface(mask);
        cairo_pattern_set_filter(pattern, CAIRO_FILTER_NEAREST);
        cairo_mask(cr, pattern);
        cairo_pattern_destroy(pattern);
        cairo_restore(cr);
    }
    cairo_surface_destroy(mask);
    strip_.clear();
    strip_rows_ = 0;
}

void Interpreter::raster_place(cairo_t* cr) {
    // Presentation mode 3 lays rows along the sheet's width whatever the orientation:
    // on a turned page they run across the logical page and follow each other along it.
    constexpr double kQuarter = 1.57079632679489661923;
    const double advanced = strip_y_ - raster_anchor_y_;
    double tie_x = tie_shift(), tie_y = tie_shift();
    cairo_device_to_user_distance(cr, &tie_x, &tie_y);
    cairo_translate(cr, -tie_x, -tie_y);
    switch (raster_presentation_ == 3 ? orientation_ : 0) {
        case 1:
            cairo_translate(cr, raster_x_ - advanced, raster_anchor_y_);
            cairo_rotate(cr, kQuarter);
            break;
        case 2:
            cairo_translate(cr, raster_x_, raster_anchor_y_ - advanced);
            cairo_rotate(cr, 2 * kQuarter);
            break;
        case 3:
            cairo_translate(cr, raster_x_ + advanced, raster_anchor_y_);
            cairo_rotate(cr, -kQuarter);
            break;
        default:
            cairo_translate(cr, raster_x_, strip_y_);
    }
    cairo_scale(cr, raster_step_x_, raster_step_y_);
}

void Interpreter::raster_end() {
    if (!raster_on_) return;
    raster_flush();
    raster_on_ = false;
    x_ = raster_x_;
    y_ = raster_y_;
}

}  // namespace morvel::render
