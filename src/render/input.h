#pragma once
// Byte sources the interpreter reads a job from: a file read in blocks (constant
// memory on any job) or bytes held in memory (macros, tests, the fuzz target).
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace morvel::render {

/// A forward-only byte stream with the offset of the next byte.
class Input {
  public:
    virtual ~Input() = default;
    /// The next byte, or -1 at the end.
    int get() {
        if (pos_ == end_ && !refill()) return -1;
        ++offset_;
        if (capture) capture->push_back(*pos_);
        return static_cast<unsigned char>(*pos_++);
    }
    /// The next byte without consuming it, or -1 at the end.
    int peek() {
        if (pos_ == end_ && !refill()) return -1;
        return static_cast<unsigned char>(*pos_);
    }
    /// Offset of the next byte from the start of this source.
    long long offset() const { return offset_; }
    /// When set, every byte read is appended here (macro definitions).
    std::string* capture = nullptr;

  protected:
    /// Makes [pos_, end_) the next block; false at the end.
    virtual bool refill() = 0;
    const char* pos_ = nullptr;
    const char* end_ = nullptr;
    long long offset_ = 0;
};

/// Bytes in memory; the memory must outlive the source.
class MemoryInput : public Input {
  public:
    explicit MemoryInput(std::string_view bytes) {
        pos_ = bytes.data();
        end_ = bytes.data() + bytes.size();
    }

  protected:
    bool refill() override { return false; }
};

/// An open file read in 64 KB blocks. It does not own the file.
class FileInput : public Input {
  public:
    explicit FileInput(std::FILE* file) : file_(file), block_(1 << 16) {}
    /// True when reading stopped on an error rather than the end of the file.
    bool failed() const { return failed_; }

  protected:
    bool refill() override {
        std::size_t n = std::fread(block_.data(), 1, block_.size(), file_);
        if (n == 0) {
            failed_ = std::ferror(file_) != 0;
            return false;
        }
        pos_ = block_.data();
        end_ = block_.data() + n;
        return true;
    }

  private:
    std::FILE* file_;
    std::vector<char> block_;
    bool failed_ = false;
};

}  // namespace morvel::render
