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

/// The start of an A4 portrait job at 300 units per inch; at 100 dpi a unit is a third of
/// a pixel, and the logical page starts kLeft pixels from the sheet's left edge.
inline const std::string kSetup = "\033E\033&l26A\033&l0O\033&l0E\033&u300D";
inline constexpr double kLeft = 71.0 / 3;

/// The device pixel column of a position in units of kSetup's page, at 100 dpi.
int px(double units);

/// The ink pixels in the device's box x0 <= x < x1, y0 <= y < y1.
int ink_in(const render::ImageDevice& d, int x0, int y0, int x1, int y1);

/// Renders `job` at `dpi` into memory.
void render_bytes(Rendered& r, std::string_view job);

/// True when a program of that name is on the PATH.
bool tool_on_path(const std::string& name);

/// Runs a shell command line; returns its exit status (-1 when it could not run).
int run_command(const std::string& command, std::string* output = nullptr);

/// The argument quoted for the shell.
std::string shell_quote(const std::string& s);

}  // namespace morvel::test
