#pragma once
// The one file I/O module: an owned C stream, closed when its owner goes, the
// checked close, and the whole-file reader. Bytes pass unchanged: every stream is
// opened in binary mode.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace morvel {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

/// An owned C stream; empty when the file could not be opened.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

/// Opens name with an fopen mode ("rb", "wb", "ab"); empty when it cannot be opened.
FileHandle open_file(const std::string& name, const char* mode);

/// Closes the file; false when anything written did not reach it.
bool close_checked(FileHandle& file);

/// How a whole-file read ended.
enum class ReadStatus {
    Ok,
    CannotOpen,  ///< the file could not be opened
    TooLarge,    ///< more than the allowed bytes; the bytes read so far are kept
    ReadError,   ///< the stream reported an error
};

/// Limits of a whole-file read.
struct ReadLimits {
    std::size_t max_bytes = std::numeric_limits<std::size_t>::max();
    bool stop_after_zero = false;  ///< stop after the block holding the first zero byte
};

/// Appends the rest of the stream to out, in blocks, never more than the limits allow.
ReadStatus read_stream(std::FILE* f, std::string& out, ReadLimits limits = {});
ReadStatus read_stream(std::FILE* f, std::vector<std::uint8_t>& out, ReadLimits limits = {});

/// Replaces out with every byte of the file.
ReadStatus read_file(const std::string& name, std::string& out, ReadLimits limits = {});

}  // namespace morvel
