#include "core/messages.h"

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "run.h"
#include "core/strfmt.h"
#include "values/identifiers.h"

namespace morvel {

namespace {

// Bounds of the message texts; a longer text is cut, never written past.
constexpr std::size_t kErrorSize = 2048;
constexpr std::size_t kWarningSize = 256;
constexpr std::size_t kInfoSize = 256;
constexpr std::size_t kLargeSize = 200000;
constexpr std::size_t kPromptSize = 1024;

}  // namespace

void write_message(Run& run, std::string_view text, bool located, MessageKind kind) {
    std::string line(text);
    if (located)
        appendf(line, " at line %d of %s\n", run.current_line, run.current_file.c_str());
    else
        line += '\n';
    if (!run.options.silent) {
        std::fwrite(line.data(), 1, line.size(), run.out);
        std::fflush(run.out);
    }
    // The log is opened per message so it is complete even if the process dies.
    if (std::FILE* log = std::fopen(run.options.log_file_name.c_str(), "a")) {
        std::fwrite(line.data(), 1, line.size(), log);
        std::fclose(log);
    }
    if (run.message_sink) run.message_sink(kind, line);
}

bool create_log(Run& run) {
    std::FILE* log = std::fopen(run.options.log_file_name.c_str(), "w");
    if (!log) return false;
    std::fclose(log);
    return true;
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
    write_message(run, text, level == 1, MessageKind::Error);
    if (system_text && saved_errno != 0)
        write_message(run, std::strerror(saved_errno), false, MessageKind::Error);
    errno = saved_errno;
}

void report_warning(Run& run, int level, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kWarningSize, fmt, ap);
    va_end(ap);
    write_message(run, text, (level & 1) != 0, MessageKind::Warning);
}

void report_info(Run& run, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kInfoSize, fmt, ap);
    va_end(ap);
    write_message(run, text);
}

void log_large_message(Run& run, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string text = vstrfmt_bounded(kLargeSize, fmt, ap);
    va_end(ap);
    write_message(run, text);
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
        while (ch != EOF && (ch == ' ' || ch == '\t' || ch == '\n' || ch == '\r')) ch = std::fgetc(run.in);
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
