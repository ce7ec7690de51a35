#include "core/file_handle.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>

namespace morvel {

namespace {

// Whole files are read in blocks of this size: few calls, little slack.
constexpr std::size_t kReadBlock = 64 * 1024;

template <typename Bytes>
ReadStatus read_blocks(std::FILE* f, Bytes& out, ReadLimits limits) {
    std::size_t read = 0;
    for (;;) {
        const std::size_t have = out.size();
        out.resize(have + kReadBlock);
        std::size_t n = std::fread(out.data() + have, 1, kReadBlock, f);
        out.resize(have + n);
        read += n;
        if (read > limits.max_bytes) return ReadStatus::TooLarge;
        if (n < kReadBlock) break;
        if (limits.stop_after_zero) {
            const auto* block = out.data() + have;
            if (std::find(block, block + n, 0) != block + n) break;
        }
    }
    return std::ferror(f) ? ReadStatus::ReadError : ReadStatus::Ok;
}

}  // namespace

FileHandle open_file(const std::string& name, const char* mode) {
    return FileHandle(std::fopen(name.c_str(), mode));
}

bool close_checked(FileHandle& file) {
    bool ok = std::ferror(file.get()) == 0;
    ok = std::fclose(file.release()) == 0 && ok;
    return ok;
}

ReadStatus read_stream(std::FILE* f, std::string& out, ReadLimits limits) {
    return read_blocks(f, out, limits);
}

ReadStatus read_stream(std::FILE* f, std::vector<std::uint8_t>& out, ReadLimits limits) {
    return read_blocks(f, out, limits);
}

ReadStatus read_file(const std::string& name, std::string& out, ReadLimits limits) {
    out.clear();
    FileHandle file = open_file(name, "rb");
    if (!file) return ReadStatus::CannotOpen;
    // Room for the whole of a regular file and the last block's read, so that a large
    // file is held once rather than in a buffer grown by doubling.
    struct stat st {};
    if (::fstat(::fileno(file.get()), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        static_cast<std::uintmax_t>(st.st_size) <= limits.max_bytes)
        out.reserve(static_cast<std::size_t>(st.st_size) + kReadBlock);
    return read_blocks(file.get(), out, limits);
}

}  // namespace morvel
