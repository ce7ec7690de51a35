#include "render/png_writer.h"

#include <png.h>
#include <zlib.h>

#include <bit>
#include <cerrno>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/file_handle.h"
#include "core/strfmt.h"

namespace morvel::render {

namespace {

// zlib level 1 with run-length matching and the Sub filter, grey pages as one byte a
// pixel: on page images (large white areas, text) this writes several times faster
// than the default and the files stay close in size.
constexpr int kCompressionLevel = 1;

struct Sink {
    std::FILE* file = nullptr;
    int error_number = 0;      ///< errno of the failed write, 0 if none
    const char* message = "";  ///< libpng's reason when it stopped
};

void write_data(png_structp png, png_bytep data, png_size_t length) {
    auto* sink = static_cast<Sink*>(png_get_io_ptr(png));
    errno = 0;
    if (std::fwrite(data, 1, length, sink->file) != length) {
        sink->error_number = errno ? errno : EIO;
        png_error(png, "write failed");
    }
}

void flush_data(png_structp) {}

void on_error(png_structp png, png_const_charp message) {
    auto* sink = static_cast<Sink*>(png_get_error_ptr(png));
    sink->message = message;
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

/// Copies the blue channel of every pixel into `grey` (one byte a pixel, rows packed);
/// true when every pixel is a grey (red, green and blue equal): most pages are.
bool to_grey(const unsigned char* data, int width, int height, int stride,
             std::vector<unsigned char>& grey) {
    grey.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    unsigned differs = 0;
    unsigned char* out = grey.data();
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + std::ptrdiff_t{y} * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = row[x];
            const std::uint32_t b = v & 0xFF;
            differs |= ((v >> 16) & 0xFF) ^ b;
            differs |= ((v >> 8) & 0xFF) ^ b;
            out[x] = static_cast<unsigned char>(b);
        }
        out += width;
        if (differs) return false;
    }
    return true;
}

struct Image {
    const unsigned char* data;
    int width, height, stride;
    bool grey;
    const unsigned char* grey_data;  ///< the grey bytes, rows packed
};

// Only trivially destructible objects live in this frame: libpng leaves it by longjmp.
bool encode(png_structp png, png_infop info, Sink* sink, const Image& image, double dpi) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, sink, write_data, flush_data);
    png_set_compression_level(png, kCompressionLevel);
    png_set_compression_strategy(png, Z_RLE);
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8,
                 image.grey ? PNG_COLOR_TYPE_GRAY : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    auto per_metre = static_cast<png_uint_32>(std::lround(dpi / 0.0254));
    png_set_pHYs(png, info, per_metre, per_metre, PNG_RESOLUTION_METER);
    png_write_info(png, info);
    if (!image.grey) {
        // Cairo keeps a pixel as a native 32-bit word 0x00RRGGBB: strip the unused byte
        // and put the channels in PNG's order.
        if constexpr (std::endian::native == std::endian::little) {
            png_set_bgr(png);
            png_set_filler(png, 0, PNG_FILLER_AFTER);
        } else {
            png_set_filler(png, 0, PNG_FILLER_BEFORE);
        }
    }
    for (int y = 0; y < image.height; ++y) {
        const unsigned char* row = image.data + std::ptrdiff_t{y} * image.stride;
        if (image.grey) row = image.grey_data + std::ptrdiff_t{y} * image.width;
        png_write_row(png, row);
    }
    png_write_end(png, info);
    return true;
}

}  // namespace

bool write_png(cairo_surface_t* image, const std::string& path, double dpi, std::string& error) {
    cairo_surface_flush(image);
    const int width = cairo_image_surface_get_width(image);
    const int height = cairo_image_surface_get_height(image);
    const int stride = cairo_image_surface_get_stride(image);
    unsigned char* data = cairo_image_surface_get_data(image);
    if (!data || width <= 0 || height <= 0) {
        error = strfmt("cannot write %s: no image", path.c_str());
        return false;
    }
    // Cairo's image rows are 32-bit aligned words.
    std::vector<unsigned char> grey_bytes;
    const bool grey = to_grey(data, width, height, stride, grey_bytes);
    const Image picture{data, width, height, stride, grey, grey_bytes.data()};

    FileHandle file = open_file(path, "wb");
    if (!file) {
        error = strfmt("cannot write %s: %s", path.c_str(), std::strerror(errno));
        return false;
    }
    Sink sink;
    sink.file = file.get();
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &sink, on_error, on_warning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = info && encode(png, info, &sink, picture, dpi);
    png_destroy_write_struct(&png, info ? &info : nullptr);
    const int write_errno = sink.error_number;
    const bool closed = close_checked(file);
    if (ok && closed) return true;
    if (write_errno)
        error = strfmt("cannot write %s: %s", path.c_str(), std::strerror(write_errno));
    else if (!ok)
        error = strfmt("cannot write %s: %s", path.c_str(),
                       *sink.message ? sink.message : "out of memory");
    else
        error = strfmt("cannot write %s: %s", path.c_str(), std::strerror(errno ? errno : EIO));
    return false;
}

}  // namespace morvel::render
