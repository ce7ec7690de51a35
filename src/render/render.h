#pragma once
// Renders a PCL 5 + HP-GL/2 job onto a Device: the entry point of morvel-render.
#include <string>

#include "render/device.h"
#include "render/fonts.h"
#include "render/input.h"
#include "render/problems.h"

namespace morvel::render {

/// Draws every page of the job read from `in`; returns the number of pages output.
/// Problems are reported through `problems`; device failures too.
int render_job(Input& in, Device& device, FontCache& fonts, Problems& problems);

/// Command-line entry: returns the exit status (0 rendered, 1 rendered with problems,
/// 2 bad usage or unreadable input). Messages go to `err`, a PDF to `out` with "-o -".
int render_main(int argc, char** argv, std::FILE* in, std::FILE* out, std::FILE* err);

}  // namespace morvel::render
