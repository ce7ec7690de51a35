#include "core/command_runner.h"

#include <sys/wait.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/messages.h"
#include "run.h"

namespace morvel {

int command_status(int wait_status) {
    if (wait_status == -1) return -1;
    if (WIFEXITED(wait_status)) return WEXITSTATUS(wait_status);
    if (WIFSIGNALED(wait_status)) return 128 + WTERMSIG(wait_status);
    return -1;
}

int SystemCommandRunner::run(const std::string& command_line) {
    // Buffered console text must come out before anything the command writes.
    std::fflush(nullptr);
    return command_status(std::system(command_line.c_str()));
}

int run_command(Run& run, const std::string& command_line) {
    // The interpreter would see the line cut at a zero byte: a command other than the
    // one built, with its last arguments gone. It is refused rather than run short.
    if (command_line.find('\0') != std::string::npos) {
        report_error(run, 0,
                     "A value in the command (%s) holds a zero byte; the command was not run",
                     command_line.c_str());
        errno = EINVAL;
        return -1;
    }
    if (run.command_runner) return run.command_runner->run(command_line);
    SystemCommandRunner system_runner;
    return system_runner.run(command_line);
}

}  // namespace morvel
