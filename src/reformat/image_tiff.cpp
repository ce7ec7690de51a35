#include "reformat/image_tiff.h"

#include <algorithm>

#include "core/messages.h"
#include "run.h"

namespace morvel {

namespace {

// The tags the reader uses.
constexpr int kTagWidth = 256;
constexpr int kTagHeight = 257;
constexpr int kTagBitsPerSample = 258;
constexpr int kTagCompression = 259;
constexpr int kTagPhotometric = 262;
constexpr int kTagFillOrder = 266;
constexpr int kTagStripOffsets = 273;
constexpr int kTagSamplesPerPixel = 277;
constexpr int kTagRowsPerStrip = 278;
constexpr int kTagStripByteCounts = 279;
constexpr int kTagT4Options = 292;

// Bounds-checked reads of the file in its byte order.
struct TiffBytes {
    std::span<const std::uint8_t> bytes;
    bool big_endian = false;

    bool has(std::size_t at, std::size_t n) const {
        return at <= bytes.size() && n <= bytes.size() - at;
    }
    unsigned u16(std::size_t at) const {
        unsigned a = bytes[at], b = bytes[at + 1];
        return big_endian ? (a << 8 | b) : (b << 8 | a);
    }
    unsigned long u32(std::size_t at) const {
        unsigned long hi = u16(at), lo = u16(at + 2);
        return big_endian ? (hi << 16 | lo) : (lo << 16 | hi);
    }
};

// Which of the directory read's faults ended it.
enum class TiffFault {
    None,
    Eof,
    NumSize,
    SeekDirectory,
    NoStripOffsets,
    NoStripByteCounts,
    SeekStrip,
    Unsupported
};

// The values of an entry of type byte, short or long (count of them), inline in the
// entry or at the offset it holds.
TiffFault entry_values(const TiffBytes& f, std::size_t entry, std::vector<unsigned long>& out) {
    unsigned type = f.u16(entry + 2);
    unsigned long count = f.u32(entry + 4);
    std::size_t size = type == 1 ? 1 : type == 3 ? 2 : type == 4 ? 4 : 0;
    if (size == 0) return TiffFault::NumSize;
    if (count > f.bytes.size()) return TiffFault::Eof;
    std::size_t at = entry + 8;
    if (count * size > 4) at = f.u32(entry + 8);
    if (!f.has(at, count * size)) return TiffFault::Eof;
    out.clear();
    for (std::size_t i = 0; i < count; ++i) {
        std::size_t p = at + i * size;
        out.push_back(size == 1 ? f.bytes[p] : size == 2 ? f.u16(p) : f.u32(p));
    }
    return TiffFault::None;
}

TiffFault read_directory(TiffImage& tiff, std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 8) return TiffFault::Eof;
    TiffBytes f{bytes, bytes[0] == 'M' && bytes[1] == 'M'};
    tiff.big_endian = f.big_endian;
    std::size_t dir = f.u32(4);
    if (!f.has(dir, 2)) return TiffFault::SeekDirectory;
    unsigned entries = f.u16(dir);
    if (!f.has(dir + 2, entries * 12u)) return TiffFault::Eof;
    bool have_offsets = false, have_counts = false;
    long bits_per_sample = 1, samples = 1;
    std::vector<unsigned long> v;
    for (unsigned i = 0; i < entries; ++i) {
        std::size_t entry = dir + 2 + i * 12u;
        int tag = static_cast<int>(f.u16(entry));
        switch (tag) {
            case kTagWidth:
            case kTagHeight:
            case kTagBitsPerSample:
            case kTagCompression:
            case kTagPhotometric:
            case kTagFillOrder:
            case kTagStripOffsets:
            case kTagSamplesPerPixel:
            case kTagRowsPerStrip:
            case kTagStripByteCounts:
            case kTagT4Options:
                break;
            default:
                continue;  // tags the reader has no use for, of any type
        }
        if (TiffFault fault = entry_values(f, entry, v); fault != TiffFault::None) return fault;
        if (v.empty()) continue;
        long first = static_cast<long>(std::min(v[0], 0x7fffffffUL));
        switch (tag) {
            case kTagWidth:
                tiff.width = static_cast<int>(std::min(first, 1L << 20));
                break;
            case kTagHeight:
                tiff.height = static_cast<int>(std::min(first, 1L << 30));
                break;
            case kTagBitsPerSample:
                bits_per_sample = first;
                break;
            case kTagCompression:
                tiff.compression = static_cast<int>(first);
                break;
            case kTagPhotometric:
                tiff.photometric = static_cast<int>(first);
                break;
            case kTagFillOrder:
                tiff.fill_order = static_cast<int>(first);
                break;
            case kTagSamplesPerPixel:
                samples = first;
                break;
            case kTagRowsPerStrip:
                tiff.rows_per_strip = first;
                break;
            case kTagT4Options:
                tiff.t4_options = first;
                break;
            case kTagStripOffsets:
                tiff.strip_offsets.assign(v.begin(), v.end());
                have_offsets = true;
                break;
            case kTagStripByteCounts:
                tiff.strip_byte_counts.assign(v.begin(), v.end());
                have_counts = true;
                break;
        }
    }
    if (!have_offsets) return TiffFault::NoStripOffsets;
    if (!have_counts) return TiffFault::NoStripByteCounts;
    for (std::size_t offset : tiff.strip_offsets)
        if (offset >= bytes.size()) return TiffFault::SeekStrip;
    if (tiff.width < 1 || tiff.width > kMaxFaxWidth || tiff.height < 1 || bits_per_sample != 1 ||
        samples != 1)
        return TiffFault::Unsupported;
    return TiffFault::None;
}

const char* fault_text(TiffFault fault) {
    switch (fault) {
        case TiffFault::Eof:
            return "unexpected EOF";
        case TiffFault::NumSize:
            return "invalid num_size";
        case TiffFault::SeekDirectory:
            return "cannot seek to directory";
        case TiffFault::NoStripOffsets:
            return "no strip_offset tag";
        case TiffFault::NoStripByteCounts:
            return "no bytes_per_strip tag";
        case TiffFault::SeekStrip:
            return "cannot seek to strip";
        case TiffFault::Unsupported:
            return "Unsupported TIFF format";
        case TiffFault::None:
            break;
    }
    return "";
}

// Moves to the strip the next row starts; false when there is none to read.
bool start_strip(TiffImage& tiff, std::span<const std::uint8_t> bytes) {
    std::size_t index = static_cast<std::size_t>(tiff.next_strip);
    if (index >= tiff.strip_offsets.size() || index >= tiff.strip_byte_counts.size()) return false;
    std::size_t offset = tiff.strip_offsets[index];
    std::size_t count = tiff.strip_byte_counts[index];
    if (offset == 0 || count == 0 || offset >= bytes.size()) return false;
    tiff.strip_offset = offset;
    tiff.strip_bytes_left = std::min(count, bytes.size() - offset);
    ++tiff.next_strip;
    if (tiff.fax)
        tiff.fax->start(bytes.subspan(offset, tiff.strip_bytes_left), tiff.fill_order == 2, offset);
    return true;
}

// PackBits: a header h of 0..127 copies h + 1 bytes, 129..255 repeats the next byte
// 257 - h times, 128 is nothing. A run that passes the row's end is cut there.
bool packbits_row(TiffImage& tiff, std::span<const std::uint8_t> bytes,
                  std::vector<std::uint8_t>& row) {
    std::size_t n = row.size();
    std::size_t filled = 0;
    auto next = [&](int& b) {
        if (tiff.strip_bytes_left == 0) return false;
        b = bytes[tiff.strip_offset++];
        --tiff.strip_bytes_left;
        return true;
    };
    while (filled < n) {
        int h;
        if (!next(h)) return filled > 0;
        if (h < 128) {
            for (int i = 0; i <= h; ++i) {
                int b;
                if (!next(b)) return filled > 0;
                if (filled < n) row[filled++] = static_cast<std::uint8_t>(b);
            }
        } else if (h > 128) {
            int b;
            if (!next(b)) return filled > 0;
            for (int i = 0; i < 257 - h && filled < n; ++i)
                row[filled++] = static_cast<std::uint8_t>(b);
        }
    }
    return true;
}

}  // namespace

