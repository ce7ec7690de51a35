#pragma once
// TIFF images holding black-and-white fax or PackBits data: the first image directory
// and the rows of its strips.
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "reformat/image_fax.h"

namespace morvel {

struct Run;

/// TIFF compression values the reader decodes.
inline constexpr int kTiffGroup3 = 3;
inline constexpr int kTiffGroup4 = 4;
inline constexpr int kTiffPackBits = 32773;

/// Decoder state of a TIFF image.
struct TiffImage {
    int width = 0;
    int height = 0;
    std::size_t strip_offset = 0;      ///< file position of the next undecoded byte
    std::size_t strip_bytes_left = 0;  ///< bytes of the current strip not yet decoded
    int fill_order = 1;                ///< 2: least significant bit first
    long t4_options = 0;
    int compression = 1;
    std::vector<std::size_t> strip_offsets;
    std::vector<std::size_t> strip_byte_counts;
    long rows_per_strip = 0;  ///< 0: all rows in one strip
    int photometric = 0;      ///< 0: a 0 sample is white; 1: a 0 sample is black
    bool big_endian = false;
    int next_strip = 0;  ///< index of the strip the next row starts when the current is done
    int row = 0;         ///< rows read so far
    std::unique_ptr<FaxDecoder> fax;
    std::vector<std::uint8_t> pixels;  ///< one byte per pixel of the fax row
};

/// Reads the header and first directory of the TIFF file in bytes. False after
/// reporting, also for a compression the reader cannot decode.
bool read_tiff(Run& run, TiffImage& tiff, std::span<const std::uint8_t> bytes,
               const std::string& name);

/// Decodes the next row into bits, 1 = black, most significant bit first,
/// (width + 7) / 8 bytes. False at the end of the data or after a reported fault.
bool read_tiff_row(Run& run, TiffImage& tiff, std::span<const std::uint8_t> bytes,
                   std::vector<std::uint8_t>& row);

}  // namespace morvel
