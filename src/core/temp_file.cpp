#include "core/temp_file.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdlib>

#include "run.h"

namespace morvel {

namespace {

// A system temporary directory this long is not trusted to name a file.
constexpr std::size_t kMaxSystemTempDir = 1023;

}  // namespace

std::optional<std::string> temp_directory(const Options& options) {
    std::string dir;
    if (options.has_temp_dir) {
        dir = options.temp_dir;
    } else {
        const char* tmpdir = std::getenv("TMPDIR");
        dir = tmpdir && *tmpdir ? tmpdir : "/tmp";
        if (dir.size() > kMaxSystemTempDir) return std::nullopt;
    }
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

std::optional<std::string> make_temp_file(Run& run, std::string_view prefix) {
    std::optional<std::string> dir = temp_directory(run.options);
    if (!dir) return std::nullopt;
    // The name is made by creating the file, so no other process can take it meanwhile.
    std::string name = *dir;
    name += prefix;
    name += "XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) return std::nullopt;
    close(fd);
    return name;
}

}  // namespace morvel
