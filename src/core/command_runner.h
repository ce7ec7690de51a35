#pragma once
// The seam through which every external command runs, so tests can replace it.
#include <string>

namespace morvel {

struct Run;

/// Runs command lines through the command interpreter and waits for them.
struct CommandRunner {
    virtual ~CommandRunner() = default;
    /// The command's exit status; 128 + the signal when killed; -1 when the interpreter cannot
    /// start.
    virtual int run(const std::string& command_line) = 0;
};

/// The real runner: system(), that is /bin/sh -c.
struct SystemCommandRunner : CommandRunner {
    int run(const std::string& command_line) override;
};

/// The status a definition sees for a wait status returned by system().
int command_status(int wait_status);

/// Runs a command line through run.command_runner, or through system() when none is set.
/// A line holding a zero byte is refused with an error and gives -1 (errno EINVAL).
int run_command(Run& run, const std::string& command_line);

}  // namespace morvel
