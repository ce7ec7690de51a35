#pragma once
// The character grid of a text-kind reformat program: the page is composed here and
// written as lines of text when it is ejected.
#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

namespace morvel {

/// A cell of a total-page placeholder: the first of the four characters the total
/// replaces once the document is complete.
struct PlaceholderCell {
    int row = 0;
    int column = 0;
};

/// width x height cells, row-major; a cell is one byte, or four with wide cells (the
/// bytes of one UTF-8 character, then zeros). A blank cell holds spaces in every byte.
class OutputPage {
  public:
    /// Largest page, in bytes, that a definition may ask for.
    static constexpr std::size_t kMaxBytes = std::size_t{256} << 20;

    /// Allocates the page filled with spaces; false when the size cannot be had.
    bool allocate(int width, int height, bool wide);
    /// Frees the page.
    void release();
    bool allocated() const { return cells_ != nullptr; }
    int width() const { return width_; }
    int height() const { return height_; }
    bool wide() const { return cell_size_ == 4; }
    /// Fills every cell with spaces again and forgets the placeholders.
    void clear();
    /// Rows below this one have never been written since the last clear: all blank.
    int used_rows() const { return used_rows_; }
    /// The bytes of cell (row, column); both must be inside the page.
    char* cell(int row, int column) {
        std::size_t index = static_cast<std::size_t>(row) * static_cast<std::size_t>(width_) +
                            static_cast<std::size_t>(column);
        return cells_.get() + index * static_cast<std::size_t>(cell_size_);
    }
    const char* cell(int row, int column) const {
        return const_cast<OutputPage*>(this)->cell(row, column);
    }
    /// Whether the cell holds nothing but the blank.
    bool blank(int row, int column) const { return *cell(row, column) == ' '; }
    /// Overwrites cells (row, column), (row, column + 1) ... with one byte each, cut at
    /// the right edge. row and column must be inside the page.
    void put_bytes(int row, int column, std::string_view text);
    /// Puts one UTF-8 character per cell from column while column < width (wide cells).
    void put_characters(int row, int column, std::string_view text);

    /// Total-page placeholders placed on this page, turned into file offsets at eject.
    std::vector<PlaceholderCell> placeholders;

  private:
    std::unique_ptr<char[]> cells_;
    /// A released page's cells, kept for the next allocation of the same size so that a
    /// page per document costs no allocation; its first spare_dirty_ bytes may be written.
    std::unique_ptr<char[]> spare_;
    std::size_t spare_bytes_ = 0;
    std::size_t spare_dirty_ = 0;
    int used_rows_ = 0;
    int width_ = 0;
    int height_ = 0;
    int cell_size_ = 1;
};

/// Bytes of the UTF-8 character at the start of text: 2, 3 or 4 for a lead byte followed
/// by the right number of continuation bytes, else 1; 0 for an empty text.
int utf8_character_length(std::string_view text);

}  // namespace morvel
