// Fuzz target: a byte stream from a language-server client (framing, JSON-RPC and the
// queries behind it), answered into memory; the stream's end is a client gone away.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "lsp/server.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::size_t pos = 0;
    std::size_t answered = 0;
    morvel::lsp::serve(
        [&](char* buffer, std::size_t n) {
            // Small reads, so that messages are split across them.
            std::size_t take = std::min({n, size - pos, std::size_t{7}});
            std::copy(data + pos, data + pos + take, buffer);
            pos += take;
            return take;
        },
        [&](const std::string& bytes) { answered += bytes.size(); });
    (void)answered;
    return 0;
}
