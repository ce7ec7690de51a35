#include "render/device.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/strfmt.h"

namespace morvel::render {

namespace {

cairo_status_t write_to_file(void* closure, const unsigned char* data, unsigned int length) {
    auto* file = static_cast<std::FILE*>(closure);
    return std::fwrite(data, 1, length, file) == length ? CAIRO_STATUS_SUCCESS
                                                        : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

PdfDevice::PdfDevice(std::FILE* out) : out_(out) {}

PdfDevice::~PdfDevice() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
}

cairo_t* PdfDevice::begin_page(double width_pt, double height_pt) {
    if (!surface_) {
        surface_ = cairo_pdf_surface_create_for_stream(write_to_file, out_, width_pt, height_pt);
        cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "morvel-render");
    } else {
        cairo_pdf_surface_set_size(surface_, width_pt, height_pt);
    }
    if (!cr_) cr_ = cairo_create(surface_);
    cairo_identity_matrix(cr_);
    cairo_reset_clip(cr_);
    return cr_;
}

bool PdfDevice::end_page(std::string& error, int copies) {
    for (int i = 1; i < copies; ++i, ++pages_) cairo_copy_page(cr_);
    cairo_show_page(cr_);
    ++pages_;
    cairo_status_t status = cairo_surface_status(surface_);
    if (status != CAIRO_STATUS_SUCCESS) {
        error = strfmt("PDF output failed: %s", cairo_status_to_string(status));
        return false;
    }
    return true;
}

bool PdfDevice::finish(std::string& error) {
    if (!surface_) begin_page(595.276, 841.89), end_page(error);
    if (cr_) cairo_destroy(cr_);
    cr_ = nullptr;
    cairo_surface_finish(surface_);
    cairo_status_t status = cairo_surface_status(surface_);
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    if (status != CAIRO_STATUS_SUCCESS || std::fflush(out_) != 0) {
        error = strfmt("PDF output failed: %s", cairo_status_to_string(status));
        return false;
    }
    return true;
}

PngDevice::PngDevice(std::string pattern, double dpi) : pattern_(std::move(pattern)), dpi_(dpi) {}

PngDevice::~PngDevice() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
}

std::string PngDevice::file_name(int page) const {
    std::string number = std::to_string(page);
    std::size_t at = pattern_.find("%d");
    if (at != std::string::npos) return pattern_.substr(0, at) + number + pattern_.substr(at + 2);
    if (page == 1) return pattern_;
    std::size_t dot = pattern_.rfind('.');
    std::size_t slash = pattern_.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return pattern_ + "-" + number;
    return pattern_.substr(0, dot) + "-" + number + pattern_.substr(dot);
}

cairo_t* PngDevice::begin_page(double width_pt, double height_pt) {
    int w = static_cast<int>(std::lround(width_pt / 72.0 * dpi_));
    int h = static_cast<int>(std::lround(height_pt / 72.0 * dpi_));
    w = std::max(1, std::min(w, 32000));
    h = std::max(1, std::min(h, 32000));
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cr_ = cairo_create(surface_);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    cairo_scale(cr_, dpi_ / 72.0, dpi_ / 72.0);
    return cr_;
}

bool PngDevice::end_page(std::string& error, int copies) {
    cairo_destroy(cr_);
    cr_ = nullptr;
    bool ok = true;
    for (int i = 0; i < copies; ++i) {
        ++pages_;
        std::string name = file_name(pages_);
        cairo_status_t status = cairo_surface_write_to_png(surface_, name.c_str());
        if (status != CAIRO_STATUS_SUCCESS && ok) {
            error = strfmt("cannot write %s: %s", name.c_str(), cairo_status_to_string(status));
            ok = false;
        }
    }
    cairo_surface_destroy(surface_);
    surface_ = nullptr;
    return ok;
}

bool PngDevice::finish(std::string& error) {
    if (pages_ == 0) {
        begin_page(595.276, 841.89);
        return end_page(error);
    }
    return true;
}

ImageDevice::~ImageDevice() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    if (last_) cairo_surface_destroy(last_);
}

cairo_t* ImageDevice::begin_page(double width_pt, double height_pt) {
    int w = std::max(1, static_cast<int>(std::lround(width_pt / 72.0 * dpi_)));
    int h = std::max(1, static_cast<int>(std::lround(height_pt / 72.0 * dpi_)));
    surface_ =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, std::min(w, 32000), std::min(h, 32000));
    cr_ = cairo_create(surface_);
    cairo_set_source_rgb(cr_, 1, 1, 1);
    cairo_paint(cr_);
    cairo_scale(cr_, dpi_ / 72.0, dpi_ / 72.0);
    return cr_;
}

bool ImageDevice::end_page(std::string&, int copies) {
    pages_ += copies;
    cairo_destroy(cr_);
    cr_ = nullptr;
    if (last_) cairo_surface_destroy(last_);
    last_ = surface_;
    surface_ = nullptr;
    cairo_surface_flush(last_);
    return true;
}

unsigned ImageDevice::pixel(int x, int y) const {
    if (!last_ || x < 0 || y < 0 || x >= width() || y >= height()) return 0xFFFFFF;
    const unsigned char* data = cairo_image_surface_get_data(last_);
    int stride = cairo_image_surface_get_stride(last_);
    std::uint32_t v;
    std::memcpy(&v, data + static_cast<std::ptrdiff_t>(y) * stride + x * 4, 4);
    return v & 0xFFFFFFu;
}

bool ImageDevice::ink(int x, int y) const {
    unsigned v = pixel(x, y);
    unsigned grey = ((v >> 16 & 0xFF) * 30 + (v >> 8 & 0xFF) * 59 + (v & 0xFF) * 11) / 100;
    return grey < 128;
}

}  // namespace morvel::render
