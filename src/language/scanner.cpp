// The scanner's public side: passes, look-ahead, token recording and replay.
#include "language/scanner.h"

#include "core/file_handle.h"
#include "language/parse_error.h"
#include "language/scanner_impl.h"
#include "run.h"

namespace morvel {

namespace {

Token end_token() {
    return Token{};
}

// A loaded token stream. A malformed stream (an unknown code, a text without its
// zero byte) ends there like the end token, and the position stays put, so every
// later call also sees the end.
Token replay_token(Scanner& s) {
    const std::string& stream = *s.replay;
    if (s.replay_pos >= stream.size()) return end_token();
    int code = static_cast<unsigned char>(stream[s.replay_pos]);
    if (code == 0 || !is_token_code(code)) return end_token();
    Token t;
    t.code = static_cast<Tok>(code);
    if (!token_has_text(t.code)) {
        ++s.replay_pos;
        return t;
    }
    std::size_t text_start = s.replay_pos + 1;
    std::size_t zero = stream.find('\0', text_start);
    if (zero == std::string::npos) return end_token();
    t.text = stream.substr(text_start, zero - text_start);
    s.replay_pos = zero + 1;
    return t;
}

Token scan_token(Run& run) {
    Scanner::Impl& impl = *run.scanner.impl;
    if (impl.main_read_failed) scanner_fatal(run, "input in flex scanner failed");
    for (;;) {
        ScanInput& in = impl.nested_active ? impl.nested : impl.main;
        Lexed l = lex_one(run, in);
        switch (l.kind) {
            case LexKind::Token:
                return std::move(l.token);
            case LexKind::Include:
            case LexKind::Uses:
                switch_input(run, l.kind == LexKind::Uses);
                continue;
            case LexKind::InputEnd:
                if (!impl.nested_active) return end_token();
                if (run.scanner.file_switch_forbidden)
                    parse_error(run, 1, "Cannot enter/exit uses/include file at this point");
                impl.nested_active = false;
                impl.nested.data.clear();
                impl.nested.data.shrink_to_fit();
                run.current_file = std::move(impl.outer_file);
                run.current_line = impl.outer_line;
                run.scanner.source_index = 0;
                continue;
        }
    }
}

// Every token handed towards the parser comes from here, so each is recorded once,
// however often it is peeked. The end token is recorded once per pass.
Token produce_token(Run& run) {
    Scanner& s = run.scanner;
    if (!s.impl) return end_token();
    Token t = s.replay ? replay_token(s) : scan_token(run);
    if (s.record && !(t.code == Tok::END && s.impl->end_recorded)) {
        append_token_bytes(*s.record, t);
        if (t.code == Tok::END) s.impl->end_recorded = true;
        if (s.record_spill && s.record->size() >= kRecordSpillBytes) s.record_spill(*s.record);
    }
    return t;
}

}  // namespace

bool scanner_start_pass(Run& run, int pass) {
    Scanner& s = run.scanner;
    s.pass = pass;
    s.lookahead.reset();
    s.replay_pos = 0;
    s.file_switch_forbidden = false;
    s.impl = std::make_shared<Scanner::Impl>();

    run.current_line = 1;
    run.current_file =
        run.options.definition_name.empty() ? s.definition_path : run.options.definition_name;
    s.sources.clear();
    s.source_index = register_source_file(run, run.current_file, false);

    if (s.replay) return true;
    if (s.text) {
        s.impl->main.data = *s.text;
        return true;
    }
    ReadStatus status = read_file(s.definition_path, s.impl->main.data);
    if (status == ReadStatus::CannotOpen) return false;
    // A failed read stops the program at the first token, inside the pass.
    if (status != ReadStatus::Ok) s.impl->main_read_failed = true;
    return true;
}

void scanner_finish(Run& run) {
    run.scanner.lookahead.reset();
    run.scanner.impl.reset();
}

Token next_token(Run& run) {
    Scanner& s = run.scanner;
    if (s.lookahead) {
        Token t = std::move(*s.lookahead);
        s.lookahead.reset();
        return t;
    }
    return produce_token(run);
}

const Token& peek_token(Run& run) {
    Scanner& s = run.scanner;
    if (!s.lookahead) s.lookahead = produce_token(run);
    return *s.lookahead;
}

int register_source_file(Run& run, std::string_view name, bool read_only) {
    std::vector<SourceFile>& list = run.scanner.sources;
    for (std::size_t i = 0; i < list.size(); ++i)
        if (equal_ignore_case(list[i].name, name)) return static_cast<int>(i);
    list.push_back(SourceFile{std::string(name), read_only});
    return static_cast<int>(list.size() - 1);
}

void set_file_switch_forbidden(Run& run) {
    run.scanner.file_switch_forbidden = true;
}

void clear_file_switch_forbidden(Run& run) {
    run.scanner.file_switch_forbidden = false;
}

bool file_switch_forbidden(const Run& run) {
    return run.scanner.file_switch_forbidden;
}

void append_token_bytes(std::string& stream, const Token& token) {
    stream += static_cast<char>(static_cast<unsigned char>(token.code));
    if (!token_has_text(token.code)) return;
    // The stream ends a text at its zero byte, so a text is written up to its first one.
    std::size_t zero = token.text.find('\0');
    stream.append(token.text, 0, zero);
    stream += '\0';
}

}  // namespace morvel
