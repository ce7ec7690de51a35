#include "render/device.h"

#include <cairo-pdf.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/strfmt.h"
#include "render/png_writer.h"

namespace morvel::render {

namespace {

cairo_status_t write_to_file(void* closure, const unsigned char* data, unsigned int length) {
    auto* file = static_cast<std::FILE*>(closure);
    return std::fwrite(data, 1, length, file) == length ? CAIRO_STATUS_SUCCESS
                                                        : CAIRO_STATUS_WRITE_ERROR;
}

/// A white page image of the sheet's size at `dpi`, with a context that draws in points.
cairo_t* white_page(double width_pt, double height_pt, double dpi, cairo_surface_t*& surface) {
    int w = static_cast<int>(std::lround(width_pt / 72.0 * dpi));
    int h = static_cast<int>(std::lround(height_pt / 72.0 * dpi));
    w = std::max(1, std::min(w, 32000));
    h = std::max(1, std::min(h, 32000));
    surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, w, h);
    cairo_t* cr = cairo_create(surface);
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    cairo_scale(cr, dpi / 72.0, dpi / 72.0);
    return cr;
}

}  // namespace

Device::~Device() {
    if (nowhere_) cairo_destroy(nowhere_);
    if (nowhere_surface_) cairo_surface_destroy(nowhere_surface_);
}

cairo_t* Device::scratch() {
    if (!nowhere_) {
        nowhere_surface_ = cairo_image_surface_create(CAIRO_FORMAT_A8, 1, 1);
        nowhere_ = cairo_create(nowhere_surface_);
    }
    cairo_identity_matrix(nowhere_);
    cairo_reset_clip(nowhere_);
    return nowhere_;
}

cairo_t* Device::begin_page(double width_pt, double height_pt) {
    marks_ = 0;
    marks_cut_ = false;
    discarding_ = pages_ >= max_pages_;
    if (discarding_) return scratch();
    return open_page(width_pt, height_pt);
}

cairo_t* Device::mark(cairo_t* page) {
    if (discarding_ || page == nowhere_) return page;
    const long limit = max_marks();
    if (limit > 0 && ++marks_ > limit) {
        marks_cut_ = true;
        return scratch();
    }
    return page;
}

bool Device::end_page(std::string& error, int copies) {
    if (discarding_) {
        error = strfmt("the job has more than %d pages; the rest are not output (--max-pages)",
                       max_pages_);
        return false;
    }
    const int room = max_pages_ - pages_;
    const int output = std::clamp(copies, 1, std::max(1, room));
    const int first = pages_ + 1;
    pages_ += output;
    bool ok = close_page(error, first, output);
    if (ok && marks_cut_) {
        error = strfmt("page %d has more than %ld marks; the rest of them are not drawn", first,
                       max_marks());
        ok = false;
    }
    if (ok && output < copies) {
        error = strfmt("the job has more than %d pages; the rest are not output (--max-pages)",
                       max_pages_);
        ok = false;
    }
    return ok;
}

PdfDevice::PdfDevice(std::FILE* out, PdfInfo info, bool printer_shading)
    : out_(out), info_(std::move(info)), printer_shading_(printer_shading) {}

PdfDevice::~PdfDevice() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
}

long PdfDevice::max_marks() const {
    return kMaxPdfMarks;
}

cairo_t* PdfDevice::open_page(double width_pt, double height_pt) {
    if (!surface_) {
        surface_ = cairo_pdf_surface_create_for_stream(write_to_file, out_, width_pt, height_pt);
        cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "morvel-render");
        const std::pair<cairo_pdf_metadata_t, const std::string*> fields[] = {
            {CAIRO_PDF_METADATA_TITLE, &info_.title},
            {CAIRO_PDF_METADATA_AUTHOR, &info_.author},
            {CAIRO_PDF_METADATA_SUBJECT, &info_.subject},
            {CAIRO_PDF_METADATA_KEYWORDS, &info_.keywords},
        };
        for (const auto& [field, value] : fields)
            if (!value->empty()) cairo_pdf_surface_set_metadata(surface_, field, value->c_str());
    } else {
        cairo_pdf_surface_set_size(surface_, width_pt, height_pt);
    }
    if (!cr_) cr_ = cairo_create(surface_);
    cairo_identity_matrix(cr_);
    cairo_reset_clip(cr_);
    return cr_;
}

