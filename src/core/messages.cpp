#include "core/messages.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/file_handle.h"
#include "core/strfmt.h"
#include "run.h"
#include "values/identifiers.h"

namespace morvel {

namespace {

// Bounds of the message texts; a longer text is cut, never written past.
constexpr std::size_t kErrorSize = 2048;
constexpr std::size_t kWarningSize = 256;
constexpr std::size_t kInfoSize = 256;
constexpr std::size_t kLargeSize = 200000;
constexpr std::size_t kPromptSize = 1024;

// Appends bytes to the log, opened for this one message so it is complete even if
// the process dies. False, with errno set, when the file cannot be opened or written.
bool append_to_log(const std::string& name, std::string_view bytes) {
    FileHandle log(std::fopen(name.c_str(), "ab"));
    if (!log) return false;
    errno = 0;
    bool written = std::fwrite(bytes.data(), 1, bytes.size(), log.get()) == bytes.size();
    int write_errno = errno;
    bool closed = std::fclose(log.release()) == 0;
    if (!written && write_errno != 0) errno = write_errno;
    return written && closed;
}

// A log that was created and can no longer be written is said once on standard
// error, also when silent: it is the only trace left. The run then fails.
void log_line(Run& run, std::string_view bytes) {
    int saved_errno = errno;
    if (!append_to_log(run.options.log_file_name, bytes) && run.message_log.created &&
        !run.message_log.failed) {
        int error = errno;
        run.message_log.failed = true;
        run.MEMORY_ERROR = 1;
        std::string text = strfmt("Unable to write log file %s: %s\n",
                                  run.options.log_file_name.c_str(), std::strerror(error));
        std::fwrite(text.data(), 1, text.size(), run.err);
        std::fflush(run.err);
    }
    errno = saved_errno;
}

void send(Run& run, std::string_view lines, MessageKind kind) {
    if (!run.options.silent) {
        std::fwrite(lines.data(), 1, lines.size(), run.out);
        std::fflush(run.out);
    }
    log_line(run, lines);
    if (!run.message_sink) return;
    // The sink takes one line at a time, even where a message carries two (an error
    // and its system text).
    while (!lines.empty()) {
        std::size_t end = lines.find('\n');
        std::size_t take = end == std::string_view::npos ? lines.size() : end + 1;
        run.message_sink(kind, lines.substr(0, take));
        lines.remove_prefix(take);
    }
}

// Every message passes here: after kRepeatedMessageLimit identical ones in a row the
// rest are counted, and the count is written when another message comes.
void deliver(Run& run, std::string lines, MessageKind kind) {
    // A check writes information lines only to a log that was asked for.
    if (run.check) {
        if (run.check->log_asked) log_line(run, lines);
        return;
    }
    MessageLog& log = run.message_log;
    if (lines == log.last) {
        if (++log.repeats >= kRepeatedMessageLimit) {
            ++log.dropped;
            return;
        }
    } else {
        flush_repeated_messages(run);
        log.last = lines;
        log.repeats = 0;
    }
    send(run, lines, kind);
}

std::string finished_line(const Run& run, bool located, std::string_view text) {
    std::string line(text);
    if (located)
        appendf(line, " at line %d of %s\n", run.current_line, run.current_file.c_str());
    else
        line += '\n';
    return line;
}

// A check keeps the message with its place instead of writing it.
void collect(Run& run, CheckSeverity severity, std::string text) {
    CheckSink& sink = *run.check;
    CheckMessage m;
    m.file = run.current_file;
    if (severity == CheckSeverity::Note && !sink.messages.empty()) {
        const CheckMessage& before = sink.messages.back();
        m.file = before.file;
        m.line = before.line;
        m.column = before.column;
    } else if (sink.pinned_line > 0) {
        m.file = sink.pinned_file;
        m.line = sink.pinned_line;
        m.column = sink.pinned_column;
    } else {
        m.line = run.current_line;
        m.column = m.line > 0 ? run.current_column : 0;
    }
    while (!text.empty() && text.back() == '\n') text.pop_back();
    m.severity = severity;
    m.text = std::move(text);
    sink.add(std::move(m));
}

}  // namespace

void write_message(Run& run, std::string_view text, bool located, MessageKind kind) {
    deliver(run, finished_line(run, located, text), kind);
}

void flush_repeated_messages(Run& run) {
    MessageLog& log = run.message_log;
    if (log.dropped == 0) return;
    std::string line = strfmt("Previous message repeated %ld more times\n", log.dropped);
    log.dropped = 0;
    log.repeats = 0;
    log.last.clear();
    send(run, line, MessageKind::Info);
}

void write_log_only(Run& run, std::string_view text) {
    flush_repeated_messages(run);
    run.message_log.last.clear();
    std::string line(text);
    line += '\n';
    log_line(run, line);
}

bool create_log(Run& run) {
    errno = 0;
    FileHandle log(std::fopen(run.options.log_file_name.c_str(), "wb"));
    run.message_log.created = log != nullptr;
    if (!log) {
        // Messages then reach the console only; standard error says why.
        std::string text = strfmt("Unable to create log file %s: %s\n",
                                  run.options.log_file_name.c_str(), std::strerror(errno));
        std::fwrite(text.data(), 1, text.size(), run.err);
        std::fflush(run.err);
    }
    return run.message_log.created;
}

void report_error(Run& run, int level, const char* fmt, ...) {
    int saved_errno = errno;
    run.MEMORY_ERROR = 1;
    ++run.error_count;
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kErrorSize, fmt, ap);
    va_end(ap);
    bool system_text = level > 1;
    if (system_text) level -= 2;
    if (run.check) {
        if (system_text && saved_errno != 0) appendf(text, ": %s", std::strerror(saved_errno));
        collect(run, CheckSeverity::Error, std::move(text));
        errno = saved_errno;
        return;
    }
    // The system text is part of the same message, so repeats of the pair are counted.
    std::string lines = finished_line(run, level == 1, text);
    if (system_text && saved_errno != 0)
        lines += finished_line(run, false, std::strerror(saved_errno));
    deliver(run, std::move(lines), MessageKind::Error);
    errno = saved_errno;
}

