// Entry point of the print-server filter: morvel-cups job-id user title copies options [file].
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "cups/filter.h"

namespace {

// The printer stream is a copy of the original standard output; standard output
// itself points at standard error while the job runs, so that nothing a command of the
// definition prints can slip into the printer data.
class PrinterStream {
  public:
    PrinterStream() {
        std::fflush(stdout);
        fd_ = ::dup(STDOUT_FILENO);
        if (fd_ >= 0) ::dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    ~PrinterStream() {
        if (fd_ < 0) return;
        std::fflush(stdout);
        ::dup2(fd_, STDOUT_FILENO);
        ::close(fd_);
    }
    // The last close of the printer stream: false when the system reports that data
    // written to it did not arrive (a full disk under a file, a failing pipe).
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }
    PrinterStream(const PrinterStream&) = delete;
    PrinterStream& operator=(const PrinterStream&) = delete;
    int fd() const { return fd_; }

  private:
    int fd_ = -1;
};

const char* environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace

int main(int argc, char** argv) {
    std::optional<morvel::FilterArguments> args = morvel::read_filter_arguments(argc, argv);
    if (!args) {
        std::fputs("Usage: morvel-cups job-id user title copies options [file]\n", stderr);
        return 1;
    }
    PrinterStream printer;
    if (printer.fd() < 0) {
        std::fputs("ERROR: Unable to keep the printer stream\n", stderr);
        return 1;
    }
    morvel::FilterStreams streams;
    streams.printer_fd = printer.fd();
    streams.ppd_path = environment("PPD");
    streams.temp_dir = environment("TMPDIR");
    streams.definition_folder = MORVEL_CUPS_DEFINITION_FOLDER;
    int status = morvel::run_filter(*args, streams);
    if (!printer.close() && status == 0) {
        std::fprintf(stderr, "ERROR: Unable to finish the printer data: %s\n",
                     std::strerror(errno));
        return 1;
    }
    return status;
}
