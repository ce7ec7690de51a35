// The input, extract, delivery and output sections and their programs.
#include <utility>

#include "core/messages.h"
#include "language/grammar.h"
#include "language/scanner.h"
#include "run.h"

namespace morvel {

// [INPUT] [LINES_PER_PAGE = n] block
void Parser::parse_input_section() {
    if (peek_code() != Tok::SEC_INPUT) {
        if (pass2()) build_default_input_program();
        return;
    }
    int source = here().source;
    next();
    long lines = 66;
    if (accept(Tok::LINES_PER_PAGE)) {
        expect(Tok::EQ, "Missing =");
        setting_ = "LINES_PER_PAGE";
        lines = parse_integer();
        if (pass2() && (lines < 1 || lines > 300))
            fail_invalid_value(Token{Tok::INTEGER, std::to_string(lines)},
                               "a whole number from 1 to 300");
        setting_ = nullptr;
    }
    StatementList body = parse_block(Family::Input);
    if (!pass2()) return;
    auto input = std::make_unique<InputProgram>();
    input->lines_per_page = static_cast<int>(lines);
    input->source_index = source;
    input->statements = std::move(body);
    run_.tree.input = std::move(input);
}

// Without [INPUT] every page goes to default_extract: REPEAT default_extract.
void Parser::build_default_input_program() {
    auto input = std::make_unique<InputProgram>();
    Identifier* id = lookup(run_, "default_extract");
    ExtractProgram* program =
        id && id->kind == IdKind::Extract ? id->as<ExtractProgram>() : nullptr;
    if (!program) {
        report_error(run_, 1, "default_extract extract program is not defined");
        run_.tree.input = std::move(input);
        return;
    }
    auto call = std::make_unique<Statement>();
    call->kind = Tok::IDENT;
    call->line = run_.current_line;
    call->payload = ExtractCall{program};
    RepeatStatement repeat;
    repeat.body.push_back(std::move(call));
    auto loop = std::make_unique<Statement>();
    loop->kind = Tok::REPEAT;
    loop->line = run_.current_line;
    loop->payload = std::move(repeat);
    input->statements.push_back(std::move(loop));
    run_.tree.input = std::move(input);
}

// [EXTRACT] followed by one or more programs.
void Parser::parse_extract_section() {
    if (!accept(Tok::SEC_EXTRACT)) fail("Missing extract program");
    if (peek_code() != Tok::IDENT) fail("Missing extract program");
    while (peek_code() == Tok::IDENT)
        recovering_program(Tok::END, [this] { parse_extract_program(); });
}

// name = { [LINES_PER_PAGE = n] [BYTES_PER_PAGE = v] [DISCARD = v] [TAB = v]
//          [name = expression] statements }
void Parser::parse_extract_program() {
    Token name = next();
    ProgramScope scope = begin_program();
    declare(name, IdKind::Extract, "Run out of memory", 2);
    ExtractProgram* p = nullptr;
    if (pass2()) p = object_of<ExtractProgram>(name, IdKind::Extract, "Missing extract program");
    extract_ = p;
    expect(Tok::EQ, "Missing =");
    expect(Tok::LBRACE, "Missing {");

    long lines = 66;
    std::optional<Value> bytes, discard, tab;
    std::unique_ptr<Expression> last_of_doc;
    if (accept(Tok::LINES_PER_PAGE)) {
        expect(Tok::EQ, "Missing =");
        setting_ = "LINES_PER_PAGE";
        lines = parse_integer();
        if (pass2() && (lines < 1 || lines > 300))
            fail_invalid_value(Token{Tok::INTEGER, std::to_string(lines)},
                               "a whole number from 1 to 300");
        setting_ = nullptr;
    }
    if (accept(Tok::BYTES_PER_PAGE)) {
        expect(Tok::EQ, "Missing =");
        bytes = parse_value(kNameOrInteger);
    }
    if (accept(Tok::DISCARD)) {
        expect(Tok::EQ, "Missing =");
        discard = parse_value(kNameOrInteger);
    }
    if (accept(Tok::TAB)) {
        expect(Tok::EQ, "Missing =");
        tab = parse_value(kNameOrInteger);
    }
    // The name of the last-of-document assignment is only decoration.
    if (accept(Tok::IDENT)) {
        expect(Tok::EQ, "Missing =");
        last_of_doc = parse_expression();
    }
    StatementList body = parse_statement_list(Family::Extract);
    expect(Tok::RBRACE, "Missing }");
    extract_ = nullptr;
    if (p) {
        p->source_index = scope.source;
        p->lines_per_page = static_cast<int>(lines);
        p->bytes_per_page = std::move(bytes);
        p->discard = std::move(discard);
        p->tab = std::move(tab);
        p->last_of_doc = std::move(last_of_doc);
        p->statements = std::move(body);
        run_.tree.extracts.push_back(p);
    }
    end_program(scope);
}

// [DELIVERY] block
void Parser::parse_delivery_section() {
    if (peek_code() != Tok::SEC_DELIVERY) return;
    int source = here().source;
    next();
    StatementList body = parse_block(Family::Delivery);
    if (!pass2()) return;
    auto delivery = std::make_unique<DeliveryProgram>();
    delivery->source_index = source;
    delivery->statements = std::move(body);
    run_.tree.delivery = std::move(delivery);
}

// [OUTPUT] followed by one or more output programs.
void Parser::parse_output_section() {
    if (!accept(Tok::SEC_OUTPUT)) fail("Missing output section");
    if (peek_code() != Tok::OUTPUT) fail("Missing OUTPUT");
    while (peek_code() == Tok::OUTPUT)
        recovering_program(Tok::OUTPUT, [this] { parse_output_program(); });
}

// OUTPUT = name INVOCATION = value PARAMETERS = parameters
//     [SETTINGS = { settings }] MASK = block
void Parser::parse_output_program() {
    next();
    ProgramScope scope = begin_program();
    expect(Tok::EQ, "Missing =");
    Token name = expect_name();
    declare(name, IdKind::Output, "Unable to create output program", 3);
    OutputProgram* p = nullptr;
    if (pass2())
        p = object_of<OutputProgram>(name, IdKind::Output, "Identifier is not an OUTPUT program");
    Invocation invocation;

    if (!accept(Tok::INVOCATION)) fail("Missing INVOCATION");
    expect(Tok::EQ, "Missing =");
    invocation.program = parse_value(kAnyValue);
    if (!accept(Tok::PARAMETERS)) fail("Missing parameters");
    expect(Tok::EQ, "Missing =");
    parse_parameter_block(&invocation);
    if (accept(Tok::SETTINGS)) {
        expect(Tok::EQ, "Missing =");
        expect(Tok::LBRACE, "Missing {");
        parse_output_settings(p);
        expect(Tok::RBRACE, "Missing }");
    }
    if (!accept(Tok::MASK)) fail("Missing MASK");
    expect(Tok::EQ, "Missing =");
    StatementList mask = parse_block(Family::Output);
    if (p) {
        p->source_index = scope.source;
        p->sequence = output_sequence_++;
        p->invocation.program = std::move(invocation.program);
        p->invocation.parameters = std::move(invocation.parameters);
        p->statements = std::move(mask);
        run_.tree.outputs.push_back(p);
    }
    end_program(scope);
}

namespace {

bool starts_parameter(Tok t) {
    switch (t) {
        case Tok::ALIAS:
        case Tok::OUTPUT_FILE:
        case Tok::QUOTED:
        case Tok::STRING:
        case Tok::INTEGER:
        case Tok::REAL:
        case Tok::MINUS:
        case Tok::IDENT:
            return true;
        default:
            return false;
    }
}

}  // namespace

// One item, or { items } separated by white space or commas.
void Parser::parse_parameter_block(Invocation* invocation) {
    if (accept(Tok::LBRACE)) {
        for (;;) {
            if (accept(Tok::COMMA)) continue;
            if (!starts_parameter(peek_code())) break;
            parse_parameter_item(invocation);
        }
        expect(Tok::RBRACE, "Missing }");
        return;
    }
    if (!starts_parameter(peek_code())) fail("Missing parameters");
    parse_parameter_item(invocation);
}

// [QUOTED] ALIAS name = value | OUTPUT_FILE [( output )] | [QUOTED] value [= [QUOTED] value]
void Parser::parse_parameter_item(Invocation* invocation) {
    InvocationParameter item;
    const Start at = here();
    item.source = at.source;
    item.line = at.line;
    item.quoted = accept(Tok::QUOTED);
    if (accept(Tok::ALIAS)) {
        // The alias is a variable, so -v can change the parameter.
        Token name = expect_name();
        declare(name, IdKind::Variable, "Unable to add identifier, check not already declared", 3);
        expect(Tok::EQ, "Missing =");
        Value given = parse_value(kAnyValue);
        if (pass2()) {
            VariableRecord* var = variable_of(name, "Unable to find variable");
            std::string text = value_text(given);
            var->initial = text;
            var->cell.value = text;
            var->cell.previous = std::move(text);
        }
        item.value = name_value(name);
        invocation->parameters.push_back(std::move(item));
        return;
    }
    if (!item.quoted && accept(Tok::OUTPUT_FILE)) {
        item.kind = InvocationParameter::Kind::OutputFile;
        if (accept(Tok::LPAREN)) {
            Token other = expect_name("Missing output program");
            item.other = object_of<OutputProgram>(other, IdKind::Output,
                                                  "Identifier is not an OUTPUT program");
            expect(Tok::RPAREN, "Missing )");
        }
        invocation->parameters.push_back(std::move(item));
        return;
    }
    item.value = parse_value(kAnyValue);
    invocation->parameters.push_back(std::move(item));
    if (!accept(Tok::EQ)) return;
    InvocationParameter value;
    value.source = at.source;
    value.line = at.line;
    value.quoted = accept(Tok::QUOTED);
    value.value = parse_value(kAnyValue);
    invocation->parameters.push_back(std::move(value));
}

// PRE_INIT, INIT_STR, POST_INIT, FINALISE, XML_ENCODING, XML_ROOT, XML_VERSION = e;
// XML_WARN = n. Writing SETTINGS raises the warning level to 1 unless XML_WARN says.
void Parser::parse_output_settings(OutputProgram* program) {
    OutputProgram scratch;
    OutputProgram& p = program ? *program : scratch;
    p.xml_warning_level = 1;
    for (;;) {
        Tok t = peek_code();
        std::unique_ptr<Expression>* slot = nullptr;
        switch (t) {
            case Tok::PRE_INIT:
                slot = &p.pre_init;
                break;
            case Tok::INIT_STR:
                slot = &p.init_str;
                break;
            case Tok::POST_INIT:
                slot = &p.post_init;
                break;
            case Tok::FINALISE:
                slot = &p.finalise;
                break;
            case Tok::XML_ENCODING:
                slot = &p.xml_encoding;
                break;
            case Tok::XML_ROOT:
                slot = &p.xml_root;
                break;
            case Tok::XML_VERSION:
                slot = &p.xml_version;
                break;
            case Tok::XML_WARN:
                next();
                expect(Tok::EQ, "Missing =");
                p.xml_warning_level = static_cast<int>(parse_integer());
                continue;
            default:
                return;
        }
        next();
        expect(Tok::EQ, "Missing =");
        *slot = parse_expression();
    }
}

}  // namespace morvel
