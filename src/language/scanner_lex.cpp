// The lexer over one file's bytes: longest match, keywords before identifiers.
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/messages.h"
#include "language/parse_error.h"
#include "language/scanner_impl.h"
#include "run.h"

namespace morvel {

namespace {

bool is_letter(int c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool is_digit(int c) {
    return c >= '0' && c <= '9';
}
bool is_word_char(int c) {
    return is_letter(c) || is_digit(c) || c == '_';
}

int hex_value(int c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool starts_with_nocase(const ScanInput& in, std::string_view word) {
    if (in.data.size() - in.pos < word.size()) return false;
    return equal_ignore_case(std::string_view(in.data).substr(in.pos, word.size()), word);
}

void check_lexeme(Run& run, std::size_t length) {
    if (length > kMaxLexeme) scanner_fatal(run, "token too large, exceeds YYLMAX");
}

Lexed token_of(Tok code, std::string text = {}) {
    Lexed l;
    l.kind = LexKind::Token;
    l.token.code = code;
    l.token.text = std::move(text);
    return l;
}

// A token text is copied like a C string, so it ends at its first zero byte;
// this also keeps the recorded token stream, where a zero byte ends the text, intact.
void cut_at_zero(std::string& text) {
    std::size_t z = text.find('\0');
    if (z != std::string::npos) text.resize(z);
}

void append_utf8(std::string& out, unsigned long cp) {
    if (cp <= 0x7f) {
        out += static_cast<char>(cp);
    } else if (cp <= 0x7ff) {
        out += static_cast<char>(0xc0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    } else if (cp <= 0xffff) {
        out += static_cast<char>(0xe0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    } else if (cp <= 0x10ffff) {
        out += static_cast<char>(0xf0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3f));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3f));
        out += static_cast<char>(0x80 | (cp & 0x3f));
    }
    // Beyond the last Unicode code point nothing is stored.
}

// Decodes one escape; the backslash is already consumed.
void decode_escape(Run& run, ScanInput& in, std::string& text) {
    int c = in.get();
    switch (c) {
        case -1:
            return;
        case 'b':
            text += '\b';
            return;
        case 'f':
            text += '\f';
            return;
        case 'n':
            text += '\n';
            return;
        case 'r':
            text += '\r';
            return;
        case 't':
            text += '\t';
            return;
        case '\n':
            // An escaped line end is kept, and still counted so later positions are right.
            ++run.current_line;
            in.line_start = in.pos;
            text += '\n';
            return;
        default:
            break;
    }
    if (is_digit(c)) {
        unsigned value = static_cast<unsigned>(c - '0');
        for (int i = 0; i < 2 && is_digit(in.peek()); ++i)
            value = value * 10 + static_cast<unsigned>(in.get() - '0');
        text += static_cast<char>(value & 0xff);
        return;
    }
    if ((c == 'x' || c == 'X') && hex_value(in.peek()) >= 0) {
        unsigned long cp = 0;
        for (int i = 0; i < 6 && hex_value(in.peek()) >= 0; ++i)
            cp = cp * 16 + static_cast<unsigned long>(hex_value(in.get()));
        append_utf8(text, cp);
        return;
    }
    // Any other character stands for itself: \" and \\ give a quote and a backslash.
    text += static_cast<char>(c);
}

// The opening quote is consumed. The end of the file ends the string.
Lexed scan_string(Run& run, ScanInput& in) {
    std::string text;
    for (;;) {
        // Tested before every read, the closing quote included: 248 bytes is the most.
        if (text.size() >= kMaxStringBytes)
            parse_error(run, 1, "String to long or missing closing \"");
        int c = in.get();
        if (c == -1 || c == '"') break;
        if (c == '\n') {
            report_error(run, 1, "String to long or missing closing \"");
            // The line end is consumed: count it, so that a check going on has the right lines.
            ++run.current_line;
            in.line_start = in.pos;
            throw CompileAbort{};
        }
        if (c == '\\')
            decode_escape(run, in, text);
        else
            text += static_cast<char>(c);
    }
    cut_at_zero(text);
    return token_of(Tok::STRING, std::move(text));
}

// REM and NOTE keep the rest of their line, without its first character (the
// separating blank) and without the line end.
Lexed scan_comment(Run& run, ScanInput& in, Tok code) {
    std::size_t start = in.pos;
    std::size_t end = start;
    while (end < in.data.size() && in.data[end] != '\n') ++end;
    in.pos = end;
    if (in.pos < in.data.size()) {
        ++in.pos;
        ++run.current_line;
        in.line_start = in.pos;
    }
    // A CR before the line end is part of the line end, as a text-mode read would see it.
    if (end > start && in.data[end - 1] == '\r') --end;
    if (end > start) ++start;
    std::string text = in.data.substr(start, std::min(end - start, kMaxCommentText));
    cut_at_zero(text);
    return token_of(code, std::move(text));
}

Lexed scan_number(Run& run, ScanInput& in) {
    std::size_t start = in.pos;
    std::size_t end = start;
    while (end < in.data.size() && is_digit(static_cast<unsigned char>(in.data[end]))) ++end;
    Tok code = Tok::INTEGER;
    // A dot belongs to the number only when digits follow it: "12." is 12 and a dot.
    if (end + 1 < in.data.size() && in.data[end] == '.' &&
        is_digit(static_cast<unsigned char>(in.data[end + 1]))) {
        end += 1;
        while (end < in.data.size() && is_digit(static_cast<unsigned char>(in.data[end]))) ++end;
        code = Tok::REAL;
    }
    check_lexeme(run, end - start);
    in.pos = end;
    return token_of(code, in.data.substr(start, end - start));
}

Lexed scan_word(Run& run, ScanInput& in) {
    std::size_t start = in.pos;
    std::size_t end = start;
    while (end < in.data.size() && is_word_char(static_cast<unsigned char>(in.data[end]))) ++end;
    check_lexeme(run, end - start);
    std::string_view all(in.data);
    std::string_view word = all.substr(start, end - start);
    // "BOLD:" and its kind are one keyword with the colon, the longer match.
    if (end < all.size() && all[end] == ':') {
        if (std::optional<Tok> k = keyword_lookup(all.substr(start, end - start + 1))) {
            in.pos = end + 1;
            return token_of(*k);
        }
    }
    in.pos = end;
    if (equal_ignore_case(word, "TRUE")) return token_of(Tok::INTEGER, "1");
    if (equal_ignore_case(word, "FALSE")) return token_of(Tok::INTEGER, "0");
    if (std::optional<Tok> k = keyword_lookup(word)) {
        if (*k == Tok::REM || *k == Tok::NOTE) return scan_comment(run, in, *k);
        return token_of(*k);
    }
    return token_of(Tok::IDENT, std::string(word));
}

// "[INPUT]" and the other section headers are single tokens; anything else is "[".
Lexed scan_bracket(ScanInput& in) {
    std::size_t end = in.pos + 1;
    while (end < in.data.size() && is_letter(static_cast<unsigned char>(in.data[end]))) ++end;
    if (end < in.data.size() && in.data[end] == ']') {
        std::string_view header = std::string_view(in.data).substr(in.pos, end - in.pos + 1);
        if (std::optional<Tok> k = keyword_lookup(header)) {
            in.pos = end + 1;
            return token_of(*k);
        }
    }
    ++in.pos;
    return token_of(Tok::LBRACKET);
}

Tok single_char_token(int c) {
    switch (c) {
        case '!':
            return Tok::BANG;
        case '(':
            return Tok::LPAREN;
        case ')':
            return Tok::RPAREN;
        case ',':
            return Tok::COMMA;
        case '.':
            return Tok::DOT;
        case ']':
            return Tok::RBRACKET;
        case '{':
            return Tok::LBRACE;
        case '}':
            return Tok::RBRACE;
        case '=':
            return Tok::EQ;
        case '+':
            return Tok::PLUS;
        case '-':
            return Tok::MINUS;
        case '*':
            return Tok::STAR;
        case '/':
            return Tok::SLASH;
        case ':':
            return Tok::COLON;
        default:
            return Tok::END;  // not a token character
    }
}

}  // namespace

void scanner_fatal(Run& run, const char* text) {
    if (run.check) {
        report_error(run, 1, "%s", text);
        run.scanner.fatal_exit = 2;
        throw CompileAbort{};
    }
    std::fputs(text, run.err);
    std::fputc('\n', run.err);
    std::fflush(run.err);
    // Job controllers read the log, not standard error.
    write_log_only(run, text);
    run.scanner.fatal_exit = 2;
    throw CompileAbort{};
}

namespace {

// One lexer step; `start` and `line` tell where the last thing looked at began.
Lexed lex_raw(Run& run, ScanInput& in, std::size_t& token_start, int& line) {
    for (;;) {
        token_start = in.pos;
        line = run.current_line;
        // A message about the token being scanned names its start.
        run.current_column = in.column_of(in.pos);
        int c = in.peek();
        switch (c) {
            case -1:
                return Lexed{};
            case '\n':
                ++in.pos;
                ++run.current_line;
                in.line_start = in.pos;
                continue;
            case ' ':
            case '\t':
            case '\r': {
                std::size_t start = in.pos;
                while (in.peek() == ' ' || in.peek() == '\t' || in.peek() == '\r') ++in.pos;
                std::size_t length = in.pos - start;
                // A CR ending the line is part of the line end, as a text-mode read sees it.
                if (in.peek() == '\n' && in.data[in.pos - 1] == '\r') --length;
                check_lexeme(run, length);
                continue;
            }
            case ';': {
                const char* nl = static_cast<const char*>(
                    std::memchr(in.data.data() + in.pos, '\n', in.data.size() - in.pos));
                if (!nl) {
                    in.pos = in.data.size();
                    return Lexed{};
                }
                in.pos = static_cast<std::size_t>(nl - in.data.data()) + 1;
                ++run.current_line;
                in.line_start = in.pos;
                continue;
            }
            case '"':
                ++in.pos;
                return scan_string(run, in);
            case '[':
                return scan_bracket(in);
            case '<': {
                int next = in.peek(1);
                Tok t = next == '>' ? Tok::NE : next == '=' ? Tok::LE : Tok::LT;
                in.pos += t == Tok::LT ? 1 : 2;
                return token_of(t);
            }
            case '>': {
                Tok t = in.peek(1) == '=' ? Tok::GE : Tok::GT;
                in.pos += t == Tok::GT ? 1 : 2;
                return token_of(t);
            }
            case '#':
                if (starts_with_nocase(in, "#include")) {
                    in.pos += 8;
                    return Lexed{LexKind::Include, {}};
                }
                if (starts_with_nocase(in, "#uses")) {
                    in.pos += 5;
                    return Lexed{LexKind::Uses, {}};
                }
                break;
            default:
                if (is_digit(c)) return scan_number(run, in);
                if (is_letter(c)) return scan_word(run, in);
                if (Tok t = single_char_token(c); t != Tok::END) {
                    ++in.pos;
                    return token_of(t);
                }
                break;
        }
        // No rule knows this character: it is shown on the console and skipped.
        if (run.check) {
            run.current_column = in.column_of(in.pos);
            report_warning(run, 1, "The character %c is not part of the language; it is skipped",
                           c);
        } else {
            std::fputc(c, run.out);
        }
        ++in.pos;
    }
}

}  // namespace

Lexed lex_one(Run& run, ScanInput& in) {
    std::size_t start = 0;
    int line = 0;
    Lexed l = lex_raw(run, in, start, line);
    // Columns are counted here once, from the start of the token's line.
    int column = static_cast<int>(start >= in.line_start ? start - in.line_start + 1 : 1);
    if (line != run.current_line) {
        // A token that spans lines (an escaped line end) starts on an earlier line.
        std::size_t begin = in.data.rfind('\n', start == 0 ? 0 : start - 1);
        column = static_cast<int>(begin == std::string::npos ? start + 1 : start - begin);
    }
    l.token.line = line;
    l.token.column = column;
    run.current_column = column;
    return l;
}

}  // namespace morvel
