#include "driver/check_command.h"

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "core/strfmt.h"
#include "language/check.h"
#include "run.h"

namespace morvel {

namespace {

void write_all(std::FILE* f, const std::string& text) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fflush(f);
}

std::string json_of(const CheckSink& sink) {
    nlohmann::json list = nlohmann::json::array();
    for (const CheckMessage& m : sink.messages)
        list.push_back({{"file", m.file},
                        {"line", m.line},
                        {"column", m.column},
                        {"severity", severity_name(m.severity)},
                        {"message", m.text}});
    // Texts come from the definition and may hold any bytes: those that are no UTF-8
    // are replaced rather than refused.
    return list.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace

bool is_check_command(int argc, char** argv) {
    if (argc < 2) return false;
    std::string_view first = argv[1];
    return first == "--check" || first == "--json";
}

int run_check_command(Run& run, int argc, char** argv) {
    bool check = false;
    bool json = false;
    CheckRequest request;
    for (int i = 1; i < argc; ++i) {
        std::string_view word = argv[i];
        if (word == "--check") {
            check = true;
        } else if (word == "--json") {
            json = true;
        } else if (word == "-l" && i + 1 < argc) {
            request.log_file = argv[++i];
        } else if (request.path.empty() && !word.empty() && (word[0] != '-' || word == "-")) {
            request.path = std::string(word);
        } else {
            write_all(run.err, strfmt("Usage: %s --check [--json] [-l log_file] definition_file\n",
                                      argc > 0 ? argv[0] : "morvel"));
            return 100;
        }
    }
    if (!check || request.path.empty()) {
        write_all(run.err, strfmt("Usage: %s --check [--json] [-l log_file] definition_file\n",
                                  argc > 0 ? argv[0] : "morvel"));
        return 100;
    }
    CheckSink sink = check_definition(request);
    if (json) {
        write_all(run.out, json_of(sink));
    } else {
        std::string text;
        for (const CheckMessage& m : sink.messages) text += check_line(m);
        if (sink.dropped > 0)
            appendf(text, "%s: note: %zu more messages not shown\n", request.path.c_str(),
                    sink.dropped);
        write_all(run.err, text);
    }
    return sink.has_errors() ? 1 : 0;
}

}  // namespace morvel
