#include "core/command_runner.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>

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
    if (run.command_runner) return run.command_runner->run(command_line);
    SystemCommandRunner system_runner;
    return system_runner.run(command_line);
}

}  // namespace morvel
