#pragma once
// Where rendered pages go: one PDF, or one PNG file per page.
#include <cairo.h>

#include <condition_variable>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace morvel::render {

/// The most pages a job may output unless told otherwise (copies count as pages).
constexpr int kDefaultMaxPages = 10000;

/// What the document information of a PDF says; empty fields are left out.
struct PdfInfo {
    std::string title, author, subject, keywords;
};

/// Receives pages one after the other. Sizes are in points (1/72 inch).
class Device {
  public:
    virtual ~Device();
    /// Starts a page; the context draws in points with the origin at the top left.
    /// Past the page limit the context draws nowhere.
    cairo_t* begin_page(double width_pt, double height_pt);
    /// Finishes the page begun last, output `copies` times; false with `error` set when it
    /// could not be written, or when the page limit cut it.
    bool end_page(std::string& error, int copies = 1);
    /// Called for each further mark on the page begun last: the context to draw it on,
    /// a context that draws nowhere once a page holds more marks than the device keeps.
    cairo_t* mark(cairo_t* page);
    /// Completes the output; false with `error` set on failure.
    virtual bool finish(std::string& error) = 0;
    /// Device pixels per point, 0 for vector output.
    virtual double pixels_per_point() const = 0;
    /// True when shading is drawn as the printer's halftone pattern; false when as a flat
    /// grey of its level (for reading on screen).
    virtual bool printer_shading() const { return true; }
    /// Pages finished so far.
    int pages() const { return pages_; }
    /// At most `n` pages are output; the rest of the job is read but not drawn.
    void set_max_pages(int n) { max_pages_ = n; }
    int max_pages() const { return max_pages_; }

  protected:
    /// Starts a page on the output.
    virtual cairo_t* open_page(double width_pt, double height_pt) = 0;
    /// Outputs the page begun last as pages `first`.. `first + copies - 1` (1-based).
    virtual bool close_page(std::string& error, int first, int copies) = 0;
    /// The most marks one page may hold, 0 for no limit.
    virtual long max_marks() const { return 0; }

    int pages_ = 0;

  private:
    int max_pages_ = kDefaultMaxPages;
    bool discarding_ = false;  ///< the page being drawn is past the page limit
    long marks_ = 0;           ///< marks on the page being drawn
    bool marks_cut_ = false;   ///< some marks of this page were not drawn
    cairo_surface_t* nowhere_surface_ = nullptr;
    cairo_t* nowhere_ = nullptr;  ///< a one-pixel scratch context for what is not drawn
    cairo_t* scratch();
};

/// Every page into one PDF written to an open file (not owned). Cairo writes each page
/// out when it is finished; a page holds at most `kMaxPdfMarks` marks.
class PdfDevice : public Device {
  public:
    explicit PdfDevice(std::FILE* out, PdfInfo info = {}, bool printer_shading = false);
    ~PdfDevice() override;
    bool finish(std::string& error) override;
    double pixels_per_point() const override { return 0; }
    bool printer_shading() const override { return printer_shading_; }

  protected:
    cairo_t* open_page(double width_pt, double height_pt) override;
    bool close_page(std::string& error, int first, int copies) override;
    long max_marks() const override;

  private:
    std::FILE* out_;
    PdfInfo info_;
    bool printer_shading_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
};

/// The most marks (text runs, rules, paths, raster strips) one PDF page holds; cairo keeps
/// a page's drawing in memory until the page is finished.
constexpr long kMaxPdfMarks = 250000;

/// The file that page `page` (1-based) of a PNG output named `pattern` goes to: "%d" stands
/// for the page number; without it, pages after the first get "-2", "-3" ... before the
/// extension.
std::string png_file_name(const std::string& pattern, int page);

/// Each page as a PNG at `dpi`; `pattern` names the files, "%d" standing for the page number.
/// Finished pages are encoded and written by worker threads while the next pages are drawn;
/// at most a few pages wait, so memory stays bounded.
class PngDevice : public Device {
  public:
    /// `threads` workers write the files (0: one per processor).
    PngDevice(std::string pattern, double dpi, int threads = 0);
    ~PngDevice() override;
    bool finish(std::string& error) override;
    double pixels_per_point() const override { return dpi_ / 72.0; }
    /// The file name of page `page` (1-based).
    std::string file_name(int page) const;

  protected:
    cairo_t* open_page(double width_pt, double height_pt) override;
    bool close_page(std::string& error, int first, int copies) override;

  private:
    struct Job {
        cairo_surface_t* surface;
        int first;
        int copies;
    };
    void work();
    void stop_workers();

    std::string pattern_;
    double dpi_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;

    std::mutex mutex_;
    std::condition_variable queued_;    ///< a job was queued, or the workers must stop
    std::condition_variable dequeued_;  ///< room in the queue
    std::deque<Job> queue_;
    std::size_t queue_limit_ = 2;
    bool stopping_ = false;
    std::string first_error_;  ///< the first write that failed, guarded by mutex_
    bool error_reported_ = false;
    std::vector<std::thread> workers_;
};

/// Pages drawn into memory at `dpi`; the last finished page stays for inspection (tests).
class ImageDevice : public Device {
  public:
    explicit ImageDevice(double dpi) : dpi_(dpi) {}
    ~ImageDevice() override;
    bool finish(std::string&) override { return true; }
    double pixels_per_point() const override { return dpi_ / 72.0; }
    /// True when the pixel (in device pixels) of the last finished page is darker than mid grey.
    bool ink(int x, int y) const;
    /// The colour of a pixel of the last finished page as 0xRRGGBB.
    unsigned pixel(int x, int y) const;
    int width() const { return last_ ? cairo_image_surface_get_width(last_) : 0; }
    int height() const { return last_ ? cairo_image_surface_get_height(last_) : 0; }

  protected:
    cairo_t* open_page(double width_pt, double height_pt) override;
    bool close_page(std::string& error, int first, int copies) override;

  private:
    double dpi_;
    cairo_surface_t* surface_ = nullptr;
    cairo_surface_t* last_ = nullptr;
    cairo_t* cr_ = nullptr;
};

}  // namespace morvel::render
