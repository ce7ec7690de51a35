// A check goes on after an error, as compilers do: the rest of the broken statement,
// setting, program or section is skipped and the parse resumes after it. A run never
// comes here; its first error ends the compile.
#include <array>

#include "core/messages.h"
#include "language/grammar.h"
#include "language/hints.h"
#include "language/parse_error.h"
#include "language/scanner.h"
#include "run.h"

namespace morvel {

namespace {

// Tokens in a row that may fail to scan while skipping before the check gives up.
constexpr int kMaxSkipFailures = 64;

bool is_section_header(Tok t) {
    return t == Tok::SEC_INPUT || t == Tok::SEC_EXTRACT || t == Tok::SEC_DELIVERY ||
           t == Tok::SEC_OUTPUT || t == Tok::SEC_REFORMAT;
}

// Words that may begin a statement or setting: keywords and names.
bool is_word_token(Tok t) {
    if (t == Tok::IDENT) return true;
    if (token_has_text(t) || is_section_header(t)) return false;
    const char* name = token_name(t);
    return name && ((name[0] >= 'A' && name[0] <= 'Z') || name[0] == '_');
}

// The sections in their fixed order.
constexpr std::array kSections = {Tok::SEC_INPUT, Tok::SEC_EXTRACT, Tok::SEC_DELIVERY,
                                  Tok::SEC_OUTPUT, Tok::SEC_REFORMAT};

int section_index(Tok t) {
    for (std::size_t i = 0; i < kSections.size(); ++i)
        if (kSections[i] == t) return static_cast<int>(i);
    return -1;
}

}  // namespace

bool Parser::checking() const {
    return run_.check != nullptr;
}

bool Parser::may_recover() const {
    return run_.check && run_.scanner.fatal_exit == 0 && !run_.check->full();
}

void Parser::skip_statement(int line) {
    setting_ = nullptr;
    int depth = 0;
    int failures = 0;
    for (;;) {
        Token t;
        try {
            t = peek();
        } catch (const CompileAbort&) {
            // A token that cannot be scanned (reported) is skipped with the rest; the
            // end of an include file inside a block is left all the same.
            if (!may_recover() || ++failures > kMaxSkipFailures) throw;
            clear_file_switch_forbidden(run_);
            continue;
        }
        if (t.code == Tok::END || is_section_header(t.code)) return;
        if (depth == 0 && t.code == Tok::RBRACE) return;
        if (depth == 0 && t.line > line && is_word_token(t.code)) return;
        if (t.code == Tok::LBRACE) ++depth;
        if (t.code == Tok::RBRACE) --depth;
        next();
    }
}

bool Parser::skip_stray_word() {
    const Token& t = peek();
    if (t.code == Tok::RBRACE || t.code == Tok::END || is_section_header(t.code)) return false;
    if (!may_recover()) return false;
    Token found = next();
    // The word is the mistake; the brace the parser then wanted only follows from it.
    if (found.code == Tok::IDENT)
        report_error(run_, 1, "%s", unknown_word_text(found).c_str());
    else
        report_error(run_, 1, "%s is not a setting or statement known here",
                     token_text(found).c_str());
    report_note(run_, "Missing }");
    skip_statement(found.line);
    return true;
}

void Parser::skip_to_program(Tok start) {
    setting_ = nullptr;
    extract_ = nullptr;
    reformat_ = nullptr;
    clear_file_switch_forbidden(run_);
    int failures = 0;
    for (;;) {
        Tok t = Tok::END;
        try {
            t = peek_code();
        } catch (const CompileAbort&) {
            if (!may_recover() || ++failures > kMaxSkipFailures) throw;
            continue;
        }
        if (t == Tok::END || is_section_header(t) || (start != Tok::END && t == start)) return;
        next();
    }
}

void Parser::record_name(const Token& name, bool declaration, IdKind kind) {
    if (!run_.check || pass_ != 1 || name.line == 0) return;
    NameUse use;
    use.name = name.text;
    use.file = run_.current_file;
    use.line = name.line;
    use.column = name.column;
    use.declaration = declaration;
    use.kind = static_cast<int>(kind);
    run_.check->record(std::move(use));
}

// ---- Sections -----------------------------------------------------------------

void Parser::parse_definition() {
    using Section = void (Parser::*)();
    static constexpr std::array<Section, 5> kParsers = {
        &Parser::parse_input_section, &Parser::parse_extract_section,
        &Parser::parse_delivery_section, &Parser::parse_output_section,
        &Parser::parse_reformat_section};
    static constexpr std::array<const char*, 5> kAnnouncements = {
        "about to parse input section", "about to parse extract section",
        "about to parse delivery section", "about to parse output section",
        "about to parse reformat section"};
    for (std::size_t i = 0; i < kParsers.size(); ++i) {
        report_info(run_, "%s", kAnnouncements[i]);
        if (!checking()) {
            (this->*kParsers[i])();
            continue;
        }
        try {
            (this->*kParsers[i])();
        } catch (const CompileAbort&) {
            if (!may_recover()) throw;
            // Go on with the next section header that comes later in the order.
            skip_to_program(Tok::END);
            for (;;) {
                Tok t = peek_code();
                if (t == Tok::END) return;
                int at = section_index(t);
                if (at > static_cast<int>(i)) {
                    i = static_cast<std::size_t>(at) - 1;
                    break;
                }
                next();
                skip_to_program(Tok::END);
            }
        }
    }
}

}  // namespace morvel
