#pragma once
// Where rendered pages go: one PDF, or one PNG file per page.
#include <cairo.h>

#include <cstdio>
#include <string>

namespace morvel::render {

/// Receives pages one after the other. Sizes are in points (1/72 inch).
class Device {
  public:
    virtual ~Device() = default;
    /// Starts a page; the context draws in points with the origin at the top left.
    virtual cairo_t* begin_page(double width_pt, double height_pt) = 0;
    /// Finishes the page begun last, output `copies` times; false with `error` set when it
    /// could not be written.
    virtual bool end_page(std::string& error, int copies = 1) = 0;
    /// Completes the output; false with `error` set on failure.
    virtual bool finish(std::string& error) = 0;
    /// Device pixels per point, 0 for vector output.
    virtual double pixels_per_point() const = 0;
    /// Pages finished so far.
    int pages() const { return pages_; }

  protected:
    int pages_ = 0;
};

/// Every page into one PDF written to an open file (not owned).
class PdfDevice : public Device {
  public:
    explicit PdfDevice(std::FILE* out);
    ~PdfDevice() override;
    cairo_t* begin_page(double width_pt, double height_pt) override;
    bool end_page(std::string& error, int copies = 1) override;
    bool finish(std::string& error) override;
    double pixels_per_point() const override { return 0; }

  private:
    std::FILE* out_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
    bool write_failed_ = false;
};

/// Each page as a PNG at `dpi`; `pattern` names the files, "%d" standing for the page number.
class PngDevice : public Device {
  public:
    PngDevice(std::string pattern, double dpi);
    ~PngDevice() override;
    cairo_t* begin_page(double width_pt, double height_pt) override;
    bool end_page(std::string& error, int copies = 1) override;
    bool finish(std::string& error) override;
    double pixels_per_point() const override { return dpi_ / 72.0; }
    /// The file name of page `page` (1-based).
    std::string file_name(int page) const;

  private:
    std::string pattern_;
    double dpi_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
};

/// Pages drawn into memory at `dpi`; the last finished page stays for inspection (tests).
class ImageDevice : public Device {
  public:
    explicit ImageDevice(double dpi) : dpi_(dpi) {}
    ~ImageDevice() override;
    cairo_t* begin_page(double width_pt, double height_pt) override;
    bool end_page(std::string& error, int copies = 1) override;
    bool finish(std::string&) override { return true; }
    double pixels_per_point() const override { return dpi_ / 72.0; }
    /// True when the pixel (in device pixels) of the last finished page is darker than mid grey.
    bool ink(int x, int y) const;
    /// The colour of a pixel of the last finished page as 0xRRGGBB.
    unsigned pixel(int x, int y) const;
    int width() const { return last_ ? cairo_image_surface_get_width(last_) : 0; }
    int height() const { return last_ ? cairo_image_surface_get_height(last_) : 0; }

  private:
    double dpi_;
    cairo_surface_t* surface_ = nullptr;
    cairo_surface_t* last_ = nullptr;
    cairo_t* cr_ = nullptr;
};

}  // namespace morvel::render
