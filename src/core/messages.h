#pragma once
// The message API: every diagnostic goes to the console (unless silent) and is
// appended to the log, which is opened and closed for each message.
#include <functional>
#include <string>
#include <string_view>

namespace morvel {

struct Run;

/// What a message line is, for a receiver that treats the kinds differently.
enum class MessageKind { Error, Warning, Info };
/// Receives every finished message line (with its newline) besides the console and the log.
using MessageSink = std::function<void(MessageKind kind, std::string_view line)>;

/// What the message sink remembers between messages: whether the log can be written,
/// and the last message, so that a message repeated without end cannot fill the disk.
struct MessageLog {
    bool created = false;  ///< create_log made the file: a later failed write is a fault
    bool failed = false;   ///< a write to the created log failed (said once on stderr)
    std::string last;      ///< the last message sent, with its line ends
    long repeats = 0;      ///< times `last` came again in a row
    long dropped = 0;      ///< of those, how many were not written
};

/// Identical messages in a row written before the rest are only counted.
inline constexpr long kRepeatedMessageLimit = 100;

/// Error: sets MEMORY_ERROR and counts the error. Level 1/3 add " at line N of FILE"; 2/3 add the
/// system error text.
[[gnu::format(printf, 3, 4)]] void report_error(Run& run, int level, const char* fmt, ...);
/// Warning; the position is added when bit 0 of level is set.
[[gnu::format(printf, 3, 4)]] void report_warning(Run& run, int level, const char* fmt, ...);
/// Information line, never with position.
[[gnu::format(printf, 2, 3)]] void report_info(Run& run, const char* fmt, ...);
/// A hint explaining the message before it: an information line in a run, a note in a check.
[[gnu::format(printf, 2, 3)]] void report_note(Run& run, const char* fmt, ...);
/// Information of up to 200000 bytes (DEBUG output, value traces).
[[gnu::format(printf, 2, 3)]] void log_large_message(Run& run, const char* fmt, ...);
/// Console-only pause of the trace mode; answers "r" (stop tracing) and "v" (describe a name).
[[gnu::format(printf, 2, 3)]] void debug_prompt(Run& run, const char* fmt, ...);
/// Writes one finished message line to the console, the log and the run's message
/// sink; located adds " at line N of FILE" from the run's message position.
void write_message(Run& run, std::string_view text, bool located = false,
                   MessageKind kind = MessageKind::Info);
/// Creates (or empties) the log file; false when it cannot be created.
bool create_log(Run& run);
/// Appends a line to the log only (messages whose console is standard error).
void write_log_only(Run& run, std::string_view text);
/// Writes the count of dropped repeats of the last message, if any were dropped.
void flush_repeated_messages(Run& run);

}  // namespace morvel
