// Preview copies (-p): the finished output file is kept under a predictable name
// instead of being handed to its command.
#include <cstdio>
#include <vector>

#include "core/file_handle.h"
#include "core/messages.h"
#include "core/strfmt.h"
#include "language/programs.h"
#include "output/invocation.h"
#include "output/output_file.h"
#include "run.h"

namespace morvel {

namespace {

constexpr std::size_t kCopyBlock = 1024;

}  // namespace

std::string preview_file_name(const std::string& prefix, const OutputProgram& output) {
    return strfmt("%s%d%03d%03d.pre", prefix.c_str(), output.output_kind, output.sequence + 1,
                  output.preview_counter);
}

void make_preview_copy(Run& run, OutputProgram& output) {
    output.page_counter = 1;
    std::string preview = preview_file_name(run.options.preview_prefix, output);
    ++output.preview_counter;
    const std::string& name = output_file_name(run, output);
    FileHandle in = open_file(name, "rb");
    if (!in) {
        report_error(run, 2, "Unable to open output file for preview copying");
        return;
    }
    FileHandle out = open_file(preview, "wb");
    if (!out) {
        report_error(run, 2, "Unable to open preview file %s", preview.c_str());
        return;
    }
    std::vector<char> block(kCopyBlock);
    std::size_t n;
    while ((n = std::fread(block.data(), 1, block.size(), in.get())) > 0)
        if (std::fwrite(block.data(), 1, n, out.get()) != n) break;
    bool same = std::ftell(in.get()) == std::ftell(out.get()) && !std::ferror(in.get());
    // A copy the disk refused at the end is as incomplete as a short one.
    if (!close_checked(out)) same = false;
    if (!same)
        report_error(run, 0, "Couldnt do preview copy from %s to %s", name.c_str(),
                     preview.c_str());
}

}  // namespace morvel
