#pragma once
// Helpers shared by the unit tests: a scoped temporary directory and a Run whose
// console and log are captured.
#include <cstdio>
#include <filesystem>
#include <string>

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

/// Reads a whole file as bytes ("" when it cannot be read).
std::string read_file(const std::string& path);

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
    char* out_buf_ = nullptr;
    std::size_t out_len_ = 0;
    std::string input_;
};

}  // namespace morvel::test
