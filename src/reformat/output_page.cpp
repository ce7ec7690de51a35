#include "reformat/output_page.h"

#include <cstring>
#include <new>

#include "values/text_util.h"

namespace morvel {

bool OutputPage::allocate(int width, int height, bool wide) {
    release();
    if (width < 0 || height < 0) return false;
    std::size_t cell_size = wide ? 4 : 1;
    std::size_t cells = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (cells > kMaxBytes / cell_size) return false;
    // At least one byte so that an empty page still counts as allocated.
    std::size_t bytes = cells * cell_size;
    if (bytes == 0) bytes = 1;
    width_ = width;
    height_ = height;
    cell_size_ = static_cast<int>(cell_size);
    if (spare_ && spare_bytes_ == bytes) {
        cells_ = std::move(spare_);
        std::memset(cells_.get(), ' ', spare_dirty_);
    } else {
        spare_.reset();
        cells_.reset(new (std::nothrow) char[bytes]);
        if (!cells_) {
            width_ = height_ = 0;
            cell_size_ = 1;
            return false;
        }
        std::memset(cells_.get(), ' ', bytes);
    }
    used_rows_ = 0;
    placeholders.clear();
    return true;
}

void OutputPage::release() {
    if (cells_) {
        spare_bytes_ = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) *
                       static_cast<std::size_t>(cell_size_);
        if (spare_bytes_ == 0) spare_bytes_ = 1;
        spare_dirty_ = static_cast<std::size_t>(width_) * static_cast<std::size_t>(used_rows_) *
                       static_cast<std::size_t>(cell_size_);
        spare_ = std::move(cells_);
    }
    used_rows_ = 0;
    width_ = height_ = 0;
    cell_size_ = 1;
    placeholders.clear();
}

void OutputPage::clear() {
    if (!cells_) return;
    std::size_t bytes = static_cast<std::size_t>(width_) * static_cast<std::size_t>(used_rows_) *
                        static_cast<std::size_t>(cell_size_);
    std::memset(cells_.get(), ' ', bytes);
    used_rows_ = 0;
    placeholders.clear();
}

void OutputPage::put_bytes(int row, int column, std::string_view text) {
    std::size_t room = static_cast<std::size_t>(width_ - column);
    if (text.size() > room) text = text.substr(0, room);
    if (text.empty()) return;
    std::memcpy(cell(row, column), text.data(), text.size());
    if (row >= used_rows_) used_rows_ = row + 1;
}

void OutputPage::put_characters(int row, int column, std::string_view text) {
    std::size_t pos = 0;
    if (!text.empty() && column < width_ && row >= used_rows_) used_rows_ = row + 1;
    while (pos < text.size() && column < width_) {
        int length = utf8_character_length(text.substr(pos));
        char* c = cell(row, column);
        std::memset(c, 0, 4);
        std::memcpy(c, text.data() + pos, static_cast<std::size_t>(length));
        pos += static_cast<std::size_t>(length);
        ++column;
    }
}

int utf8_character_length(std::string_view text) {
    return utf8_sequence_length(text, 0);
}

}  // namespace morvel
