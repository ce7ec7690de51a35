#pragma once
// What a check run (morvel --check, the language server) collects instead of writing
// messages: each message with its file, line and column, and where names are declared
// and used.
#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace morvel {

enum class CheckSeverity { Error, Warning, Note };

/// One message of a check. Line and column count from 1; 0 when the message has no place.
struct CheckMessage {
    std::string file;
    int line = 0;
    int column = 0;
    CheckSeverity severity = CheckSeverity::Error;
    std::string text;
};

/// A name written in the definition: its declaration or one of its uses.
struct NameUse {
    std::string name;
    std::string file;
    int line = 0;
    int column = 0;
    bool declaration = false;
    int kind = 0;  ///< the IdKind of a declaration
};

/// Messages a check reports at most; later ones are counted, not kept.
inline constexpr std::size_t kCheckMessageLimit = 50;
/// Name uses a check records at most (a bound for the language server's memory).
inline constexpr std::size_t kNameUseLimit = 200000;

struct CheckSink {
    std::vector<CheckMessage> messages;
    std::size_t errors = 0;     ///< errors kept
    std::size_t dropped = 0;    ///< messages past the limit
    bool log_asked = false;     ///< information lines go to the log file as well
    bool record_names = false;  ///< fill `names` (the language server)
    std::vector<NameUse> names;
    /// The first declaration and the first use of each name (key: the name in lower
    /// case, then "+" for a declaration or "-" for a use), for the places of messages.
    std::unordered_map<std::string, NameUse> first_places;
    std::string pinned_file;  ///< when pinned_line is set, messages name this place
    int pinned_line = 0;
    int pinned_column = 0;
    bool last_kept = false;  ///< whether the last message was kept (for its notes)

    /// Adds a message unless an identical one (the second pass repeats the first) is
    /// kept already, or the limit is reached. False when it was not kept.
    bool add(CheckMessage message);
    bool has_errors() const { return errors > 0; }
    bool full() const { return messages.size() >= kCheckMessageLimit; }
    /// Records a name's declaration or use (up to kNameUseLimit).
    void record(NameUse use);
    /// Pins messages to the first declaration (or, failing that, use) of name.
    void pin_name(std::string_view name, bool declaration);
    void unpin() { pinned_line = pinned_column = 0; }
};

/// Reads "FILE:LINE:COLUMN: error: TEXT" (the form compilers use) for one message.
std::string check_line(const CheckMessage& message);
const char* severity_name(CheckSeverity severity);

}  // namespace morvel
