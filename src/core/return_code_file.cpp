#include "core/return_code_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

// The "<name>.tmp" file, new: never through a symbolic link or into a file that is
// already there, since the folder may be one that others can write. A name left from
// an earlier run is removed first (which removes a link, never what it points to).
int create_new_file(const std::string& name) {
    constexpr int kFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY;
    int fd = ::open(name.c_str(), kFlags, 0666);
    if (fd < 0 && errno == EEXIST && ::unlink(name.c_str()) == 0)
        fd = ::open(name.c_str(), kFlags, 0666);
    return fd;
}

// A FIFO or a device, written in place. Opening does not wait for a reader: a FIFO
// that nobody reads fails at once (ENXIO) rather than holding up the run. Writes then
// block as usual, for a reader that is there.
int open_in_place(const std::string& name) {
    int fd = ::open(name.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return fd;
    int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
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
    const bool in_place = !replaceable(name);
    f.write_name = in_place ? name : name + ".tmp";
    errno = 0;
    int fd = in_place ? open_in_place(name) : create_new_file(f.write_name);
    if (fd >= 0) {
        f.stream.reset(::fdopen(fd, "wb"));
        if (!f.stream) ::close(fd);
    }
    if (!f.stream) {
        struct stat fifo {};
        if (in_place && errno == ENXIO && stat(name.c_str(), &fifo) == 0 && S_ISFIFO(fifo.st_mode))
            report_error(run, 0, "Unable to write return code file %s: no process reads it",
                         name.c_str());
        else
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
