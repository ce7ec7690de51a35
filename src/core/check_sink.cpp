#include "core/check_sink.h"

#include <algorithm>

#include "core/strfmt.h"

namespace morvel {

bool CheckSink::add(CheckMessage message) {
    auto same = [&](const CheckMessage& m) {
        return m.line == message.line && m.column == message.column &&
               m.severity == message.severity && m.text == message.text && m.file == message.file;
    };
    // A note belongs to the message before it: it is kept when that one was.
    if (message.severity == CheckSeverity::Note) {
        if (!last_kept) return false;
    } else if (std::any_of(messages.begin(), messages.end(), same)) {
        last_kept = false;
        return false;
    }
    if (messages.size() >= kCheckMessageLimit) {
        ++dropped;
        last_kept = false;
        return false;
    }
    if (message.severity == CheckSeverity::Error) ++errors;
    messages.push_back(std::move(message));
    last_kept = true;
    return true;
}

namespace {

std::string place_key(std::string_view name, bool declaration) {
    std::string key;
    key.reserve(name.size() + 1);
    for (char c : name) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    key += declaration ? '+' : '-';
    return key;
}

}  // namespace

void CheckSink::record(NameUse use) {
    first_places.try_emplace(place_key(use.name, use.declaration), use);
    if (record_names && names.size() < kNameUseLimit) names.push_back(std::move(use));
}

void CheckSink::pin_name(std::string_view name, bool declaration) {
    auto it = first_places.find(place_key(name, declaration));
    if (it == first_places.end()) it = first_places.find(place_key(name, !declaration));
    if (it == first_places.end()) return;
    pinned_file = it->second.file;
    pinned_line = it->second.line;
    pinned_column = it->second.column;
}

const char* severity_name(CheckSeverity severity) {
    switch (severity) {
        case CheckSeverity::Error:
            return "error";
        case CheckSeverity::Warning:
            return "warning";
        case CheckSeverity::Note:
            return "note";
    }
    return "error";
}

std::string check_line(const CheckMessage& m) {
    std::string line = m.file;
    if (m.line > 0) appendf(line, ":%d", m.line);
    if (m.line > 0 && m.column > 0) appendf(line, ":%d", m.column);
    appendf(line, ": %s: %s\n", severity_name(m.severity), m.text.c_str());
    return line;
}

}  // namespace morvel
