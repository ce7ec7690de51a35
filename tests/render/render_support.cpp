#include "render_support.h"

#include <sys/wait.h>

#include <cstdio>
#include <memory>

#include "render/render.h"

namespace morvel::test {

int px(double units) {
    return static_cast<int>(units / 3 + kLeft);
}

int ink_in(const render::ImageDevice& d, int x0, int y0, int x1, int y1) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) n += d.ink(x, y) ? 1 : 0;
    return n;
}

void render_bytes(Rendered& r, std::string_view job) {
    static render::FontCache fonts;
    render::MemoryInput in(job);
    r.pages = render::render_job(in, r.device, fonts, r.problems);
}

std::string shell_quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

bool tool_on_path(const std::string& name) {
    return run_command("command -v " + shell_quote(name) + " >/dev/null 2>&1") == 0;
}

int run_command(const std::string& command, std::string* output) {
    std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe) return -1;
    std::string text;
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, pipe)) > 0;) text.append(block, n);
    int status = pclose(pipe);
    if (output) *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace morvel::test
