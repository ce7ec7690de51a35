#include "reformat/image_reader.h"

#include <cstdio>

#include "core/file_handle.h"
#include "core/messages.h"
#include "run.h"

namespace morvel {

ImageType detect_image_type(const std::vector<std::uint8_t>& b) {
    if (b.size() >= 4 && ((b[0] == 'M' && b[1] == 'M' && b[2] == 0 && b[3] == '*') ||
                          (b[0] == 'I' && b[1] == 'I' && b[2] == '*' && b[3] == 0)))
        return ImageType::Tiff;
    if (b.size() >= 2 && b[0] == 'B' && b[1] == 'M') return ImageType::Bmp;
    if (!b.empty() && b[0] == 10) return ImageType::Pcx;
    return ImageType::None;
}

bool open_graphic_image(Run& run, GraphicImage& image, const std::string& name) {
    image.file_name = name;
    image.bytes.clear();
    image.row = 0;
    if (name == "-") {
        read_stream(run.in, image.bytes);
    } else {
        FileHandle file = open_file(name, "rb");
        if (!file) {
            // With -r a missing form is left out quietly.
            if (!run.options.run_after_errors)
                report_error(run, 0, "Unable to open graphic file >%s<", name.c_str());
            return false;
        }
        read_stream(file.get(), image.bytes);
    }
    image.source_type = detect_image_type(image.bytes);
    switch (image.source_type) {
        case ImageType::Pcx:
            return read_pcx_header(run, image);
        case ImageType::Bmp:
            return read_bmp_header(image);
        case ImageType::Tiff:
            if (!read_tiff(run, image.tiff, image.bytes, name)) return false;
            image.width = image.tiff.width;
            image.height = image.tiff.height;
            image.bits_per_pixel = 1;
            image.bytes_per_row = (image.width + 7) / 8;
            return true;
        case ImageType::None:
            break;
    }
    return false;
}

bool read_image_row(Run& run, GraphicImage& image, std::vector<std::uint8_t>& row) {
    if (image.row >= image.height) return false;
    bool ok = false;
    switch (image.source_type) {
        case ImageType::Pcx:
            ok = read_pcx_row(image, row);
            break;
        case ImageType::Bmp:
            ok = read_bmp_row(image, row);
            break;
        case ImageType::Tiff:
            ok = read_tiff_row(run, image.tiff, image.bytes, row);
            break;
        case ImageType::None:
            break;
    }
    if (ok) ++image.row;
    return ok;
}

}  // namespace morvel
