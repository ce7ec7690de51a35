// EXECUTE(command): runs a command line with its standard output captured in a
// temporary file, and gives back what it printed.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <optional>

#include "core/command_runner.h"
#include "core/file_handle.h"
#include "core/messages.h"
#include "core/temp_file.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/evaluate_internal.h"
#include "values/identifiers.h"

namespace morvel {

namespace {

// Runs the command with file descriptor 1 pointing at `capture`, and puts the
// process's own standard output back afterwards, whatever happened. Returns the
// command's status, or none when the redirection could not be set up.
std::optional<int> run_captured(Run& run, const std::string& command, const std::string& capture) {
    int fd = open(capture.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    // The saved copy is close-on-exec so the command does not inherit the real stdout twice.
    int saved = fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (saved < 0) {
        close(fd);
        return std::nullopt;
    }
    std::fflush(stdout);
    std::optional<int> status;
    if (dup2(fd, STDOUT_FILENO) >= 0) status = run_command(run, command);
    close(fd);
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    return status;
}

// The captured output, with CR LF pairs read as line feeds; none on a read error.
std::optional<std::string> read_capture(const std::string& name) {
    std::string bytes;
    if (read_file(name, bytes) != ReadStatus::Ok) return std::nullopt;
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

}  // namespace

Text eval_execute(Run& run, const Expression& e) {
    Text command = evaluate_operand(run, e.left.get());
    if (!command) {
        report_error(run, 3, "Unable to evaluate operand in EXECUTE function");
        return std::nullopt;
    }
    // Output files are flushed so the command sees everything written to them so far.
    std::fflush(nullptr);
    errno = 0;
    std::optional<std::string> capture = make_temp_file(run);
    if (!capture) {
        report_error(run, 3, "Problem with EXECUTE command");
        return std::nullopt;
    }
    std::optional<int> status = run_captured(run, *command, *capture);
    std::optional<std::string> output;
    if (status) {
        set_integer_variable(run, Internal::ExecuteStatus, *status);
        if (*status != -1) output = read_capture(*capture);
    }
    int saved_errno = errno;
    std::remove(capture->c_str());
    errno = saved_errno;
    if (!output) {
        report_error(run, 3, "Problem with EXECUTE command");
        return std::nullopt;
    }
    return output;
}

}  // namespace morvel
