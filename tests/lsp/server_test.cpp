// The protocol layer: framing and answers to bad input, without a process.
#include "lsp/server.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "lsp/framing.h"

namespace morvel::lsp {
namespace {

ByteSource from(const std::string& bytes) {
    auto pos = std::make_shared<std::size_t>(0);
    return [bytes, pos](char* buffer, std::size_t n) {
        std::size_t take = std::min(n, bytes.size() - *pos);
        bytes.copy(buffer, take, *pos);
        *pos += take;
        return take;
    };
}

TEST(LspFraming, Frames) {
    struct Case {
        const char* name;
        std::string input;
        Frame::Status status;
        std::string body;
    };
    const Case cases[] = {
        {"one message", "Content-Length: 2\r\n\r\n{}", Frame::Status::Message, "{}"},
        {"LF alone and letter case", "content-length:2\n\n[]", Frame::Status::Message, "[]"},
        {"other headers", "Content-Type: x\r\nContent-Length: 1\r\n\r\n1", Frame::Status::Message,
         "1"},
        {"no length", "Content-Type: x\r\n\r\n{}", Frame::Status::BadHeader, ""},
        {"length not a number", "Content-Length: -5\r\n\r\n{}", Frame::Status::BadHeader, ""},
        {"length too long a number", "Content-Length: 99999999999999999999\r\n\r\n",
         Frame::Status::BadHeader, ""},
        {"too large", "Content-Length: 40000000\r\n\r\nxx", Frame::Status::End, ""},
        {"ends inside the body", "Content-Length: 10\r\n\r\n{}", Frame::Status::End, ""},
        {"ends in the header", "Content-Len", Frame::Status::End, ""},
        {"empty", "", Frame::Status::End, ""},
    };
    for (const Case& c : cases) {
        FrameReader reader(from(c.input));
        Frame f = reader.next();
        EXPECT_EQ(f.status, c.status) << c.name;
        EXPECT_EQ(f.body, c.body) << c.name;
    }
}

TEST(LspFraming, TooLargeBodyIsSkippedAndReadingGoesOn) {
    std::string big = "Content-Length: " + std::to_string(kMaxMessageBytes + 1) + "\r\n\r\n" +
                      std::string(kMaxMessageBytes + 1, 'x') + "Content-Length: 2\r\n\r\n{}";
    FrameReader reader(from(big));
    EXPECT_EQ(reader.next().status, Frame::Status::TooLarge);
    Frame f = reader.next();
    EXPECT_EQ(f.status, Frame::Status::Message);
    EXPECT_EQ(f.body, "{}");
}

std::vector<nlohmann::json> answers(const std::vector<std::string>& bodies) {
    std::vector<nlohmann::json> out;
    Server server([&](const std::string& body) { out.push_back(nlohmann::json::parse(body)); });
    for (const std::string& b : bodies) server.handle(b);
    return out;
}

const char* kInit = R"({"jsonrpc":"2.0","id":1,"method":"initialize","params":{}})";

TEST(LspServer, AnswersBadRequestsWithErrors) {
    struct Case {
        const char* name;
        std::string body;
        int code;
    };
    const Case cases[] = {
        {"not JSON", "{", -32700},
        {"not an object", "[1,2]", -32600},
        {"no method", R"({"jsonrpc":"2.0","id":7})", -32600},
        {"unknown method", R"({"jsonrpc":"2.0","id":7,"method":"x/y"})", -32601},
        {"missing parameters",
         R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{}})", -32602},
        {"wrong types",
         R"({"jsonrpc":"2.0","id":7,"method":"textDocument/hover","params":{"textDocument":{"uri":5}}})",
         -32602},
    };
    for (const Case& c : cases) {
        std::vector<nlohmann::json> out = answers({kInit, c.body});
        ASSERT_EQ(out.size(), 2u) << c.name;
        EXPECT_EQ(out[1]["error"]["code"], c.code) << c.name;
    }
}

TEST(LspServer, RequestBeforeInitializeIsRefused) {
    std::vector<nlohmann::json> out =
        answers({R"({"jsonrpc":"2.0","id":3,"method":"textDocument/hover","params":{}})"});
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0]["error"]["code"], -32002);
    EXPECT_EQ(out[0]["id"], 3);
}

TEST(LspServer, NotificationsGetNoAnswer) {
    EXPECT_EQ(answers({kInit, R"({"jsonrpc":"2.0","method":"initialized"})",
                       R"({"jsonrpc":"2.0","method":"$/cancelRequest","params":{"id":1}})"})
                  .size(),
              1u);
}

TEST(LspServer, ExitCodeFollowsShutdown) {
    auto run = [](const std::string& input) {
        std::string out;
        int code = serve(from(input), [&](const std::string& b) { out += b; });
        return code;
    };
    auto framed = [](const std::string& b) { return frame(b); };
    EXPECT_EQ(run(framed(kInit) + framed(R"({"jsonrpc":"2.0","id":2,"method":"shutdown"})") +
                  framed(R"({"jsonrpc":"2.0","method":"exit"})")),
              0);
    EXPECT_EQ(run(framed(kInit) + framed(R"({"jsonrpc":"2.0","method":"exit"})")), 1);
    EXPECT_EQ(run(framed(kInit)), 1);  // the client went away
}

TEST(LspServer, FileUris) {
    EXPECT_EQ(path_of_uri("file:///tmp/a%20b.def"), "/tmp/a b.def");
    EXPECT_EQ(path_of_uri("untitled:1"), "untitled:1");
    EXPECT_EQ(path_of_uri("file:///x%zz"), "/x%zz");
}

}  // namespace
}  // namespace morvel::lsp