bool read_tiff(Run& run, TiffImage& tiff, std::span<const std::uint8_t> bytes,
               const std::string& name) {
    tiff = TiffImage{};
    TiffFault fault = read_directory(tiff, bytes);
    if (fault != TiffFault::None) {
        report_error(run, 0, "%s", fault_text(fault));
        report_error(run, 0, "Unable to read TIFF file header for %s", name.c_str());
        return false;
    }
    if (tiff.compression != kTiffGroup3 && tiff.compression != kTiffGroup4 &&
        tiff.compression != kTiffPackBits) {
        report_error(run, 0, "Morvel only understands Group III Fax files,");
        report_error(run, 0, "  Group IV Fax files,");
        report_error(run, 0, "  or 'pack_bits' files.");
        // Decoding another coding as fax data would only print noise.
        return false;
    }
    if (tiff.compression != kTiffPackBits)
        tiff.fax = std::make_unique<FaxDecoder>(
            tiff.width, tiff.compression, tiff.compression == kTiffGroup3 && (tiff.t4_options & 1));
    return true;
}

bool read_tiff_row(Run& run, TiffImage& tiff, std::span<const std::uint8_t> bytes,
                   std::vector<std::uint8_t>& row) {
    if (tiff.row >= tiff.height) return false;
    // Each strip is coded on its own: the fax reference line starts white again.
    bool strip_starts =
        tiff.row == 0 || (tiff.rows_per_strip > 0 && tiff.row % tiff.rows_per_strip == 0);
    if (strip_starts && !start_strip(tiff, bytes)) return false;
    std::size_t n = static_cast<std::size_t>(tiff.width + 7) / 8;
    row.assign(n, 0);
    if (tiff.compression == kTiffPackBits) {
        if (!packbits_row(tiff, bytes, row)) return false;
    } else {
        if (!tiff.fax->decode_row(run, tiff.row, tiff.pixels)) return false;
        for (std::size_t i = 0; i < tiff.pixels.size(); ++i)
            if (tiff.pixels[i]) row[i / 8] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    }
    // A black-is-zero file holds its samples the other way round.
    if (tiff.photometric == 1)
        for (auto& b : row) b = static_cast<std::uint8_t>(~b);
    ++tiff.row;
    return true;
}

}  // namespace morvel
