#pragma once
// Helpers for the renderer's tests: render bytes in memory, run the executables, find tools.
#include <string>
#include <string_view>

#include "render/device.h"
#include "render/problems.h"

namespace morvel::test {

/// The result of rendering a job in memory: the last page and the problems reported.
struct Rendered {
    render::ImageDevice device;
    render::Problems problems{nullptr};
    int pages = 0;
    explicit Rendered(double dpi) : device(dpi) {}
};

/// Renders `job` at `dpi` into memory.
void render_bytes(Rendered& r, std::string_view job);

/// True when a program of that name is on the PATH.
bool tool_on_path(const std::string& name);

/// Runs a shell command line; returns its exit status (-1 when it could not run).
int run_command(const std::string& command, std::string* output = nullptr);

/// The argument quoted for the shell.
std::string shell_quote(const std::string& s);

}  // namespace morvel::test
