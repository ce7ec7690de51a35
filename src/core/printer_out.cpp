#include "core/printer_out.h"

#include <array>
#include <cstdarg>
#include <cstring>

#include "core/strfmt.h"

namespace morvel {

void PclOut::printf(const char* fmt, ...) {
    // A command without conversions is written as it stands.
    if (!std::strchr(fmt, '%')) {
        write_bytes(fmt);
        return;
    }
    scratch_.clear();
    va_list ap;
    va_start(ap, fmt);
    vappendf(scratch_, fmt, ap);
    va_end(ap);
    write_bytes(scratch_);
}

void PclOut::write_bytes(std::string_view bytes) {
    if (bytes.empty()) return;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

void PclOut::put(char c) {
    if (std::fputc(static_cast<unsigned char>(c), file_) == EOF) failed_ = true;
}

void PclOut::copy_from(std::FILE* source) {
    std::array<char, 4096> block;
    std::size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), source)) > 0)
        write_bytes(std::string_view(block.data(), n));
}

long PclOut::position() const {
    return std::ftell(file_);
}

}  // namespace morvel
