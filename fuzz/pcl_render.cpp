// libFuzzer target: any bytes as a printer job, drawn at a low resolution in memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "render/render.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace morvel::render;
    static FontCache fonts;  // loading the fonts once keeps the target fast
    MemoryInput in(std::string_view(reinterpret_cast<const char*>(data), size));
    ImageDevice device(8);
    Problems problems(nullptr);
    render_job(in, device, fonts, problems);
    return 0;
}
