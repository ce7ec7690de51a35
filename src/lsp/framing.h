#pragma once
// The message framing of the language server protocol: header lines ending in CR LF,
// an empty line, then Content-Length bytes of JSON. Bounded: a header line, the number
// of header lines and a message body each have a largest size.
#include <cstddef>
#include <functional>
#include <string>

namespace morvel::lsp {

inline constexpr std::size_t kMaxHeaderLine = 1024;
inline constexpr std::size_t kMaxHeaderLines = 32;
inline constexpr std::size_t kMaxMessageBytes = 32 * 1024 * 1024;

/// Reads up to n bytes into buffer; 0 at the end of the input.
using ByteSource = std::function<std::size_t(char* buffer, std::size_t n)>;

struct Frame {
    enum class Status {
        Message,    ///< body holds one message
        End,        ///< the input ended (between messages or inside one)
        BadHeader,  ///< headers without a usable Content-Length; they were skipped
        TooLarge,   ///< a body over kMaxMessageBytes; it was read and thrown away
    };
    Status status = Status::End;
    std::string body;
};

class FrameReader {
  public:
    explicit FrameReader(ByteSource source) : source_(std::move(source)) {}
    Frame next();

  private:
    int get();
    ByteSource source_;
    std::string buffer_;
    std::size_t pos_ = 0;
    bool ended_ = false;
};

/// A message body with its header, ready to write.
std::string frame(const std::string& body);

}  // namespace morvel::lsp
