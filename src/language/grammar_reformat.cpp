// The [REFORMAT] section: program headers with their type defaults, MAPPINGS,
// SETTINGS, fonts, forms, and the value forms that reformat statements share
// (coordinates with C and R units, colours, weights, font options, XML attributes).
#include <utility>

#include "core/messages.h"
#include "core/strfmt.h"
#include "language/grammar.h"
#include "language/hints.h"
#include "language/parse_error.h"
#include "language/scanner.h"
#include "run.h"

namespace morvel {

namespace {

bool is_setting(Tok t) {
    switch (t) {
        case Tok::CHARACTER_WIDTH:
        case Tok::LINE_HEIGHT:
        case Tok::CRLF:
        case Tok::DUPLEX:
        case Tok::HPGL:
        case Tok::PAGE_WIDTH:
        case Tok::PAGE_HEIGHT:
        case Tok::LINES_PER_PAGE:
        case Tok::PAPER_SIZE:
        case Tok::PRINTER_TRAY:
        case Tok::RESOLUTION:
        case Tok::ORIENTATION:
        case Tok::X_SHIFT:
        case Tok::Y_SHIFT:
        case Tok::USE_INPUT:
        case Tok::PAD:
        case Tok::TRIM:
        case Tok::FORM_FEED:
        case Tok::FORCE_FORM_FEED:
        case Tok::INITIALISE:
        case Tok::NUM_COPIES:
        case Tok::COLOUR:
        case Tok::SYMBOL_SET:
        case Tok::INCLUDE:
        case Tok::PALETTE:
        case Tok::HP_FONT:
        case Tok::EPSON_FONT:
        case Tok::FORM:
            return true;
        default:
            return false;
    }
}

}  // namespace

// [REFORMAT] followed by zero or more programs.
void Parser::parse_reformat_section() {
    if (!accept(Tok::SEC_REFORMAT)) return;
    while (peek_code() == Tok::REFORMAT)
        recovering_program(Tok::REFORMAT, [this] { parse_reformat_program(); });
}

// REFORMAT = name, type {, parameter} { [MAPPINGS = {...}] [SETTINGS = {...}] statements }
void Parser::parse_reformat_program() {
    next();
    ProgramScope scope = begin_program();
    expect(Tok::EQ, "Missing =");
    Token name = expect_name();
    declare(name, IdKind::Reformat, "Unable to create reformat program", 3);
    ReformatProgram* p = nullptr;
    if (pass2())
        p = object_of<ReformatProgram>(name, IdKind::Reformat,
                                       "Indentifier is not a REFORMAT program");
    expect(Tok::COMMA, "Missing ,");
    Token type = next();
    if (type.code != Tok::IDENT && type.code != Tok::STRING) fail("Unknown reformat type");
    bool known = false;
    for (const char* word : {"hp", "text", "epson", "xml", "utf8"})
        if (same_word(type.text, word)) known = true;
    if (!known) fail("Unknown reformat type");

    std::vector<ParameterBinding> parameters;
    while (accept(Tok::COMMA)) {
        Token param = next();
        if (param.code != Tok::IDENT) fail("Invalid variable type");
        // A parameter binds a variable: one declared elsewhere (an extract program's
        // VARIABLE, say) is used as it is; an unknown name is declared here.
        Identifier* known_id = pass2() ? nullptr : lookup(run_, param.text);
        if (known_id && known_id->kind == IdKind::Variable)
            find(param, "Unable to find variable");
        else
            declare(param, IdKind::Variable, "Unable to add identifier, check not already declared",
                    3);
        if (pass2())
            parameters.push_back(ParameterBinding{variable_of(param, "Unable to find variable"),
                                                  static_cast<int>(parameters.size()) + 1});
    }
    expect(Tok::LBRACE, "Missing {");
    reformat_ = p;
    if (p) {
        p->source_index = scope.source;
        p->parameters = std::move(parameters);
        apply_type_defaults(*p, type.text);
    }
    if (accept(Tok::MAPPINGS)) {
        expect(Tok::EQ, "Missing =");
        expect(Tok::LBRACE, "Missing {");
        parse_mappings();
        expect(Tok::RBRACE, "Missing }");
    }
    if (accept(Tok::SETTINGS)) {
        expect(Tok::EQ, "Missing =");
        expect(Tok::LBRACE, "Missing {");
        parse_reformat_settings();
        expect(Tok::RBRACE, "Missing }");
    }
    StatementList body = parse_statement_list(Family::Reformat);
    expect(Tok::RBRACE, "Missing }");
    reformat_ = nullptr;
    if (p) {
        p->statements = std::move(body);
        run_.tree.reformats.push_back(p);
    }
    end_program(scope);
}

// Defaults by type, set before MAPPINGS and SETTINGS are read.
void Parser::apply_type_defaults(ReformatProgram& p, const std::string& type_word) {
    for (int i = 0; i < 256; ++i)
        p.character_map[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(i);
    p.map_upper = 0;
    p.map_lower = 0;
    p.tab = 8;
    p.use_input = 1;
    p.initialise = 1;
    p.orientation = 0;
    p.x_shift = 0;
    p.y_shift = 0;
    p.paper_size = 26;
    p.pad = 1;
    p.crlf = 0;
    if (same_word(type_word, "hp")) {
        p.kind = ReformatKind::Printer;
        p.resolution = 300;
        p.character_width = 30.0;
        p.line_height = 50.0;
        return;
    }
    p.kind = same_word(type_word, "epson") ? ReformatKind::Epson : ReformatKind::TextPage;
    p.xml = same_word(type_word, "xml");
    p.wide_cells = same_word(type_word, "utf8");
    p.resolution = 1;
    p.character_width = 1.0;
    p.line_height = 1.0;
    p.page_width = 80;
    p.page_height = 66;
    if (p.xml) {
        p.pad = 0;
        p.crlf = 1;
    }
}

// MAP a, b   MAP_LU = n   MAP_UL = n   TAB = n
void Parser::parse_mappings() {
    for (;;) {
        switch (peek_code()) {
            case Tok::MAP: {
                next();
                long from = parse_integer();
                expect(Tok::COMMA, "Missing ,");
                long to = parse_integer();
                if (!pass2()) break;
                if (from < 0 || from > 255 || to < 0 || to > 255) fail("Invalid mapping");
                if (reformat_) {
                    reformat_->character_map[static_cast<std::size_t>(from)] =
                        static_cast<std::uint8_t>(to);
                    reformat_->maps_characters = true;
                }
                break;
            }
            case Tok::MAP_LU:
            case Tok::MAP_UL:
            case Tok::TAB: {
                Tok t = next().code;
                expect(Tok::EQ, "Missing =");
                long n = parse_integer();
                if (!reformat_) break;
                int& slot = t == Tok::MAP_LU   ? reformat_->map_upper
                            : t == Tok::MAP_UL ? reformat_->map_lower
                                               : reformat_->tab;
                slot = static_cast<int>(n);
                break;
            }
            default:
                return;
        }
    }
}

void Parser::parse_reformat_settings() {
    if (!checking()) {
        while (is_setting(peek_code())) parse_reformat_setting(next().code);
        return;
    }
    for (;;) {
        int line = run_.current_line;
        try {
            line = peek().line;
            if (!is_setting(peek_code())) {
                if (skip_stray_word()) continue;
                return;
            }
            parse_reformat_setting(next().code);
        } catch (const CompileAbort&) {
            if (!may_recover()) throw;
            skip_statement(line);
        }
    }
}

// One setting; the last of a kind wins, except those that add an entry each.
void Parser::parse_reformat_setting(Tok keyword) {
    if (keyword == Tok::HP_FONT) return parse_hp_font();
    if (keyword == Tok::EPSON_FONT) return parse_epson_font();
    expect(Tok::EQ, "Missing =");
    setting_ = token_name(keyword);
    parse_reformat_setting_value(keyword);
    setting_ = nullptr;
}

void Parser::parse_reformat_setting_value(Tok keyword) {
    ReformatProgram scratch;
    ReformatProgram& p = reformat_ ? *reformat_ : scratch;
    auto integer = [&](int& slot) { slot = static_cast<int>(parse_integer()); };
    switch (keyword) {
        case Tok::CHARACTER_WIDTH:
        case Tok::LINE_HEIGHT: {
            Value v = parse_value(kNameOrNumber);
            if (!pass2()) break;
            bool width = keyword == Tok::CHARACTER_WIDTH;
            double d = value_number(v, width ? "CHAR_WIDTH" : "LINE_HEIGHT");
            (width ? p.character_width : p.line_height) = d;
            break;
        }
        case Tok::CRLF:
            integer(p.crlf);
            break;
        case Tok::DUPLEX:
            integer(p.duplex);
            break;
        case Tok::HPGL: {
            long n = parse_integer();
            p.hpgl_forbidden = n == 0;
            p.uses_hpgl = n != 0;
            break;
        }
        case Tok::PAGE_WIDTH:
            integer(p.page_width);
            break;
        case Tok::PAGE_HEIGHT:
        case Tok::LINES_PER_PAGE:
            integer(p.page_height);
            break;
        case Tok::PAPER_SIZE:
        case Tok::PRINTER_TRAY: {
            Value v = parse_value(kNameOrInteger);
            if (!pass2()) break;
            bool paper = keyword == Tok::PAPER_SIZE;
            int n = value_integer(v, paper ? "PAPER_SIZE" : "PRINTER_TRAY");
            (paper ? p.paper_size : p.printer_tray) = n;
            break;
        }
        case Tok::RESOLUTION:
            integer(p.resolution);
            break;
        case Tok::ORIENTATION:
            if (accept(Tok::LANDSCAPE))
                p.orientation = 1;
            else if (accept(Tok::PORTRAIT))
                p.orientation = 0;
            else if (peek_code() == Tok::INTEGER || peek_code() == Tok::MINUS)
                integer(p.orientation);
            else
                fail_invalid_value(next(), "PORTRAIT, LANDSCAPE or a whole number");
            break;
        case Tok::X_SHIFT:
            integer(p.x_shift);
            break;
        case Tok::Y_SHIFT:
            integer(p.y_shift);
            break;
        case Tok::USE_INPUT:
            integer(p.use_input);
            break;
        case Tok::PAD:
            integer(p.pad);
            break;
        case Tok::TRIM:
            integer(p.trim_lines);
            break;
        case Tok::FORM_FEED:
            integer(p.form_feed);
            if (p.form_feed) {
                p.pad = 0;
                p.trim_lines = 1;
            }
            break;
        case Tok::FORCE_FORM_FEED:
            integer(p.force_form_feed);
            if (p.force_form_feed) {
                p.form_feed = 1;
                p.trim_lines = 1;
                p.pad = 0;
            }
            break;
        case Tok::INITIALISE:
            integer(p.initialise);
            break;
        case Tok::NUM_COPIES:
            p.num_copies = parse_value(kNameOrInteger);
            break;
        case Tok::COLOUR:
            p.colour = parse_value(kNameOrInteger);
            break;
        case Tok::SYMBOL_SET:
            p.symbol_set = parse_value(kAnyValue);
            break;
        case Tok::INCLUDE:
            p.include_files.push_back(parse_value(kAnyValue));
            break;
        case Tok::PALETTE: {
            long entry[4];
            for (int i = 0; i < 4; ++i) {
                if (i > 0) expect(Tok::COMMA, "Missing ,");
                entry[i] = parse_integer();
            }
            if (!pass2()) break;
            // Entries 0-7 are the named colours; a colour component is one byte.
            if (entry[0] < 8 || entry[0] > 255) fail("Invalid value");
            for (int i = 1; i < 4; ++i)
                if (entry[i] < 0 || entry[i] > 255) fail("Invalid value");
            run_.tree.palette[static_cast<std::size_t>(entry[0])] = PaletteEntry{
                static_cast<int>(entry[1]), static_cast<int>(entry[2]), static_cast<int>(entry[3])};
            break;
        }
        case Tok::FORM:
            p.macro_forms.push_back(parse_form_values(true));
            break;
        default:
            break;
    }
}

// HP_FONT = name, proportional, typeface, size, weight {, style | ITALIC | UNDERLINE |
// COLOUR: colour}
void Parser::parse_hp_font() {
    expect(Tok::EQ, "Missing =");
    Token name = expect_name();
    declare(name, IdKind::HpFont, "Unable to add identifier, check not already declared", 3);
    HpFont scratch;
    HpFont* font = &scratch;
    if (pass2()) font = object_of<HpFont>(name, IdKind::HpFont, "Invalid value");
    expect(Tok::COMMA, "Missing ,");
    font->proportional = parse_value(kNameOrInteger);
    expect(Tok::COMMA, "Missing ,");
    if (accept(Tok::COURIER))
        font->typeface = literal_value("4099");
    else if (accept(Tok::TIMES))
        font->typeface = literal_value("4101");
    else if (accept(Tok::UNIVERS))
        font->typeface = literal_value("4148");
    else {
        if (!pass2() && peek_code() == Tok::IDENT) run_.typeface_names.push_back(peek().text);
        font->typeface = parse_value(kNameOrInteger);
    }
    expect(Tok::COMMA, "Missing ,");
    font->size = parse_value(kNameOrNumber);
    expect(Tok::COMMA, "Missing ,");
    font->boldness = parse_weight();
    font->effects.reset();
    font->underline = false;
    font->colour = 0;
    while (accept(Tok::COMMA)) {
        if (accept(Tok::ITALIC))
            font->effects = literal_value("1");
        else if (accept(Tok::UNDERLINE))
            font->underline = true;
        else if (accept(Tok::COLOUR_C))
            font->colour = parse_colour();
        else
            font->effects = parse_value(kNameOrNumber);
    }
    if (pass2() && reformat_) reformat_->hp_fonts.push_back(font);
}

// EPSON_FONT = name, v, v, v: the values are read and not kept.
void Parser::parse_epson_font() {
    expect(Tok::EQ, "Missing =");
    Token name = expect_name();
    declare(name, IdKind::EpsonFont, "Unable to add identifier, check not already declared", 3);
    for (int i = 0; i < 3; ++i) {
        expect(Tok::COMMA, "Missing ,");
        parse_value(kNameOrInteger);
    }
    if (pass2()) {
        EpsonFont* font = object_of<EpsonFont>(name, IdKind::EpsonFont, "Invalid value");
        if (reformat_) reformat_->epson_fonts.push_back(font);
    }
}

// FORM = x, y, resolution, file, flags [, macro number] (the macro number only in
// SETTINGS, where a form without one gets the next automatic number).
FormDefinition Parser::parse_form_values(bool in_settings) {
    FormDefinition form;
    form.x = parse_coordinate();
    expect(Tok::COMMA, "Missing ,");
    form.y = parse_coordinate();
    expect(Tok::COMMA, "Missing ,");
    form.resolution = parse_value(kNameOrInteger);
    expect(Tok::COMMA, "Missing ,");
    form.name = parse_value(kAnyValue);
    expect(Tok::COMMA, "Missing ,");
    form.flags = parse_value(kNameOrInteger);
    form.orientation = reformat_ ? reformat_->orientation : 0;
    if (!in_settings) return form;
    if (accept(Tok::COMMA)) {
        long macro = parse_integer();
        if (pass2() && (macro < 1 || macro > 99))
            fail_invalid_value(Token{Tok::INTEGER, std::to_string(macro)},
                               "a form macro number from 1 to 99");
        form.macro_number = static_cast<int>(macro);
    } else {
        form.macro_number = next_macro_number_++;
    }
    return form;
}

// ---- Shared value forms -----------------------------------------------------------

// An identifier (read at run time), or an integer with an optional unit: nC is
// (n - 1) character widths, nR is n line heights on a printer page and n - 1 lines
// on a text page, with the settings read so far.
Value Parser::parse_coordinate() {
    // A unit or an operator after the position gives "Missing ," as always, and a hint.
    auto refuse_mistake = [&](std::optional<long> number) {
        if (!follows_position_by_mistake(peek())) return;
        Token found = next();
        report_error(run_, 1, "Missing ,");
        hint_position_in_dots(run_, number, found);
        throw CompileAbort{};
    };
    if (peek_code() == Tok::IDENT) {
        Value name = name_value(next());
        refuse_mistake(std::nullopt);
        return name;
    }
    long n = parse_integer();
    double dots = static_cast<double>(n);
    Tok unit = peek_code();
    if (unit == Tok::C || unit == Tok::R)
        next();
    else
        refuse_mistake(n);
    if (reformat_ && unit == Tok::C) {
        dots = static_cast<double>(n - 1) * reformat_->character_width;
    } else if (reformat_ && unit == Tok::R) {
        bool printer = reformat_->kind == ReformatKind::Printer;
        dots = static_cast<double>(printer ? n : n - 1) * reformat_->line_height;
    }
    return literal_value(std::to_string(static_cast<long>(dots)));
}

// BLACK, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE, or a palette index.
int Parser::parse_colour() {
    static const char* const kNames[] = {"BLACK", "RED",     "GREEN", "YELLOW",
                                         "BLUE",  "MAGENTA", "CYAN",  "WHITE"};
    if (peek_code() != Tok::IDENT) return static_cast<int>(parse_integer());
    Token word = next();
    for (int i = 0; i < 8; ++i)
        if (same_word(word.text, kNames[i])) return i;
    fail_invalid_value(word,
                       "BLACK, RED, GREEN, YELLOW, BLUE, MAGENTA, CYAN, WHITE or a palette index");
}

// NORMAL 0, BOLD 3, EXTRABOLD 6, LIGHT -3, or a name or integer.
Value Parser::parse_weight() {
    if (accept(Tok::NORMAL)) return literal_value("0");
    if (accept(Tok::BOLD)) return literal_value("3");
    if (accept(Tok::EXTRABOLD)) return literal_value("6");
    if (accept(Tok::LIGHT)) return literal_value("-3");
    return parse_value(kNameOrInteger);
}

// {, option} after a line step. Centred and right-aligned text is drawn with HP-GL/2.
FontOverride Parser::parse_font_options() {
    FontOverride o;
    while (accept(Tok::COMMA)) {
        Tok t = next().code;
        switch (t) {
            case Tok::SIZE_C:
                o.size = parse_value(kNameOrNumber);
                break;
            case Tok::EFFECT_C:
                o.effects = parse_value(kNameOrInteger);
                break;
            case Tok::BOLD_C:
                o.boldness = parse_weight();
                break;
            case Tok::NORESET_C:
                o.no_reset = static_cast<int>(parse_integer());
                break;
            case Tok::COLOUR_C:
                o.colour = parse_colour();
                break;
            case Tok::ALIGN_C: {
                Token word = next();
                if (word.code != Tok::IDENT && word.code != Tok::STRING)
                    fail("Invalid alignment, valid values are LEFT, CENTRE, and RIGHT");
                if (same_word(word.text, "left"))
                    o.alignment = Alignment::Left;
                else if (same_word(word.text, "centre"))
                    o.alignment = Alignment::Centre;
                else if (same_word(word.text, "right"))
                    o.alignment = Alignment::Right;
                else
                    fail("Invalid alignment, valid values are LEFT, CENTRE, and RIGHT");
                break;
            }
            default:
                fail("Invalid value");
        }
    }
    return o;
}

// XML_HAS_ATTRIBUTE "name", e {, "name", e}
std::vector<XmlAttribute> Parser::parse_xml_attributes() {
    std::vector<XmlAttribute> list;
    if (!accept(Tok::XML_HAS_ATTRIBUTE)) return list;
    do {
        Token name = next();
        if (name.code != Tok::STRING) fail("Invalid value");
        expect(Tok::COMMA, "Missing ,");
        XmlAttribute a;
        a.name = std::move(name.text);
        a.value = parse_expression();
        if (pass2()) {
            if (a.name.find_first_of(" \t\r\n") != std::string::npos || a.name.empty())
                report_warning(run_, 1, "%s is not a valid xml name", a.name.c_str());
            for (const XmlAttribute& earlier : list)
                if (earlier.name == a.name)
                    parse_error(run_, 1,
                                strfmt("xml attribute %s already used in tag, all attribute "
                                       "names must be unique",
                                       a.name.c_str())
                                    .c_str());
        }
        list.push_back(std::move(a));
    } while (accept(Tok::COMMA));
    return list;
}

// The font slot of a text statement: empty, an HP font or an Epson font.
void Parser::parse_font_slot(HpFont** hp, EpsonFont** epson) {
    if (peek_code() != Tok::IDENT) return;
    Token name = next();
    Identifier* id = find(name);
    if (!id) return;
    if (id->kind == IdKind::HpFont && id->as<HpFont>())
        *hp = id->as<HpFont>();
    else if (id->kind == IdKind::EpsonFont && id->as<EpsonFont>())
        *epson = id->as<EpsonFont>();
    else
        fail("Invalid value");
}

}  // namespace morvel
