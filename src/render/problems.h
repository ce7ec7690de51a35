#pragma once
// Problems met while rendering a job: each kind is reported once, with the byte
// offset where it was first met, and any problem makes the exit status 1.
#include <cstdio>
#include <set>
#include <string>

namespace morvel::render {

class Problems {
  public:
    /// Reports to `sink` (nullptr: collect only).
    explicit Problems(std::FILE* sink) : sink_(sink) {}
    /// Records a problem of kind `key` at `offset`; the first of each kind is printed.
    void report(long long offset, const std::string& key, const std::string& message);
    /// Number of distinct problems met.
    std::size_t count() const { return keys_.size(); }
    /// Every printed line, for tests.
    const std::string& text() const { return text_; }

  private:
    std::FILE* sink_;
    std::set<std::string> keys_;
    std::string text_;
};

}  // namespace morvel::render
