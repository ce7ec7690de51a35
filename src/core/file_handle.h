#pragma once
// An owned C stream, closed when its owner goes.
#include <cstdio>
#include <memory>

namespace morvel {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};

using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace morvel
