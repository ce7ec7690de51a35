// Reformat statements: text placement, boxes, watermarks, forms, macros, barcodes,
// shift and XML blocks, and the raw writers.
#include <utility>

#include "language/grammar.h"
#include "run.h"

namespace morvel {

namespace {

bool is_negative_number(const Value& v) {
    return v.kind == ValueKind::Literal && !v.literal.empty() && v.literal[0] == '-';
}

}  // namespace

std::unique_ptr<Statement> Parser::parse_reformat_statement() {
    Start at = here();
    Tok t = peek_code();
    switch (t) {
        case Tok::FIELD:
        case Tok::MESSAGE:
        case Tok::DATE:
        case Tok::PAGE:
        case Tok::INCLUDE:
            return parse_text_statement(t);
        case Tok::WATERMARK:
            return parse_watermark();
        case Tok::BOX:
        case Tok::LINE:
        case Tok::RBOX:
            return parse_box(t);
        case Tok::FORM:
            return parse_form_statement();
        case Tok::MACRO: {
            next();
            require_printer_kind();
            ValueStatement s;
            s.value = parse_value(kNameOrInteger);
            return make(Tok::MACRO, at, std::move(s));
        }
        case Tok::BARCODE:
            return parse_barcode();
        case Tok::X_SHIFT:
        case Tok::Y_SHIFT:
        case Tok::XML_BLOCK:
            return parse_block_statement(t);
        case Tok::XML_TAG:
            return parse_xml_tag();
        case Tok::ARCH_FIELD: {
            next();
            ArchFieldStatement s;
            s.name = parse_expression();
            expect(Tok::COMMA, "Missing ,");
            s.value = parse_expression();
            return make(Tok::ARCH_FIELD, at, std::move(s));
        }
        case Tok::PRINT:
        case Tok::PRINT_LINE:
        case Tok::ARCH_TABLE:
        case Tok::XML_COMMENT:
            return parse_expression_statement();
        case Tok::FUNCTION: {
            next();
            expect(Tok::EQ, "Missing =");
            ExpressionStatement s;
            s.expr = parse_expression();
            return make(Tok::FUNCTION, at, std::move(s));
        }
        case Tok::EJECT_PAGE:
            next();
            return make(Tok::EJECT_PAGE, at, std::monostate{});
        default:
            return nullptr;
    }
}

// Statements that only a printer program can draw.
void Parser::require_printer_kind() {
    if (reformat_ && reformat_->kind != ReformatKind::Printer)
        fail("This command can not be used with this reformat type");
}

// Statements drawn with HP-GL/2: refused when HPGL = 0, else they switch it on.
void Parser::require_hpgl_allowed() {
    if (!reformat_) return;
    if (reformat_->hpgl_forbidden) fail("HPGL is not allowed in this reformat program");
    reformat_->uses_hpgl = true;
}

// KIND = x, y, [INVERSE], [font], text [, line-step {, option}]
// where text is a field or variable for FIELD and an expression for the others.
std::unique_ptr<Statement> Parser::parse_text_statement(Tok kind) {
    Start at = here();
    next();
    expect(Tok::EQ, "Missing =");
    TextStatement s;
    s.x = parse_coordinate();
    expect(Tok::COMMA, "Missing ,");
    s.y = parse_coordinate();
    expect(Tok::COMMA, "Missing ,");
    s.inverse = accept(Tok::INVERSE);
    expect(Tok::COMMA, "Missing ,");
    parse_font_slot(&s.hp_font, &s.epson_font);
    expect(Tok::COMMA, "Missing ,");
    if (kind == Tok::FIELD)
        s.text = name_value(expect_name());
    else
        s.expr = parse_expression();
    if (accept(Tok::COMMA)) {
        s.line_step = parse_value(kNameOrNumber);
        if (peek_code() == Tok::COMMA) {
            s.font_override = parse_font_options();
            if (s.font_override->alignment != Alignment::Left) require_hpgl_allowed();
        }
    }
    return make(kind, at, std::move(s));
}

// WATERMARK = x, y, [font], text, shading, angle {, option}
std::unique_ptr<Statement> Parser::parse_watermark() {
    Start at = here();
    next();
    require_printer_kind();
    require_hpgl_allowed();
    expect(Tok::EQ, "Missing =");
    WatermarkStatement s;
    s.x = parse_coordinate();
    expect(Tok::COMMA, "Missing ,");
    s.y = parse_coordinate();
    expect(Tok::COMMA, "Missing ,");
    parse_font_slot(&s.hp_font, &s.epson_font);
    expect(Tok::COMMA, "Missing ,");
    s.text = parse_expression();
    expect(Tok::COMMA, "Missing ,");
    s.shading = parse_value(kNameOrInteger);
    expect(Tok::COMMA, "Missing ,");
    s.angle = parse_value(kNameOrNumber);
    if (peek_code() == Tok::COMMA) s.font_override = parse_font_options();
    return make(Tok::WATERMARK, at, std::move(s));
}

// BOX = x1, y1, x2, y2, thickness, shading [, border colour, fill colour]
// LINE = x1, y1, x2, y2, thickness [, colour]            (a BOX of shading 100)
// RBOX = x1, y1, x2, y2, thickness, shading [, r1, r2, r3, r4 [, border, fill]]
std::unique_ptr<Statement> Parser::parse_box(Tok kind) {
    Start at = here();
    next();
    require_printer_kind();
    if (kind == Tok::RBOX) require_hpgl_allowed();
    expect(Tok::EQ, "Missing =");
    BoxStatement s;
    Value* corners[] = {&s.x1, &s.y1, &s.x2, &s.y2};
    for (Value* corner : corners) {
        *corner = parse_coordinate();
        expect(Tok::COMMA, "Missing ,");
    }
    s.thickness = parse_value(kNameOrInteger);
    if (kind == Tok::LINE) {
        s.shading.literal = "100";
        if (accept(Tok::COMMA)) s.fill_colour = parse_colour();
        return make(Tok::BOX, at, std::move(s));
    }
    expect(Tok::COMMA, "Missing ,");
    s.shading = parse_value(kNameOrInteger);
    if (kind == Tok::BOX) {
        if (accept(Tok::COMMA)) {
            s.border_colour = parse_colour();
            expect(Tok::COMMA, "Missing ,");
            s.fill_colour = parse_colour();
        }
    } else if (accept(Tok::COMMA)) {
        for (std::size_t i = 0; i < s.radii.size(); ++i) {
            if (i > 0) expect(Tok::COMMA, "Missing ,");
            long r = parse_integer();
            if (pass2() && r < 0) fail("Invalid value");
            s.radii[i] = static_cast<int>(r);
        }
        if (accept(Tok::COMMA)) {
            s.border_colour = parse_colour();
            expect(Tok::COMMA, "Missing ,");
            s.fill_colour = parse_colour();
        }
    }
    // A negative shading selects a fill pattern drawn with HP-GL/2.
    if (is_negative_number(s.shading) && reformat_) reformat_->uses_hpgl = true;
    return make(kind, at, std::move(s));
}

// FORM = x, y, resolution, file, flags
std::unique_ptr<Statement> Parser::parse_form_statement() {
    Start at = here();
    next();
    expect(Tok::EQ, "Missing =");
    FormStatement s;
    s.form = parse_form_values(false);
    return make(Tok::FORM, at, std::move(s));
}

// BARCODE = type, x, y, height, [thickness], [ratio], [checksum_pos], [restrict],
//           [trim], data
std::unique_ptr<Statement> Parser::parse_barcode() {
    static const char* const kTypes[] = {"bar128a", "bar128b", "bar128c", "code39", "ean8",
                                         "ean13",   "upce",    "i25",     "pdf417", "aus4state"};
    Start at = here();
    next();
    require_printer_kind();
    expect(Tok::EQ, "Missing =");
    BarcodeStatement s;
    Token type = next();
    int code = -1;
    if (type.code == Tok::IDENT || type.code == Tok::STRING)
        for (int i = 0; i < 10; ++i)
            if (same_word(type.text, kTypes[i])) code = i;
    if (code < 0)
        fail_invalid_value(type,
                           "bar128a, bar128b, bar128c, code39, ean8, ean13, upce, i25, pdf417 "
                           "or aus4state");
    s.type = static_cast<BarcodeType>(code);
    expect(Tok::COMMA, "Missing ,");
    s.x = parse_coordinate();
    expect(Tok::COMMA, "Missing ,");
    s.y = parse_coordinate();
    expect(Tok::COMMA, "Missing ,");
    s.height = parse_value(kAnyValue);
    // The five optional slots keep their commas when left empty.
    std::optional<Value>* slots[] = {&s.thickness, &s.ratio, &s.checksum_pos, &s.restrict_value,
                                     &s.trim};
    for (std::optional<Value>* slot : slots) {
        expect(Tok::COMMA, "Missing ,");
        if (peek_code() != Tok::COMMA) *slot = parse_value(kAnyValue);
    }
    expect(Tok::COMMA, "Missing ,");
    s.data = parse_expression();
    return make(Tok::BARCODE, at, std::move(s));
}

// X_SHIFT e [attributes] block, Y_SHIFT ..., XML_BLOCK name [attributes] block
std::unique_ptr<Statement> Parser::parse_block_statement(Tok kind) {
    Start at = here();
    next();
    BlockStatement s;
    s.expr = parse_expression();
    s.attributes = parse_xml_attributes();
    s.body = parse_block(Family::Reformat);
    return make(kind, at, std::move(s));
}

// XML_TAG name, value [attributes]
std::unique_ptr<Statement> Parser::parse_xml_tag() {
    Start at = here();
    next();
    XmlTagStatement s;
    s.name = parse_expression();
    expect(Tok::COMMA, "Missing ,");
    s.value = parse_expression();
    s.attributes = parse_xml_attributes();
    return make(Tok::XML_TAG, at, std::move(s));
}

}  // namespace morvel
