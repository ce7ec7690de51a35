#pragma once
// The writer every reformat statement uses for the output file: printer commands
// through a printf-checked formatter, user bytes through write_bytes.
#include <cstdio>
#include <string>
#include <string_view>

namespace morvel {

/// An open output file seen as a byte sink. It does not own the file.
class PclOut {
  public:
    explicit PclOut(std::FILE* file) : file_(file) {}

    /// Writes a printer command; formats are literals, "%%" gives one percent sign.
    [[gnu::format(printf, 2, 3)]] void printf(const char* fmt, ...);
    /// Writes bytes unchanged (user text, included files, zero bytes).
    void write_bytes(std::string_view bytes);
    /// Copies the rest of an open file unchanged.
    void copy_from(std::FILE* source);
    /// Writes one byte.
    void put(char c);
    /// The current file offset, -1 when it cannot be told.
    long position() const;
    /// The file written to.
    std::FILE* file() const { return file_; }
    /// True once a write has failed (the file system is full or gone).
    bool failed() const { return failed_; }

  private:
    std::FILE* file_;
    std::string scratch_;  ///< reused by printf so commands cost no allocation
    bool failed_ = false;
};

}  // namespace morvel
