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
    cells_.reset(new (std::nothrow) char[bytes == 0 ? 1 : bytes]);
    if (!cells_) return false;
    width_ = width;
    height_ = height;
    cell_size_ = static_cast<int>(cell_size);
    clear();
    return true;
}

void OutputPage::release() {
    cells_.reset();
    width_ = height_ = 0;
    cell_size_ = 1;
    placeholders.clear();
}

void OutputPage::clear() {
    if (!cells_) return;
    std::size_t bytes = static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_) *
                        static_cast<std::size_t>(cell_size_);
    std::memset(cells_.get(), ' ', bytes);
    placeholders.clear();
}

void OutputPage::put_bytes(int row, int column, std::string_view text) {
    std::size_t room = static_cast<std::size_t>(width_ - column);
    if (text.size() > room) text = text.substr(0, room);
    if (!text.empty()) std::memcpy(cell(row, column), text.data(), text.size());
}

void OutputPage::put_characters(int row, int column, std::string_view text) {
    std::size_t pos = 0;
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
