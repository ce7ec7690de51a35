#include "core/return_code_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "core/messages.h"
#include "run.h"

namespace morvel {

namespace {

// Names this long cannot take the ".tmp" suffix within the historical bound.
constexpr std::size_t kMaxReturnCodeName = 245;

// Only a regular file, or a name that does not exist yet, may be replaced by a
// rename: renaming over a device or a FIFO would destroy it.
bool replaceable(const std::string& name) {
    struct stat st {};
    if (stat(name.c_str(), &st) != 0) return errno == ENOENT;
    return S_ISREG(st.st_mode);
}

void report_write_failure(Run& run, ReturnCodeFile& f) {
    if (f.failed) return;
    f.failed = true;
    report_error(run, 2, "Unable to write return code file %s", f.name.c_str());
}

}  // namespace

bool open_return_code_file(Run& run, const std::string& name) {
    ReturnCodeFile& f = run.return_codes;
    f.name = name;
    if (name.size() >= kMaxReturnCodeName) {
        report_error(run, 0, "Unable to create return code file %s", name.c_str());
        return false;
    }
    struct stat st {};
    if (stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
        report_error(run, 0, "Unable to create return code file %s: it is a directory",
                     name.c_str());
        return false;
    }
    f.write_name = replaceable(name) ? name + ".tmp" : name;
    errno = 0;
    f.stream.reset(std::fopen(f.write_name.c_str(), "wb"));
    if (!f.stream) {
        report_error(run, 2, "Unable to create return code file %s", f.write_name.c_str());
        return false;
    }
    return true;
}

void write_return_code_text(Run& run, std::string_view text) {
    ReturnCodeFile& f = run.return_codes;
    if (!f.stream || f.failed) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), f.stream.get()) != text.size())
        report_write_failure(run, f);
}

bool finish_return_code_file(Run& run, bool success) {
    ReturnCodeFile& f = run.return_codes;
    if (!f.stream) return true;
    write_return_code_text(run, success ? "VANTOR_RETURN_CODE = 0" : "VANTOR_RETURN_CODE = 1");
    errno = 0;
    bool flushed = std::fflush(f.stream.get()) == 0 && !std::ferror(f.stream.get());
    if (!flushed) report_write_failure(run, f);
    bool closed = std::fclose(f.stream.release()) == 0;
    if (!closed) report_write_failure(run, f);
    // Even a file that could not be completed takes the name: an older file there
    // must not go on claiming success for this run.
    if (f.write_name != f.name && std::rename(f.write_name.c_str(), f.name.c_str()) != 0) {
        report_error(run, 2, "Unable to rename %s to %s", f.write_name.c_str(), f.name.c_str());
        return false;
    }
    return !f.failed;
}

}  // namespace morvel
