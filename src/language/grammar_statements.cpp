// Blocks, the statements shared by every family, and the input, extract, output and
// delivery statements.
#include <utility>

#include "core/messages.h"
#include "core/strfmt.h"
#include "language/compile.h"
#include "language/field.h"
#include "language/grammar.h"
#include "language/parse_error.h"
#include "language/scanner.h"
#include "run.h"

namespace morvel {

namespace {

Tok section_of(Family f) {
    switch (f) {
        case Family::Input:
            return Tok::SEC_INPUT;
        case Family::Extract:
            return Tok::SEC_EXTRACT;
        case Family::Delivery:
            return Tok::SEC_DELIVERY;
        case Family::Output:
            return Tok::SEC_OUTPUT;
        case Family::Reformat:
            return Tok::SEC_REFORMAT;
    }
    return Tok::SEC_INPUT;
}

}  // namespace

// A block is { statement-list } or one single statement. Braces opened in a uses file
// must close in it.
StatementList Parser::parse_block(Family family) {
    DepthGuard guard(*this);
    StatementList list;
    if (peek_code() == Tok::LBRACE) {
        next();
        bool owns_flag = false;
        if (run_.scanner.source_index != 0 && !file_switch_forbidden(run_)) {
            set_file_switch_forbidden(run_);
            owns_flag = true;
        }
        list = parse_statement_list(family);
        expect(Tok::RBRACE, "Missing }");
        if (owns_flag) clear_file_switch_forbidden(run_);
        return list;
    }
    std::unique_ptr<Statement> single = parse_statement(family);
    if (!single) fail("Missing {");
    list.push_back(std::move(single));
    return list;
}

// The list ends at the first token that cannot start a statement of the family; the
// caller then expects its closing brace.
StatementList Parser::parse_statement_list(Family family) {
    StatementList list;
    if (!checking()) {
        while (std::unique_ptr<Statement> s = parse_statement(family)) list.push_back(std::move(s));
        return list;
    }
    for (;;) {
        int line = run_.current_line;
        try {
            line = peek().line;
            if (std::unique_ptr<Statement> s = parse_statement(family)) {
                list.push_back(std::move(s));
                continue;
            }
        } catch (const CompileAbort&) {
            if (!may_recover()) throw;
            skip_statement(line);
            continue;
        }
        if (!skip_stray_word()) return list;
    }
}

std::unique_ptr<Statement> Parser::parse_statement(Family family) {
    switch (peek_code()) {
        case Tok::IF:
            return parse_if(family);
        case Tok::CASE:
            return parse_case(family);
        case Tok::LET:
            return parse_let();
        case Tok::VARIABLE:
            return parse_variable();
        case Tok::DEBUG:
        case Tok::CALL:
            return parse_expression_statement();
        case Tok::REM:
        case Tok::NOTE:
            return parse_comment();
        case Tok::REPEAT:
            return parse_repeat(family);
        default:
            break;
    }
    switch (family) {
        case Family::Input:
            return parse_input_statement();
        case Family::Extract:
            return parse_extract_statement();
        case Family::Delivery:
            return parse_delivery_statement();
        case Family::Output:
            return parse_output_statement();
        case Family::Reformat:
            return parse_reformat_statement();
    }
    return nullptr;
}

// ---- Shared statements ----------------------------------------------------------

std::unique_ptr<Statement> Parser::parse_if(Family family) {
    Start at = here();
    next();
    IfStatement s;
    s.condition = parse_expression();
    if (!accept(Tok::THEN)) fail("Missing THEN");
    s.then_list = parse_block(family);
    if (accept(Tok::ELSE)) s.else_list = parse_block(family);
    return make(Tok::IF, at, std::move(s));
}

// CASE e { OF v OF w : block ... DEFAULT : block }: an OF without a colon shares
// the body of the next entry.
std::unique_ptr<Statement> Parser::parse_case(Family family) {
    Start at = here();
    next();
    CaseStatement s;
    s.family = section_of(family);
    s.selector = parse_expression();
    expect(Tok::LBRACE, "Missing {");
    while (accept(Tok::OF)) {
        CaseEntry entry;
        entry.value = parse_value(kAnyValue);
        if (accept(Tok::COLON)) {
            entry.has_body = true;
            entry.body = parse_block(family);
        } else if (peek_code() != Tok::OF) {
            fail("Missing colon");
        }
        s.entries.push_back(std::move(entry));
    }
    if (accept(Tok::DEFAULT)) {
        expect(Tok::COLON, "Missing colon");
        s.default_list = parse_block(family);
    }
    expect(Tok::RBRACE, "Missing }");
    return make(Tok::CASE, at, std::move(s));
}

// LET t[r, c, s] = e is compiled into LET t = CHANGE(t, r, c, e, s), c "0" when absent.
std::unique_ptr<Statement> Parser::parse_let() {
    Start at = here();
    next();
    Token name = expect_name();
    LetStatement s;
    s.target = variable_of(name, "Unable to find variable");
    std::unique_ptr<Expression> row, column, separator;
    bool indexed = false;
    int line = run_.current_line;
    if (accept(Tok::LBRACKET)) {
        indexed = true;
        row = parse_expression();
        if (accept(Tok::COMMA)) {
            column = parse_expression();
            if (accept(Tok::COMMA)) separator = parse_expression();
        }
        expect(Tok::RBRACKET, "Missing ]");
    }
    expect(Tok::EQ, "Missing =");
    std::unique_ptr<Expression> value = parse_expression();
    if (!indexed) {
        if (pass2() && s.target && reads_spool(value.get())) s.target->spool_filled = true;
        s.value = std::move(value);
        return make(Tok::LET, at, std::move(s));
    }
    auto change = new_expression(Tok::CHANGE, line);
    change->left.emplace(operand_of(name_value(name))).line = line;
    change->has_arguments = true;
    change->arguments.push_back(std::move(row));
    if (!column) {
        column = new_expression(Tok::PLUS, line);
        column->left.emplace(operand_of(literal_value("0"))).line = line;
    }
    change->arguments.push_back(std::move(column));
    change->arguments.push_back(std::move(value));
    if (separator) change->arguments.push_back(std::move(separator));
    s.value = std::move(change);
    return make(Tok::LET, at, std::move(s));
}

// VARIABLE = name [, type [, initial [, flag]]]: the variable gets its initial value now.
std::unique_ptr<Statement> Parser::parse_variable() {
    Start at = here();
    next();
    expect(Tok::EQ, "Missing =");
    Token name = expect_name();
    declare(name, IdKind::Variable, "Unable to add identifier, check not already declared", 3);
    VariableStatement s;
    s.initial = literal_value("");
    s.flag = literal_value("0");
    if (accept(Tok::COMMA)) {
        Token type = next();
        if (type.code != Tok::IDENT && type.code != Tok::STRING) fail("Invalid variable type");
        if (same_word(type.text, "string"))
            s.type = VariableType::String;
        else if (same_word(type.text, "integer"))
            s.type = VariableType::Integer;
        else if (same_word(type.text, "number"))
            s.type = VariableType::Number;
        else
            fail("Invalid variable type");
        if (accept(Tok::COMMA)) {
            s.initial = parse_value(kAnyValue);
            if (accept(Tok::COMMA)) s.flag = parse_value(kAnyValue);
        }
    }
    if (pass2()) {
        s.variable = variable_of(name, "Unable to find variable");
        std::string initial = value_text(s.initial);
        s.variable->initial = initial;
        s.variable->cell.value = initial;
        s.variable->cell.previous = std::move(initial);
    }
    return make(Tok::VARIABLE, at, std::move(s));
}

std::unique_ptr<Statement> Parser::parse_expression_statement() {
    Start at = here();
    Tok kind = next().code;
    ExpressionStatement s;
    s.expr = parse_expression();
    return make(kind, at, std::move(s));
}

std::unique_ptr<Statement> Parser::parse_comment() {
    Start at = here();
    Token t = next();
    CommentStatement s;
    s.text = std::move(t.text);
    return make(t.code, at, std::move(s));
}

// REPEAT [BY e] block [STARTS e] [ENDS e] [INCREASE_BY v] [EXCLUSIVE | INCLUSIVE]
// [SKIP_BLANKS [= x, y, length]] (the last in extract programs only).
std::unique_ptr<Statement> Parser::parse_repeat(Family family) {
    Start at = here();
    next();
    RepeatStatement s;
    if (accept(Tok::BY)) s.by = parse_expression();
    s.body = parse_block(family);
    if (accept(Tok::STARTS)) s.starts = parse_expression();
    if (accept(Tok::ENDS)) s.ends = parse_expression();
    if (accept(Tok::INCREASE_BY)) {
        Value step = parse_value(kAnyValue);
        if (family == Family::Extract || family == Family::Reformat) s.increase_by = step;
    }
    if (accept(Tok::EXCLUSIVE))
        s.inclusive = false;
    else
        accept(Tok::INCLUSIVE);
    if (family == Family::Extract && accept(Tok::SKIP_BLANKS)) {
        s.skip_blanks = true;
        s.skip_x = 1;
        s.skip_y = 1;
        s.skip_length = 1024;
        if (accept(Tok::EQ)) {
            s.skip_x = static_cast<int>(parse_integer());
            expect(Tok::COMMA, "Missing ,");
            s.skip_y = static_cast<int>(parse_integer());
            expect(Tok::COMMA, "Missing ,");
            s.skip_length = static_cast<int>(parse_integer());
        }
    }
    // A reformat loop needs a bound: without BY and ENDS it runs once per line of the
    // value that its first FIELD statement places.
    if (family == Family::Reformat && !s.by && !s.ends) {
        if (s.body.empty() || s.body.front()->kind != Tok::FIELD)
            fail("Infinite repeat, add a BY option");
        const TextStatement& first = s.body.front()->as<TextStatement>();
        s.by = new_expression(Tok::NUM_LINES, at.line);
        s.by->left.emplace(operand_of(first.text)).line = at.line;
    }
    return make(Tok::REPEAT, at, std::move(s));
}

// ---- Input statements -------------------------------------------------------------

std::unique_ptr<Statement> Parser::parse_input_statement() {
    Start at = here();
    switch (peek_code()) {
        case Tok::DOCUMENT: {
            next();
            DocumentStatement s;
            s.body = parse_block(Family::Input);
            if (accept(Tok::ENDS)) s.ends = parse_expression();
            return make(Tok::DOCUMENT, at, std::move(s));
        }
        case Tok::TAB:
        case Tok::XML_DELIMITER: {
            Tok kind = next().code;
            expect(Tok::EQ, "Missing =");
            ValueStatement s;
            s.value = parse_value(kind == Tok::TAB ? kNameOrInteger : kAnyValue);
            return make(kind, at, std::move(s));
        }
        case Tok::XML_DOCUMENTS:
            return parse_xml_documents();
        case Tok::IDENT: {
            Token name = next();
            ExtractCall s;
            if (Identifier* id = find(name)) {
                s.program = id->as<ExtractProgram>();
                if (id->kind != IdKind::Extract || !s.program)
                    parse_error(run_, 1,
                                strfmt("%s Is not an Extract section identifier", name.text.c_str())
                                    .c_str());
            }
            return make(Tok::IDENT, at, std::move(s));
        }
        default:
            return nullptr;
    }
}

// XML_DOCUMENTS { OF path [: extract-program] ... }
std::unique_ptr<Statement> Parser::parse_xml_documents() {
    Start at = here();
    next();
    XmlDocumentsStatement s;
    expect(Tok::LBRACE, "Missing {");
    while (accept(Tok::OF)) {
        XmlDocumentEntry entry;
        entry.path = parse_value(kAnyValue);
        if (accept(Tok::COLON)) {
            entry.has_program = true;
            Token name = expect_name();
            if (Identifier* id = find(name)) {
                entry.program = id->as<ExtractProgram>();
                if (id->kind != IdKind::Extract || !entry.program)
                    parse_error(run_, 1,
                                strfmt("%s Is not an Extract section identifier", name.text.c_str())
                                    .c_str());
            }
        }
        s.entries.push_back(std::move(entry));
    }
    expect(Tok::RBRACE, "Missing }");
    return make(Tok::XML_DOCUMENTS, at, std::move(s));
}

// ---- Extract statements ------------------------------------------------------------

std::unique_ptr<Statement> Parser::parse_extract_statement() {
    Start at = here();
    switch (peek_code()) {
        case Tok::FIELD:
        case Tok::COLON_FIELD:
        case Tok::XML_FIELD:
            return parse_field_declaration();
        case Tok::OUTPUT: {
            next();
            OutputCall s;
            if (!accept(Tok::ALL)) {
                Token name = expect_name("Missing output program");
                s.program = object_of<OutputProgram>(name, IdKind::Output,
                                                     "Identifier is not an OUTPUT program");
            }
            return make(Tok::OUTPUT, at, std::move(s));
        }
        case Tok::RESET: {
            next();
            FieldStatement s;
            if (!accept(Tok::ALL)) {
                Token name = expect_name("Identifier is not an EXTRACT field");
                s.field = object_of<FieldRecord>(name, IdKind::Field,
                                                 "Identifier is not an EXTRACT field");
            }
            return make(Tok::RESET, at, std::move(s));
        }
        case Tok::READ_FIELD: {
            next();
            FieldStatement s;
            Token name = expect_name("Invalid extract field");
            s.field = object_of<FieldRecord>(name, IdKind::Field, "Invalid extract field");
            return make(Tok::READ_FIELD, at, std::move(s));
        }
        default:
            return nullptr;
    }
}

// FIELD = x, y, length, name [, expanded [, persistent]]
// COLON_FIELD = label, name [, persistent]
// XML_FIELD = path, name            (stored as a FIELD, always expanded)
std::unique_ptr<Statement> Parser::parse_field_declaration() {
    Start at = here();
    Tok kind = next().code;
    expect(Tok::EQ, "Missing =");
    Value x, y, length, label;
    if (kind == Tok::FIELD) {
        x = parse_value(kNameOrInteger);
        expect(Tok::COMMA, "Missing ,");
        y = parse_value(kNameOrInteger);
        expect(Tok::COMMA, "Missing ,");
        length = parse_value(kNameOrInteger);
    } else {
        label = parse_value(kAnyValue);
    }
    expect(Tok::COMMA, "Missing ,");
    Token name = expect_name();
    // A field declared twice is reported by the table and the pass goes on.
    declare(name, IdKind::Field, nullptr, 1);
    long expanded = 0, persistent = 0;
    if (kind == Tok::FIELD && accept(Tok::COMMA)) {
        expanded = parse_integer();
        if (accept(Tok::COMMA)) persistent = parse_integer();
    } else if (kind == Tok::COLON_FIELD && accept(Tok::COMMA)) {
        persistent = parse_integer();
    }
    FieldStatement s;
    if (pass2()) {
        FieldRecord* f = object_of<FieldRecord>(name, IdKind::Field, "Unable to get extract field");
        switch (kind) {
            case Tok::FIELD:
                f->kind = FieldKind::Position;
                f->x = std::move(x);
                f->y = std::move(y);
                f->length = std::move(length);
                f->expanded = expanded != 0;
                f->persistent = persistent != 0;
                break;
            case Tok::COLON_FIELD:
                f->kind = FieldKind::Colon;
                f->label = std::move(label);
                f->persistent = persistent != 0;
                break;
            default:
                f->kind = FieldKind::Xml;
                f->xml_path = std::move(label);
                f->expanded = true;
                break;
        }
        if (extract_) extract_->fields.push_back(f);
        s.field = f;
    }
    return make(kind == Tok::XML_FIELD ? Tok::FIELD : kind, at, std::move(s));
}

// ---- Output (MASK) and delivery statements -------------------------------------------

std::unique_ptr<Statement> Parser::parse_output_statement() {
    Start at = here();
    switch (peek_code()) {
        case Tok::INVOKE:
            next();
            return make(Tok::INVOKE, at, std::monostate{});
        case Tok::RESET:
            next();
            if (peek_code() != Tok::PAGE) fail_invalid_value(next(), "PAGE after RESET");
            next();
            return make(Tok::RESET, at, std::monostate{});
        case Tok::IDENT: {
            Token name = next();
            if (!pass2()) run_.mask_calls.push_back(name.text);
            ReformatCall s;
            s.program = object_of<ReformatProgram>(name, IdKind::Reformat,
                                                   "Indentifier is not a REFORMAT program");
            return make(Tok::IDENT, at, std::move(s));
        }
        default:
            return nullptr;
    }
}

std::unique_ptr<Statement> Parser::parse_delivery_statement() {
    Start at = here();
    if (peek_code() != Tok::IDENT) return nullptr;
    Token name = next();
    OutputCall s;
    s.program =
        object_of<OutputProgram>(name, IdKind::Output, "Identifier is not an OUTPUT program");
    return make(Tok::OUTPUT, at, std::move(s));
}

}  // namespace morvel
