// Token access, names and values of the parser, and the order of the sections.
#include "language/grammar.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "core/messages.h"
#include "language/field.h"
#include "language/hints.h"
#include "language/parse_error.h"
#include "language/scanner.h"
#include "run.h"
#include "values/value.h"

namespace morvel {

DepthGuard::DepthGuard(Parser& p) : parser(p) {
    if (++parser.depth_ > kMaxNestingDepth)
        parser.fail("Statements or expressions are nested too deeply");
}

DepthGuard::~DepthGuard() {
    --parser.depth_;
}

// ---- Tokens -------------------------------------------------------------------

const Token& Parser::peek() {
    const Token& t = peek_token(run_);
    if (t.code == Tok::NOMEM) fail("Run out of memory", 3);
    return t;
}

Tok Parser::peek_code() {
    return peek().code;
}

Token Parser::next() {
    Token t = next_token(run_);
    if (t.code == Tok::NOMEM) fail("Run out of memory", 3);
    return t;
}

bool Parser::accept(Tok code) {
    if (peek_code() != code) return false;
    next();
    return true;
}

void Parser::expect(Tok code, const char* message) {
    Token t = next();
    if (t.code == code) return;
    // A word where a block should end is most often a misspelt setting or statement.
    if (code == Tok::RBRACE) {
        // A check reports the word as the mistake and the brace as what follows from it.
        if (checking() && t.code == Tok::IDENT) {
            report_error(run_, 1, "%s", unknown_word_text(t).c_str());
            report_note(run_, "%s", message);
            throw CompileAbort{};
        }
        report_error(run_, 1, "%s", message);
        hint_unknown_word(run_, t);
        throw CompileAbort{};
    }
    fail(message);
}

Token Parser::expect_name(const char* message) {
    Token t = next();
    if (t.code != Tok::IDENT) {
        report_error(run_, 1, "%s", message);
        hint_reserved_word(run_, t);
        throw CompileAbort{};
    }
    return t;
}

void Parser::fail(const char* message, int level) {
    parse_error(run_, level, message);
}

void Parser::fail_invalid_value(const Token& found, const char* allowed) {
    report_error(run_, 1, "Invalid value");
    hint_allowed_values(run_, found, setting_, allowed);
    throw CompileAbort{};
}

Parser::Start Parser::here() {
    peek();
    return Start{run_.scanner.source_index, run_.current_line};
}

std::unique_ptr<Statement> Parser::make(Tok kind, const Start& at, Payload payload) {
    auto s = make_node<Statement>(&nodes_);
    s->kind = kind;
    s->source_index = at.source;
    s->line = at.line;
    s->payload = std::move(payload);
    return s;
}

Parser::Parser(Run& run, int pass)
    : run_(run), pass_(pass), nodes_(pass == 2 ? run.nodes : pass1_nodes_) {}

std::unique_ptr<Expression> Parser::new_expression(Tok op, int line) {
    return make_node<Expression>(&nodes_, op, line);
}

// A program whose header is read in a uses file must end in that file: the scanner
// refuses to leave the file while the flag is set.
Parser::ProgramScope Parser::begin_program() {
    ProgramScope scope;
    scope.source = run_.scanner.source_index;
    if (scope.source != 0 && !file_switch_forbidden(run_)) {
        set_file_switch_forbidden(run_);
        scope.owns_flag = true;
    }
    return scope;
}

void Parser::end_program(const ProgramScope& scope) {
    if (scope.owns_flag) clear_file_switch_forbidden(run_);
    if (scope.source == 0) return;
    // The flag is clear again, so this look-ahead may step out of the uses file.
    peek();
    if (run_.scanner.source_index == scope.source && peek_code() != Tok::END)
        fail("#USES can only contain a series of statements, or a complete program");
}

// ---- Names --------------------------------------------------------------------

namespace {

// In a check, the messages about a name being declared name the place of the name.
struct PinnedToName {
    PinnedToName(Run& run, const Token& name) : sink(run.check) {
        if (!sink || name.line == 0) return;
        sink->pinned_file = run.current_file;
        sink->pinned_line = name.line;
        sink->pinned_column = name.column;
    }
    ~PinnedToName() {
        if (sink) sink->unpin();
    }
    PinnedToName(const PinnedToName&) = delete;
    PinnedToName& operator=(const PinnedToName&) = delete;
    CheckSink* sink;
};

}  // namespace

void Parser::declare(const Token& name, IdKind kind, const char* refused, int level) {
    if (pass_ != 1) return;
    record_name(name, true, kind);
    PinnedToName pin(run_, name);
    if (define(run_, name.text, kind) || !refused) return;
    // A check has said "Duplicate definition of"; the refusal only follows from it.
    if (checking() && run_.error_count > 0) {
        report_note(run_, "%s", refused);
        throw CompileAbort{};
    }
    fail(refused, level);
}

Identifier* Parser::find(const Token& name, const char* missing) {
    if (pass_ == 1) {
        record_name(name, false, IdKind::Reference);
        if (!reference(run_, name.text)) fail("Run out of memory", 3);
        return nullptr;
    }
    Identifier* id = lookup(run_, name.text);
    if (!id || !id->object) fail(missing, 3);
    return id;
}

Value Parser::name_value(const Token& name) {
    Value v;
    v.kind = ValueKind::Identifier;
    v.name = name.text;
    Identifier* id = find(name);
    if (!id) return v;
    if (auto* var = id->as<VariableRecord>(); var && id->kind == IdKind::Variable) {
        var->named = true;
        v.record = var;
        v.cell = &var->cell;
        return v;
    }
    if (auto* field = id->as<FieldRecord>(); field && id->kind == IdKind::Field) {
        v.kind = ValueKind::Field;
        v.record = field;
        v.cell = &field->cell;
        return v;
    }
    fail("Invalid variable type");
}

VariableRecord* Parser::variable_of(const Token& name, const char* missing) {
    Identifier* id = find(name, missing);
    if (!id) return nullptr;
    auto* var = id->as<VariableRecord>();
    if (id->kind != IdKind::Variable || !var) fail("Invalid variable type");
    var->named = true;
    return var;
}

// ---- Values -------------------------------------------------------------------

namespace {

// What a value slot of these forms takes, for the hint after "Invalid value".
const char* allowed_forms(unsigned forms) {
    switch (forms) {
        case kAnyValue:
            return "a string, a number or a variable";
        case kNameOrInteger:
            return "a whole number or a variable";
        case kNameOrNumber:
            return "a number or a variable";
        case kString:
            return "a string";
        case kInteger:
            return "a whole number";
        case kNumber:
        case kNumber | kInteger:
            return "a number";
        case kName:
            return "a variable or field";
        default:
            return "a value of another kind";
    }
}

}  // namespace

Value Parser::parse_value(unsigned forms) {
    Token t = next();
    Value v;
    v.kind = ValueKind::Literal;
    bool negative = false;
    if (t.code == Tok::MINUS && (forms & (kNumber | kInteger))) {
        negative = true;
        t = next();
    }
    switch (t.code) {
        case Tok::STRING:
            if (negative || !(forms & kString)) break;
            v.literal = std::move(t.text);
            return v;
        case Tok::INTEGER:
            if (!(forms & (kNumber | kInteger))) break;
            v.literal = negative ? "-" + t.text : std::move(t.text);
            return v;
        case Tok::REAL:
            if (!(forms & kNumber)) break;
            v.literal = negative ? "-" + t.text : std::move(t.text);
            return v;
        case Tok::IDENT:
            if (negative || !(forms & kName)) break;
            return name_value(t);
        default:
            break;
    }
    fail_invalid_value(t, allowed_forms(forms));
}

long Parser::parse_integer() {
    bool negative = accept(Tok::MINUS);
    Token t = next();
    if (t.code != Tok::INTEGER) fail_invalid_value(t, "a whole number");
    errno = 0;
    long n = std::strtol(t.text.c_str(), nullptr, 10);
    // Keep numbers within int, where every setting is stored.
    if (errno == ERANGE || n > INT_MAX) n = INT_MAX;
    return negative ? -n : n;
}

std::string Parser::value_text(const Value& v) {
    if (v.kind == ValueKind::Literal) return v.literal;
    if (!pass2()) return std::string();
    return whole_text(run_, v).value_or(std::string());
}

int Parser::value_integer(const Value& v, const char* role) {
    long n = argument_integer(run_, v, role);
    return static_cast<int>(std::clamp<long>(n, INT_MIN, INT_MAX));
}

double Parser::value_number(const Value& v, const char* role) {
    return argument_number(run_, v, role);
}

}  // namespace morvel
