#include "core/check_sink.h"

#include <algorithm>

#include "core/ascii.h"
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

void CheckSink::record(NameUse use) {
    if (names.size() < kNameUseLimit) names.push_back(std::move(use));
}

void CheckSink::pin_name(std::string_view name, bool declaration) {
    const NameUse* first = nullptr;
    for (const NameUse& use : names) {
        if (!equal_ignore_case(use.name, name)) continue;
        if (use.declaration == declaration) {
            first = &use;
            break;
        }
        if (!first) first = &use;
    }
    if (!first) return;
    pinned_file = first->file;
    pinned_line = first->line;
    pinned_column = first->column;
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