bool PdfDevice::close_page(std::string& error, int, int copies) {
    for (int i = 1; i < copies; ++i) cairo_copy_page(cr_);
    cairo_show_page(cr_);
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
    if (status != CAIRO_STATUS_SUCCESS) {
        error = strfmt("PDF output failed: %s", cairo_status_to_string(status));
        return false;
    }
    errno = 0;
    if (std::fflush(out_) != 0 || std::ferror(out_)) {
        error = strfmt("PDF output failed: %s", std::strerror(errno ? errno : EIO));
        return false;
    }
    return true;
}

PngDevice::PngDevice(std::string pattern, double dpi, int threads)
    : pattern_(std::move(pattern)), dpi_(dpi) {
    if (threads <= 0) threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    queue_limit_ = static_cast<std::size_t>(threads);
    for (int i = 0; i < threads; ++i) workers_.emplace_back([this] { work(); });
}

PngDevice::~PngDevice() {
    stop_workers();
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
}

void PngDevice::stop_workers() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    queued_.notify_all();
    for (auto& t : workers_) t.join();
    workers_.clear();
}

void PngDevice::work() {
    for (;;) {
        Job job{};
        {
            std::unique_lock lock(mutex_);
            queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
            if (queue_.empty()) return;
            job = queue_.front();
            queue_.pop_front();
        }
        dequeued_.notify_one();
        std::string error;
        for (int i = 0; i < job.copies; ++i) {
            if (!write_png(job.surface, file_name(job.first + i), dpi_, error)) {
                std::lock_guard lock(mutex_);
                if (first_error_.empty()) first_error_ = error;
                break;
            }
        }
        cairo_surface_destroy(job.surface);
    }
}

std::string PngDevice::file_name(int page) const {
    return png_file_name(pattern_, page);
}

std::string png_file_name(const std::string& pattern, int page) {
    std::string number = std::to_string(page);
    std::size_t at = pattern.find("%d");
    if (at != std::string::npos) return pattern.substr(0, at) + number + pattern.substr(at + 2);
    if (page == 1) return pattern;
    std::size_t dot = pattern.rfind('.');
    std::size_t slash = pattern.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return pattern + "-" + number;
    return pattern.substr(0, dot) + "-" + number + pattern.substr(dot);
}

cairo_t* PngDevice::open_page(double width_pt, double height_pt) {
    cr_ = white_page(width_pt, height_pt, dpi_, surface_);
    return cr_;
}

bool PngDevice::close_page(std::string& error, int first, int copies) {
    cairo_destroy(cr_);
    cr_ = nullptr;
    cairo_surface_flush(surface_);
    std::unique_lock lock(mutex_);
    dequeued_.wait(lock, [this] { return queue_.size() < queue_limit_; });
    queue_.push_back(Job{surface_, first, copies});
    surface_ = nullptr;
    // A write that failed on an earlier page is reported now, once.
    bool ok = first_error_.empty() || error_reported_;
    if (!ok) {
        error = first_error_;
        error_reported_ = true;
    }
    lock.unlock();
    queued_.notify_one();
    return ok;
}

bool PngDevice::finish(std::string& error) {
    if (pages_ == 0 && max_pages() > 0) {
        begin_page(595.276, 841.89);
        std::string ignored;
        end_page(ignored);
    }
    stop_workers();
    if (!first_error_.empty() && !error_reported_) {
        error = first_error_;
        error_reported_ = true;
        return false;
    }
    return true;
}

ImageDevice::~ImageDevice() {
    if (cr_) cairo_destroy(cr_);
    if (surface_) cairo_surface_destroy(surface_);
    if (last_) cairo_surface_destroy(last_);
}

cairo_t* ImageDevice::open_page(double width_pt, double height_pt) {
    cr_ = white_page(width_pt, height_pt, dpi_, surface_);
    return cr_;
}

bool ImageDevice::close_page(std::string&, int, int) {
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