void report_warning(Run& run, int level, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kWarningSize, fmt, ap);
    va_end(ap);
    if (run.check) return collect(run, CheckSeverity::Warning, std::move(text));
    deliver(run, finished_line(run, (level & 1) != 0, text), MessageKind::Warning);
}

void report_note(Run& run, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kInfoSize, fmt, ap);
    va_end(ap);
    if (run.check) return collect(run, CheckSeverity::Note, std::move(text));
    deliver(run, finished_line(run, false, text), MessageKind::Info);
}

void report_info(Run& run, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kInfoSize, fmt, ap);
    va_end(ap);
    deliver(run, finished_line(run, false, text), MessageKind::Info);
}

void log_large_message(Run& run, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kLargeSize, fmt, ap);
    va_end(ap);
    deliver(run, finished_line(run, false, text), MessageKind::Info);
}

void debug_prompt(Run& run, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kPromptSize, fmt, ap);
    va_end(ap);
    std::fputs(text.c_str(), run.out);
    std::fflush(run.out);
    for (;;) {
        int c = std::fgetc(run.in);
        if (c == 'r') {
            run.trace_flags = 0;
            return;
        }
        if (c != 'v') return;
        std::fputs("Value of >", run.out);
        std::fflush(run.out);
        std::string word;
        int ch = std::fgetc(run.in);
        while (ch != EOF && (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r'))
            ch = std::fgetc(run.in);
        while (ch != EOF && ch != ' ' && ch != '\t' && ch != '\n' && ch != '\r') {
            word += static_cast<char>(ch);
            ch = std::fgetc(run.in);
        }
        if (ch != EOF) std::ungetc(ch, run.in);
        const Identifier* id = lookup(run, word);
        if (!id)
            std::fprintf(run.out, "%s not found\n", word.c_str());
        else if (id->kind == IdKind::Variable)
            std::fprintf(run.out, "%s is a variable\n", word.c_str());
        else if (id->kind == IdKind::Field)
            std::fprintf(run.out, "%s is an extract field\n", word.c_str());
        else
            std::fprintf(run.out, "%s is an unsupported type\n", word.c_str());
        std::fflush(run.out);
    }
}

}  // namespace morvel
