#include "lsp/server.h"

#include <nlohmann/json.hpp>

namespace morvel::lsp {

namespace {

using nlohmann::json;

// JSON-RPC error codes.
constexpr int kParseError = -32700;
constexpr int kInvalidRequest = -32600;
constexpr int kMethodNotFound = -32601;
constexpr int kInvalidParams = -32602;
constexpr int kServerNotInitialized = -32002;

std::string dump(const json& j) {
    // Texts from the definition may hold bytes that are not UTF-8: replaced, not refused.
    return j.dump(-1, ' ', false, json::error_handler_t::replace);
}

json place_json(Place p) {
    return {{"line", p.line}, {"character", p.column}};
}

json span_json(const Span& s) {
    return {{"start", place_json(s.start)}, {"end", place_json(s.end)}};
}

Place place_of(const json& params) {
    const json& p = params.at("position");
    return {p.at("line").get<int>(), p.at("character").get<int>()};
}

int severity_code(CheckSeverity s) {
    switch (s) {
        case CheckSeverity::Error:
            return 1;
        case CheckSeverity::Warning:
            return 2;
        case CheckSeverity::Note:
            return 3;
    }
    return 1;
}

int completion_kind(ItemKind k) {
    // CompletionItemKind of the protocol.
    switch (k) {
        case ItemKind::Keyword:
            return 14;
        case ItemKind::Function:
            return 3;
        case ItemKind::Variable:
            return 6;
        case ItemKind::Field:
            return 5;
        case ItemKind::Program:
            return 2;
        case ItemKind::Font:
            return 21;
        case ItemKind::Output:
            return 9;
    }
    return 1;
}

json symbol_json(const Symbol& s) {
    json j = {{"name", s.name},
              {"kind", s.section ? 3 : 12},  // Namespace, Function
              {"range", span_json(s.span)},
              {"selectionRange", span_json(s.name_span)}};
    json children = json::array();
    for (const Symbol& c : s.children) children.push_back(symbol_json(c));
    j["children"] = std::move(children);
    return j;
}

int hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string path_of_uri(const std::string& uri) {
    constexpr std::string_view kFile = "file://";
    if (uri.compare(0, kFile.size(), kFile) != 0) return uri;
    std::string path;
    for (std::size_t i = kFile.size(); i < uri.size(); ++i) {
        if (uri[i] == '%' && i + 2 < uri.size() && hex(uri[i + 1]) >= 0 && hex(uri[i + 2]) >= 0) {
            path += static_cast<char>(hex(uri[i + 1]) * 16 + hex(uri[i + 2]));
            i += 2;
        } else {
            path += uri[i];
        }
    }
    return path;
}

void Server::respond_error(const std::string& id_json, int code, const std::string& message) {
    send_(R"({"jsonrpc":"2.0","id":)" + id_json + R"(,"error":{"code":)" + std::to_string(code) +
          R"(,"message":)" + dump(json(message)) + "}}");
}

void Server::framing_error(Frame::Status status) {
    if (status == Frame::Status::TooLarge)
        respond_error("null", kInvalidRequest, "message larger than the server takes");
    else if (status == Frame::Status::BadHeader)
        respond_error("null", kParseError, "message header without a usable Content-Length");
}

void Server::publish(const std::string& uri, const Document& doc) {
    json list = json::array();
    for (const Diagnostic& d : diagnostics(doc.analysis))
        list.push_back({{"range", span_json(d.span)},
                        {"severity", severity_code(d.severity)},
                        {"source", "morvel"},
                        {"message", d.message}});
    json note = {{"jsonrpc", "2.0"},
                 {"method", "textDocument/publishDiagnostics"},
                 {"params", {{"uri", uri}, {"version", doc.version}, {"diagnostics", list}}}};
    send_(dump(note));
}

void Server::update(const std::string& uri, const std::string& text, int version) {
    auto it = documents_.find(uri);
    if (it == documents_.end()) {
        if (documents_.size() >= kMaxOpenDocuments) return;
        it = documents_.emplace(uri, Document{}).first;
    }
    it->second.version = version;
    it->second.analysis = analyse(path_of_uri(uri), text);
    publish(uri, it->second);
}

bool Server::handle(const std::string& body) {
    json message = json::parse(body, nullptr, false);
    if (message.is_discarded()) {
        respond_error("null", kParseError, "not JSON");
        return true;
    }
    if (!message.is_object() || !message.contains("method") || !message["method"].is_string()) {
        // A response from the client needs no answer; anything else is no request.
        if (message.is_object() && message.contains("id") &&
            (message.contains("result") || message.contains("error")))
            return true;
        std::string id =
            message.is_object() && message.contains("id") ? dump(message["id"]) : "null";
        respond_error(id, kInvalidRequest, "not a request");
        return true;
    }
    const std::string method = message["method"].get<std::string>();
    bool is_request = message.contains("id");
    std::string id = is_request ? dump(message["id"]) : "null";
    const json params = message.contains("params") ? message["params"] : json::object();
    auto reply = [&](const json& result) {
        send_(R"({"jsonrpc":"2.0","id":)" + id + R"(,"result":)" + dump(result) + "}");
    };

    if (method == "exit") return false;
    if (!initialised_ && method != "initialize") {
        if (is_request) respond_error(id, kServerNotInitialized, "initialize first");
        return true;
    }
    try {
        if (method == "initialize") {
            initialised_ = true;
            std::string encoding = "utf-16";
            if (params.contains("capabilities")) {
                const json& caps = params["capabilities"];
                if (caps.contains("general") && caps["general"].contains("positionEncodings"))
                    for (const json& e : caps["general"]["positionEncodings"])
                        if (e.is_string() && e.get<std::string>() == "utf-8") encoding = "utf-8";
            }
            utf8_positions_ = encoding == "utf-8";
            reply({{"capabilities",
                    {{"positionEncoding", encoding},
                     {"textDocumentSync",
                      {{"openClose", true}, {"change", 1}, {"save", {{"includeText", true}}}}},
                     {"completionProvider", {{"triggerCharacters", {",", "(", " "}}}},
                     {"hoverProvider", true},
                     {"definitionProvider", true},
                     {"referencesProvider", true},
                     {"documentSymbolProvider", true},
                     {"foldingRangeProvider", true}}},
                   {"serverInfo", {{"name", "morvel-lsp"}}}});
        } else if (method == "shutdown") {
            shut_down_ = true;
            reply(nullptr);
        } else if (method == "textDocument/didOpen") {
            const json& doc = params.at("textDocument");
            update(doc.at("uri").get<std::string>(), doc.at("text").get<std::string>(),
                   doc.value("version", 0));
        } else if (method == "textDocument/didChange") {
            const json& doc = params.at("textDocument");
            const json& changes = params.at("contentChanges");
            // Whole texts only (the server asks for them): the last one counts.
            if (changes.is_array() && !changes.empty())
                update(doc.at("uri").get<std::string>(),
                       changes.back().at("text").get<std::string>(), doc.value("version", 0));
        } else if (method == "textDocument/didSave") {
            std::string uri = params.at("textDocument").at("uri").get<std::string>();
            auto it = documents_.find(uri);
            if (params.contains("text") && params["text"].is_string())
                update(uri, params["text"].get<std::string>(),
                       it == documents_.end() ? 0 : it->second.version);
            else if (it != documents_.end())
                update(uri, it->second.analysis.text, it->second.version);
        } else if (method == "textDocument/didClose") {
            std::string uri = params.at("textDocument").at("uri").get<std::string>();
            documents_.erase(uri);
            send_(dump({{"jsonrpc", "2.0"},
                        {"method", "textDocument/publishDiagnostics"},
                        {"params", {{"uri", uri}, {"diagnostics", json::array()}}}}));
        } else if (method.rfind("textDocument/", 0) == 0 && is_request) {
            std::string uri = params.at("textDocument").at("uri").get<std::string>();
            auto it = documents_.find(uri);
            if (it == documents_.end()) {
                reply(nullptr);
                return true;
            }
            const Analysis& a = it->second.analysis;
            if (method == "textDocument/completion") {
                json items = json::array();
                for (const CompletionItem& c : complete(a, place_of(params)))
                    items.push_back({{"label", c.label},
                                     {"kind", completion_kind(c.kind)},
                                     {"detail", c.detail}});
                reply({{"isIncomplete", false}, {"items", items}});
            } else if (method == "textDocument/hover") {
                std::optional<std::string> text = hover(a, place_of(params));
                if (text)
                    reply({{"contents", {{"kind", "markdown"}, {"value", *text}}}});
                else
                    reply(nullptr);
            } else if (method == "textDocument/definition") {
                std::optional<Location> l = definition(a, place_of(params));
                if (l)
                    reply({{"uri", uri}, {"range", span_json(l->span)}});
                else
                    reply(nullptr);
            } else if (method == "textDocument/references") {
                bool with_declaration = params.contains("context") &&
                                        params["context"].value("includeDeclaration", false);
                json list = json::array();
                for (const Location& l : references(a, place_of(params), with_declaration))
                    list.push_back({{"uri", uri}, {"range", span_json(l.span)}});
                reply(list);
            } else if (method == "textDocument/documentSymbol") {
                json list = json::array();
                for (const Symbol& s : document_symbols(a)) list.push_back(symbol_json(s));
                reply(list);
            } else if (method == "textDocument/foldingRange") {
                json list = json::array();
                for (const Fold& f : folding_ranges(a))
                    list.push_back({{"startLine", f.start_line}, {"endLine", f.end_line}});
                reply(list);
            } else {
                respond_error(id, kMethodNotFound, "method not handled: " + method);
            }
        } else if (is_request) {
            respond_error(id, kMethodNotFound, "method not handled: " + method);
        }
    } catch (const json::exception& e) {
        if (is_request) respond_error(id, kInvalidParams, e.what());
    }
    return true;
}

int serve(ByteSource source, const std::function<void(const std::string&)>& sink) {
    FrameReader reader(std::move(source));
    Server server([&](const std::string& body) { sink(frame(body)); });
    for (;;) {
        Frame f = reader.next();
        if (f.status == Frame::Status::End) return 1;  // the client went away
        if (f.status != Frame::Status::Message) {
            server.framing_error(f.status);
            continue;
        }
        if (!server.handle(f.body)) return server.exit_code();
    }
}

}  // namespace morvel::lsp
