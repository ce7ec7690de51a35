#pragma once
// Image files printed as forms: type detection and the PCX, BMP and TIFF readers,
// which hand out one row at a time.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "reformat/image_tiff.h"

namespace morvel {

struct Run;

enum class ImageType { None = 0, Pcx = 1, Tiff = 2, Bmp = 3 };

/// One image being read. Rows come out as printer bits (1 = black, most significant
/// bit first) for 1-bit images, or as palette indices (one byte per pixel) for 8-bit ones.
struct GraphicImage {
    ImageType source_type = ImageType::None;
    int width = 0;
    int height = 0;
    int bits_per_pixel = 1;                     ///< 1 or 8
    int bytes_per_row = 0;                      ///< of the file's rows
    std::array<std::uint8_t, 2> bit_ink{1, 0};  ///< BMP: printer bit of a 0 and a 1 pixel
    std::string file_name;
    std::vector<std::uint8_t> bytes;          ///< the whole file
    std::array<std::uint8_t, 768> palette{};  ///< red, green, blue of 256 entries
    std::size_t data_offset = 0;              ///< BMP pixel data; PCX: next coded byte
    std::size_t data_end = 0;                 ///< PCX: end of the coded rows
    int row = 0;                              ///< rows read so far
    std::vector<std::uint8_t> scratch;        ///< PCX row before it is trimmed
    TiffImage tiff;
};

/// The image type from the first bytes: "MM\0*" or "II*\0" TIFF, "BM" BMP, 10 PCX.
ImageType detect_image_type(const std::vector<std::uint8_t>& bytes);

/// Reads the file (standard input for "-") and its header into image. False when
/// nothing is to be drawn: after a message for an unreadable file or a bad header,
/// silently for an unknown type or an image kind the readers do not print.
bool open_graphic_image(Run& run, GraphicImage& image, const std::string& name);

/// The next row (printer bits or palette indices, see GraphicImage). False at the end
/// of the data or after a reported fault.
bool read_image_row(Run& run, GraphicImage& image, std::vector<std::uint8_t>& row);

/// PCX and BMP readers (image_bitmaps.cpp); the header readers are false when nothing is to
/// be drawn.
bool read_pcx_header(Run& run, GraphicImage& image);
bool read_pcx_row(GraphicImage& image, std::vector<std::uint8_t>& row);
bool read_bmp_header(GraphicImage& image);
bool read_bmp_row(GraphicImage& image, std::vector<std::uint8_t>& row);

}  // namespace morvel
