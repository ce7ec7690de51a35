// Expressions: four binary levels built iteratively (so long operator chains use no
// stack), prefix operators, primaries and the built-in function forms.
#include <utility>

#include "core/messages.h"
#include "core/strfmt.h"
#include "language/builtins.h"
#include "language/field.h"
#include "language/grammar.h"
#include "language/parse_error.h"
#include "language/scanner.h"
#include "run.h"

namespace morvel {

namespace {

bool is_comparison(Tok t) {
    return t == Tok::EQ || t == Tok::NE || t == Tok::LT || t == Tok::LE || t == Tok::GT ||
           t == Tok::GE;
}

bool is_additive(Tok t) {
    return t == Tok::PLUS || t == Tok::MINUS || t == Tok::OR;
}

bool is_multiplicative(Tok t) {
    return t == Tok::STAR || t == Tok::SLASH || t == Tok::AND;
}

}  // namespace

namespace {

bool same_value(const Value& a, const Value& b) {
    return a.kind == b.kind && a.record == b.record && a.cell == b.cell && a.literal == b.literal &&
           a.name == b.name;
}

}  // namespace

// Operands that read the same variable, field or literal share one value: a simple
// statement then costs its nodes, not copies of names and texts.
SharedValue Parser::share(Value v) {
    const bool literal = v.kind == ValueKind::Literal;
    auto& table = literal ? shared_literals_ : shared_names_;
    auto key = [literal](const Value& held) {
        return std::string_view(literal ? held.literal : held.name);
    };
    if (auto it = table.find(key(v)); it != table.end()) {
        if (same_value(*it->second.get(), v)) return it->second;
        table.erase(it);
    }
    if (table.size() >= kSharedValuesKept) table.clear();
    SharedValue shared(std::move(v));
    table.emplace(key(*shared.get()), shared);
    return shared;
}

Operand Parser::operand_of(Value v) {
    Operand o;
    o.shared = share(std::move(v));
    o.line = run_.current_line;
    return o;
}

Operand Parser::operand_of(std::unique_ptr<Expression> e) {
    Operand o;
    o.expr = std::move(e);
    o.line = run_.current_line;
    return o;
}

Operand Parser::binary(Tok op, Operand left, Operand right, int line) {
    auto e = new_expression(op, line);
    e->left.emplace(std::move(left));
    e->right.emplace(std::move(right));
    return operand_of(std::move(e));
}

std::unique_ptr<Expression> Parser::to_expression(Operand o) {
    if (o.expr) return std::move(o.expr);
    auto e = new_expression(Tok::PLUS, run_.current_line);
    e->left.emplace(std::move(o));
    return e;
}

std::unique_ptr<Expression> Parser::parse_expression() {
    return to_expression(parse_comparison());
}

// a < b < c compares the first result with c: every level associates to the left.
Operand Parser::parse_comparison() {
    DepthGuard guard(*this);
    Operand left = parse_additive();
    while (is_comparison(peek_code())) {
        Tok op = next().code;
        int line = run_.current_line;
        left = binary(op, std::move(left), parse_additive(), line);
    }
    return left;
}

Operand Parser::parse_additive() {
    Operand left = parse_multiplicative();
    while (is_additive(peek_code())) {
        Tok op = next().code;
        int line = run_.current_line;
        left = binary(op, std::move(left), parse_multiplicative(), line);
    }
    return left;
}

Operand Parser::parse_multiplicative() {
    Operand left = parse_prefix();
    while (is_multiplicative(peek_code())) {
        Tok op = next().code;
        int line = run_.current_line;
        left = binary(op, std::move(left), parse_prefix(), line);
    }
    return left;
}

// - and NOT bind to the following primary only: -a * b is (-a) * b, NOT a = b is
// (NOT a) = b. In an expression -3 is the negation of 3 (so it reads -3.000000); only
// value slots such as declarations keep a signed literal as written.
Operand Parser::parse_prefix() {
    Tok t = peek_code();
    if (t != Tok::MINUS && t != Tok::NOT) return parse_primary();
    next();
    auto e = new_expression(t, run_.current_line);
    e->left.emplace(parse_primary());
    return operand_of(std::move(e));
}

Operand Parser::parse_primary() {
    Tok t = peek_code();
    switch (t) {
        case Tok::LPAREN: {
            next();
            Operand inner = parse_comparison();
            expect(Tok::RPAREN, "Missing )");
            return inner;
        }
        case Tok::INTEGER:
        case Tok::REAL:
        case Tok::STRING:
            return operand_of(literal_value(next().text));
        case Tok::MINUS: {
            // A number's own sign, as in NOT -1.
            next();
            Tok n = peek_code();
            if (n != Tok::INTEGER && n != Tok::REAL) fail("Invalid value");
            return operand_of(literal_value("-" + next().text));
        }
        case Tok::IDENT:
            return parse_name_primary(next());
        default:
            if (!builtin_of(t)) fail("Invalid value");
            next();
            return parse_function(t);
    }
}

// name[r] is a line of the name's text; name[r, c] and name[r, c, s] a cell of it;
// name(args) calls a reformat program as a function.
Operand Parser::parse_name_primary(const Token& name) {
    int line = run_.current_line;
    // The name is looked up before the look-ahead, so its first use carries its own line.
    Identifier* id = find(name);
    if (peek_code() == Tok::LBRACKET) {
        next();
        auto index = new_expression(Tok::LBRACKET, line);
        index->left.emplace(operand_of(name_value(name)));
        index->right.emplace(parse_comparison());
        if (peek_code() != Tok::COMMA) {
            expect(Tok::RBRACKET, "Missing ]");
            return operand_of(std::move(index));
        }
        auto cell = new_expression(Tok::CSV_VALUE, line);
        cell->has_arguments = true;
        cell->arguments.push_back(std::move(index));
        while (cell->arguments.size() < 3 && accept(Tok::COMMA))
            cell->arguments.push_back(parse_expression());
        expect(Tok::RBRACKET, "Missing ]");
        return operand_of(std::move(cell));
    }
    if (peek_code() == Tok::LPAREN) {
        next();
        if (id && (id->kind != IdKind::Reformat || !id->as<ReformatProgram>()))
            fail("Indentifier is not a REFORMAT program");
        auto call = new_expression(Tok::FUNCTION, line);
        call->has_arguments = true;
        call->arguments.push_back(to_expression(operand_of(literal_value(name.text))));
        if (peek_code() != Tok::RPAREN) {
            call->arguments.push_back(parse_expression());
            while (accept(Tok::COMMA)) call->arguments.push_back(parse_expression());
        }
        expect(Tok::RPAREN, "Missing )");
        return operand_of(std::move(call));
    }
    return operand_of(name_value(name));
}

// The functions on a name accept a variable or a field; LOOK_AHEAD only a field.
Operand Parser::parse_name_function(Tok op) {
    Token name = expect_name();
    Value v;
    v.kind = ValueKind::Identifier;
    v.name = name.text;
    if (Identifier* id = find(name)) {
        bool is_field = id->kind == IdKind::Field && id->as<FieldRecord>();
        bool is_variable = id->kind == IdKind::Variable && id->as<VariableRecord>();
        if (op == Tok::LOOK_AHEAD && !is_field)
            parse_error(run_, 1, strfmt("%s is not a field", name.text.c_str()).c_str());
        if (!is_field && !is_variable)
            parse_error(run_, 1,
                        strfmt("%s is an invalid variable type", name.text.c_str()).c_str());
        v = name_value(name);
    }
    return operand_of(std::move(v));
}

Operand Parser::parse_function(Tok op) {
    int line = run_.current_line;
    auto e = new_expression(op, line);
    auto left = [&](Operand o) { e->left.emplace(std::move(o)); };
    auto right = [&](Operand o) { e->right.emplace(std::move(o)); };
    auto argument = [&] {
        e->has_arguments = true;
        e->arguments.push_back(parse_expression());
    };
    auto comma = [&] { expect(Tok::COMMA, "Missing ,"); };
    auto variable_name = [&] {
        Token name = expect_name();
        Value v = name_value(name);
        if (pass2() && v.kind != ValueKind::Identifier) fail("Invalid variable type");
        return v;
    };

    const Builtin* builtin = builtin_of(op);
    const ArgForm form = builtin ? builtin->form : ArgForm::None;
    if (form == ArgForm::None) return operand_of(std::move(e));
    if (form == ArgForm::Date) {
        if (!accept(Tok::LPAREN)) return operand_of(std::move(e));
        e->has_arguments = true;
        if (peek_code() != Tok::RPAREN) {
            argument();
            while (e->arguments.size() < 3 && accept(Tok::COMMA)) argument();
        }
        expect(Tok::RPAREN, "Missing )");
        return operand_of(std::move(e));
    }

    expect(Tok::LPAREN, "Missing (");
    switch (form) {
        case ArgForm::Name:
            left(parse_name_function(op));
            break;
        case ArgForm::One:
            left(parse_comparison());
            break;
        case ArgForm::OneOrTwo:
            left(parse_comparison());
            if (accept(Tok::COMMA)) right(parse_comparison());
            break;
        case ArgForm::Two:
            left(parse_comparison());
            comma();
            right(parse_comparison());
            break;
        case ArgForm::ThreeOrFour:
            argument();
            comma();
            argument();
            comma();
            argument();
            if (accept(Tok::COMMA)) argument();
            break;
        case ArgForm::AppendFile:
            argument();
            comma();
            argument();
            if (accept(Tok::COMMA)) argument();
            break;
        case ArgForm::CsvValue:
            argument();
            comma();
            argument();
            if (accept(Tok::COMMA)) {
                argument();
                if (accept(Tok::COMMA)) argument();
            }
            break;
        case ArgForm::Function:
            argument();
            while (accept(Tok::COMMA)) argument();
            break;
        case ArgForm::Change:
            left(operand_of(name_value(expect_name())));
            if (accept(Tok::COMMA)) {
                argument();
                comma();
                argument();
                comma();
                argument();
                if (accept(Tok::COMMA)) argument();
            }
            break;
        case ArgForm::NameValue:
            if (op == Tok::DELETE_LINE)
                left(operand_of(variable_name()));
            else
                left(operand_of(name_value(expect_name())));
            comma();
            right(operand_of(parse_value(op == Tok::ROUND || op == Tok::DELETE_LINE ? kNameOrInteger
                                                                                    : kAnyValue)));
            break;
        case ArgForm::InsertLine:
            left(operand_of(variable_name()));
            comma();
            argument();
            if (accept(Tok::COMMA)) argument();
            break;
        case ArgForm::SortValues: {
            argument();
            comma();
            argument();
            comma();
            do {
                Operand named = operand_of(name_value(expect_name()));
                e->arguments.push_back(to_expression(std::move(named)));
            } while (accept(Tok::COMMA));
            break;
        }
        case ArgForm::None:
        case ArgForm::Date:
            break;
    }
    expect(Tok::RPAREN, "Missing )");
    return operand_of(std::move(e));
}

}  // namespace morvel
