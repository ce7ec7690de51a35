#pragma once
// The message API: every diagnostic goes to the console (unless silent) and is
// appended to the log, which is opened and closed for each message.
#include <string_view>

namespace morvel {

struct Run;

/// Error: sets MEMORY_ERROR and counts the error. Level 1/3 add " at line N of FILE"; 2/3 add the system error text.
[[gnu::format(printf, 3, 4)]] void report_error(Run& run, int level, const char* fmt, ...);
/// Warning; the position is added when bit 0 of level is set.
[[gnu::format(printf, 3, 4)]] void report_warning(Run& run, int level, const char* fmt, ...);
/// Information line, never with position.
[[gnu::format(printf, 2, 3)]] void report_info(Run& run, const char* fmt, ...);
/// Information of up to 200000 bytes (DEBUG output, value traces).
[[gnu::format(printf, 2, 3)]] void log_large_message(Run& run, const char* fmt, ...);
/// Console-only pause of the trace mode; answers "r" (stop tracing) and "v" (describe a name).
[[gnu::format(printf, 2, 3)]] void debug_prompt(Run& run, const char* fmt, ...);
/// Writes one finished message line to the console and the log; located adds
/// " at line N of FILE" from the run's message position.
void write_message(Run& run, std::string_view text, bool located = false);
/// Creates (or empties) the log file; false when it cannot be created.
bool create_log(Run& run);

}  // namespace morvel
