// morvel-lsp: the language server for definitions, over standard input and output.
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "lsp/server.h"

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(
            "Usage: morvel-lsp\n"
            "A language server for Morvel definitions: speaks the Language Server\n"
            "Protocol on standard input and output. Editors start it.\n",
            stdout);
        return 0;
    }
    // A client that goes away must not kill the server in the middle of a write.
    std::signal(SIGPIPE, SIG_IGN);
    bool output_lost = false;
    int code = morvel::lsp::serve(
        // read(2), not a stdio read: it returns what has come, so a message is answered
        // without waiting for a full buffer.
        [](char* buffer, std::size_t n) -> std::size_t {
            for (;;) {
                ssize_t got = ::read(STDIN_FILENO, buffer, n);
                if (got >= 0) return static_cast<std::size_t>(got);
                if (errno != EINTR) return 0;
            }
        },
        [&](const std::string& bytes) {
            if (output_lost) return;
            if (std::fwrite(bytes.data(), 1, bytes.size(), stdout) != bytes.size() ||
                std::fflush(stdout) != 0)
                output_lost = true;
        });
    return code;
}
