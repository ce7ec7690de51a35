#pragma once
// The language server: JSON-RPC messages in, answers and diagnostics out. The
// language questions themselves are answered by queries.h.
#include <cstddef>
#include <functional>
#include <map>
#include <string>

#include "lsp/framing.h"
#include "lsp/queries.h"

namespace morvel::lsp {

/// Documents the server keeps open at once; more are refused.
inline constexpr std::size_t kMaxOpenDocuments = 64;

class Server {
  public:
    /// `send` writes one message body (framing is added by the caller).
    explicit Server(std::function<void(const std::string&)> send) : send_(std::move(send)) {}

    /// Handles one message body. False once the client asked the server to exit.
    bool handle(const std::string& body);
    /// Answers a framing error (a bad header, a message too large).
    void framing_error(Frame::Status status);
    /// The exit code after "exit": 0 when "shutdown" came first, else 1.
    int exit_code() const { return shut_down_ ? 0 : 1; }

  private:
    struct Document {
        int version = 0;
        Analysis analysis;
    };
    void respond_error(const std::string& id_json, int code, const std::string& message);
    void update(const std::string& uri, const std::string& text, int version);
    void publish(const std::string& uri, const Document& doc);

    std::function<void(const std::string&)> send_;
    std::map<std::string, Document> documents_;
    bool initialised_ = false;
    bool shut_down_ = false;
    bool utf8_positions_ = false;
};

/// Reads framed messages from `source` and writes the answers to `sink` until the
/// input ends or the client says exit. Returns the process exit code.
int serve(ByteSource source, const std::function<void(const std::string&)>& sink);

/// The path of a file: URI ("file:///a%20b.def" gives "/a b.def"); other URIs as they are.
std::string path_of_uri(const std::string& uri);

}  // namespace morvel::lsp
