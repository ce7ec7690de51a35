#pragma once
// Fax image data (ITU-T T.4 one- and two-dimensional coding, T.6 coding) decoded
// row by row into one byte per pixel.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace morvel {

struct Run;

/// Widest fax row the decoder accepts, in pixels.
inline constexpr int kMaxFaxWidth = 15000;

/// Reads bits one at a time from a byte span, most significant bit first, or least
/// significant first for fill order 2.
class BitReader {
  public:
    BitReader() = default;
    BitReader(std::span<const std::uint8_t> bytes, bool lsb_first)
        : bytes_(bytes), lsb_first_(lsb_first) {}
    /// The next bit, or -1 past the end.
    int bit() {
        if (pos_ >= bytes_.size() * 8) return -1;
        std::uint8_t byte = bytes_[pos_ / 8];
        int shift = lsb_first_ ? static_cast<int>(pos_ % 8) : 7 - static_cast<int>(pos_ % 8);
        ++pos_;
        return (byte >> shift) & 1;
    }
    /// Bits read so far.
    std::size_t position() const { return pos_; }
    void seek(std::size_t bit_position) { pos_ = bit_position; }
    /// Moves to the start of the next byte unless already at one.
    void align() { pos_ = (pos_ + 7) / 8 * 8; }
    bool at_end() const { return pos_ >= bytes_.size() * 8; }

  private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
    bool lsb_first_ = false;
};

/// Decoder state of one fax image (or one strip of it).
class FaxDecoder {
  public:
    /// coding: 3 for T.4 (two_dimensional when T4 options bit 0 is set), 4 for T.6.
    FaxDecoder(int width, int coding, bool two_dimensional);

    /// Starts a new strip at file position offset: the reference line becomes all white.
    void start(std::span<const std::uint8_t> strip, bool lsb_first, std::size_t offset);

    /// Decodes the next row into pixels (1 black, 0 white, width bytes). False, after a
    /// message for an invalid code, when the row cannot be decoded or no data is left.
    bool decode_row(Run& run, int row_number, std::vector<std::uint8_t>& pixels);

  private:
    bool row_1d(Run& run, std::vector<std::uint8_t>& pixels);
    bool row_2d(Run& run, std::vector<std::uint8_t>& pixels);
    int read_code(Run& run, int tree);
    int read_run(Run& run, int colour);
    bool skip_eol();

    int width_;
    int coding_;
    bool two_dimensional_;
    int row_number_ = 0;
    std::size_t strip_offset_ = 0;  ///< file position of the strip, for messages
    bool ended_ = false;            ///< the end-of-facsimile-block code was read
    BitReader bits_;
    std::vector<std::uint8_t> reference_;
};

/// Whether no code of the T.4 tables (modes, white runs, black runs) is a prefix of another.
bool fax_code_tables_are_prefix_free();

}  // namespace morvel
