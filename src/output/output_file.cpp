#include "output/output_file.h"

#include <cerrno>
#include <cstdio>
#include <new>
#include <string>

#include "core/messages.h"
#include "core/strfmt.h"
#include "core/temp_file.h"
#include "language/programs.h"
#include "run.h"
#include "values/evaluate.h"

namespace morvel {

namespace {

constexpr std::size_t kOutputBufferSize = 128 * 1024;

// Output kind of a file that a reformat program of the xml type started.
constexpr int kXmlOutput = 3;

const std::string kNoName;

OutputFile* find_file(Run& run, const OutputProgram& output) {
    auto it = run.output_files.by_program.find(&output);
    return it == run.output_files.by_program.end() ? nullptr : &it->second;
}

void refresh_current_name(Run& run) {
    const OutputProgram* current = run.output_files.current;
    run.output_files.current_name = current ? output_file_name(run, *current) : std::string();
}

// Writes an output setting's text unchanged; a failed evaluation was reported already.
void write_setting(Run& run, std::FILE* f, const Expression* e) {
    if (!e) return;
    Text text = evaluate(run, e);
    if (text) std::fwrite(text->data(), 1, text->size(), f);
}

}  // namespace

OutputFiles::~OutputFiles() {
    for (auto& [program, entry] : by_program) {
        if (entry.file) std::fclose(entry.file);
        if (!entry.name.empty()) std::remove(entry.name.c_str());
    }
}

std::FILE* output_file(Run& run, const OutputProgram& output) {
    OutputFile* f = find_file(run, output);
    return f ? f->file : nullptr;
}

const std::string& output_file_name(Run& run, const OutputProgram& output) {
    OutputFile* f = find_file(run, output);
    return f ? f->name : kNoName;
}

int create_output_file(Run& run, OutputProgram& output) {
    OutputFile& entry = run.output_files.by_program[&output];
    // A name left from an earlier file that was never deleted goes first.
    if (entry.file || !entry.name.empty()) delete_output_file(run, output);
    std::optional<std::string> name = make_temp_file(run);
    std::FILE* f = name ? std::fopen(name->c_str(), "wb") : nullptr;
    if (!f) {
        if (name) std::remove(name->c_str());
        report_error(run, 0, "Unable to create temporary output file");
        return -1;
    }
    entry.name = std::move(*name);
    entry.file = f;
    entry.write_failed = false;
    try {
        entry.buffer.resize(kOutputBufferSize);
        std::setvbuf(f, entry.buffer.data(), _IOFBF, entry.buffer.size());
    } catch (const std::bad_alloc&) {
        // The stream keeps the C library's buffer.
    }
    // A new file may reuse the stream of one that held the fill patterns; it holds none,
    // also when no job set-up (INITIALISE 0) follows to say so.
    if (run.reformat.patterns_file == f) run.reformat.patterns_file = nullptr;
    if (run.reformat.written_file == f) run.reformat.written_file = nullptr;
    refresh_current_name(run);
    return 0;
}

void patch_total_pages(Run& run, OutputProgram& output) {
    std::FILE* f = output_file(run, output);
    if (f && !output.total_page_placeholders.empty()) {
        // Exactly four bytes go over each placeholder: a total of five or more digits
        // keeps its first four rather than overwrite the page after it.
        std::string total = strfmt("%-4d", output.page_counter - 1).substr(0, 4);
        for (long offset : output.total_page_placeholders) {
            if (std::fseek(f, offset, SEEK_SET) != 0) continue;
            std::fwrite(total.data(), 1, total.size(), f);
        }
        std::fseek(f, 0, SEEK_END);
    }
    output.total_page_placeholders.clear();
    output.page_counter = 1;
}

bool close_output_file(Run& run, OutputProgram& output) {
    OutputFile* entry = find_file(run, output);
    if (!entry || !entry->file) return !(entry && entry->write_failed);
    std::FILE* f = entry->file;
    if (output.output_kind == kXmlOutput) {
        Text root = output.xml_root ? evaluate(run, output.xml_root.get()) : Text("DOCUMENT");
        if (root) std::fprintf(f, "</%s>", root->c_str());
    }
    write_setting(run, f, output.finalise.get());
    // The stream's buffer hides a short write until it is flushed: only the flushes and
    // the close say whether every byte reached the disk. The first flush comes before
    // the seeks of the page totals, which would flush and lose the reason.
    errno = 0;
    bool written = std::fflush(f) == 0 && std::ferror(f) == 0;
    int error = errno;
    patch_total_pages(run, output);
    if (written) {
        errno = 0;
        written = std::fflush(f) == 0 && std::ferror(f) == 0;
        error = errno;
    }
    bool closed = std::fclose(f) == 0;
    if (written && !closed) error = errno;
    entry->file = nullptr;
    if (written && closed) return !entry->write_failed;
    entry->write_failed = true;
    errno = error;
    report_error(run, 2, "Unable to complete the output file of output program %s",
                 output.name.c_str());
    return false;
}

bool output_file_failed(Run& run, const OutputProgram& output) {
    const OutputFile* entry = find_file(run, output);
    return entry && entry->write_failed;
}

void delete_output_file(Run& run, OutputProgram& output) {
    OutputFile* entry = find_file(run, output);
    if (!entry) return;
    if (entry->file) {
        std::fclose(entry->file);
        entry->file = nullptr;
    }
    if (entry->name.empty()) return;
    int result = std::remove(entry->name.c_str());
    if (result != 0) report_info(run, "Deleting %s returned %d", entry->name.c_str(), result);
    entry->name.clear();
    refresh_current_name(run);
}

std::string release_output_file(Run& run, OutputProgram& output) {
    OutputFile* entry = find_file(run, output);
    if (!entry) return {};
    if (entry->file) {
        std::fclose(entry->file);
        entry->file = nullptr;
    }
    std::string name = std::move(entry->name);
    entry->name.clear();
    refresh_current_name(run);
    return name;
}

const OutputProgram* set_current_output(Run& run, const OutputProgram* output) {
    const OutputProgram* previous = run.output_files.current;
    run.output_files.current = output;
    refresh_current_name(run);
    return previous;
}

}  // namespace morvel
