#include "lsp/framing.h"

#include <algorithm>

#include "core/ascii.h"

namespace morvel::lsp {

namespace {

constexpr std::size_t kChunk = 64 * 1024;

// The value of a "Content-Length: n" line; -1 when it is not one or not a number.
long long content_length(std::string_view line) {
    constexpr std::string_view kName = "content-length:";
    if (line.size() < kName.size() || !equal_ignore_case(line.substr(0, kName.size()), kName))
        return -1;
    line.remove_prefix(kName.size());
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    if (line.empty() || line.size() > 12) return -1;
    long long n = 0;
    for (char c : line) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

int FrameReader::get() {
    if (pos_ >= buffer_.size()) {
        if (ended_) return -1;
        buffer_.resize(kChunk);
        std::size_t n = source_(buffer_.data(), kChunk);
        buffer_.resize(n);
        pos_ = 0;
        if (n == 0) {
            ended_ = true;
            return -1;
        }
    }
    return static_cast<unsigned char>(buffer_[pos_++]);
}

Frame FrameReader::next() {
    Frame f;
    long long length = -1;
    bool bad = false;
    std::size_t lines = 0;
    for (;;) {
        // One header line, up to LF (a CR before it is dropped), cut at kMaxHeaderLine.
        std::string line;
        int c;
        bool any = false;
        while ((c = get()) != -1 && c != '\n') {
            any = true;
            if (line.size() < kMaxHeaderLine)
                line += static_cast<char>(c);
            else
                bad = true;
        }
        if (c == -1 && !any) return f;  // End
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) break;
        if (++lines > kMaxHeaderLines) bad = true;
        long long n = content_length(line);
        if (n >= 0) length = n;
        if (c == -1) return f;
    }
    if (bad || length < 0) {
        f.status = Frame::Status::BadHeader;
        return f;
    }
    auto wanted = static_cast<unsigned long long>(length);
    if (wanted > kMaxMessageBytes) {
        // Thrown away as it comes, so that memory stays bounded.
        for (unsigned long long i = 0; i < wanted; ++i)
            if (get() == -1) return f;
        f.status = Frame::Status::TooLarge;
        return f;
    }
    f.body.reserve(static_cast<std::size_t>(wanted));
    while (f.body.size() < wanted) {
        if (pos_ >= buffer_.size() && get() != -1) --pos_;
        if (pos_ >= buffer_.size()) return Frame{};  // ended inside the body
        std::size_t take = std::min<std::size_t>(buffer_.size() - pos_, wanted - f.body.size());
        f.body.append(buffer_, pos_, take);
        pos_ += take;
    }
    f.status = Frame::Status::Message;
    return f;
}

std::string frame(const std::string& body) {
    return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace morvel::lsp
