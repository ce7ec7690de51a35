#pragma once
// Helpers shared by the unit tests: a scoped temporary directory and a Run whose
// console and log are captured.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <vector>

#include "run.h"

namespace morvel::test {

/// A fresh directory under the system temporary directory, removed with its contents.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    /// Path of a file inside the directory.
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    /// Writes bytes to a file inside the directory and returns its path.
    std::string write(const std::string& name, const std::string& bytes) const;

  private:
    std::filesystem::path path_;
};

/// A black-and-white picture, one byte per pixel (1 black), row by row: printer
/// output rendered or read back, and images written for the readers.
struct Bitmap {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> pixels;
    /// The pixel at x, y; 0 (white) outside the picture.
    int at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0;
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

/// Reads a whole file as bytes ("" when it cannot be read).
std::string read_file(const std::string& path);

/// The text with each character other than a letter or digit made '_', as the name of
/// a parameterised test must be.
std::string test_name(std::string text);

/// Bytes written out one by one: bytes({0, 0, 0, 0, 76}).
std::string bytes(std::initializer_list<int> list);

/// A C stream that writes to memory; str() is everything written so far.
class MemoryStream {
  public:
    MemoryStream();
    ~MemoryStream();
    MemoryStream(const MemoryStream&) = delete;
    MemoryStream& operator=(const MemoryStream&) = delete;
    std::FILE* get() const { return file_; }
    std::string str();

  private:
    char* buf_ = nullptr;
    std::size_t len_ = 0;
    std::FILE* file_ = nullptr;
};

/// A Run whose console output goes to memory and whose log lives in a temporary directory.
class CapturedRun {
  public:
    CapturedRun();
    ~CapturedRun();
    CapturedRun(const CapturedRun&) = delete;
    CapturedRun& operator=(const CapturedRun&) = delete;
    Run run;
    TempDir dir;
    /// Everything written to the console so far.
    std::string console();
    /// The log file's contents.
    std::string log() const { return read_file(run.options.log_file_name); }
    /// Sets what the console input will read.
    void set_input(const std::string& text);

  private:
    MemoryStream console_;
    std::string input_;
};

/// Marks every internal variable as named by the definition, for tests that read them
/// back without a definition (the run keeps some only for a definition that names them).
void watch_internal_variables(Run& run);

/// One whole run of the command line in a fresh context (silent, logging to job.log in
/// dir); returns the exit code, and the log in *log.
int run_job(const TempDir& dir, std::vector<std::string> args, std::string* log = nullptr);

}  // namespace morvel::test
