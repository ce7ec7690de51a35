#include "lsp/language_help.h"

#include <array>

#include "language/builtins.h"

namespace morvel::lsp {

namespace {

struct FunctionHelp {
    Tok token;
    const char* form;
    const char* summary;
};

// clang-format off
constexpr std::array kFunctions = {
    FunctionHelp{Tok::OUTPUT_FILE, "OUTPUT_FILE", "the name of the output file of the output program that is running"},
    FunctionHelp{Tok::EURO, "EURO", "the printer command that prints the euro sign"},
    FunctionHelp{Tok::BLANK, "BLANK(name)", "1 when the current line of the variable or field is blank"},
    FunctionHelp{Tok::CURRENT, "CURRENT(name)", "the current line of a variable or field"},
    FunctionHelp{Tok::FIRST, "FIRST(name)", "the first line of a variable or field, and makes it the current one"},
    FunctionHelp{Tok::LAST, "LAST(name)", "the last line of a variable or field"},
    FunctionHelp{Tok::NEXT, "NEXT(name)", "the next line of a variable or field, and makes it the current one"},
    FunctionHelp{Tok::NUM_LINES, "NUM_LINES(name)", "how many lines a variable or field holds"},
    FunctionHelp{Tok::WHOLE, "WHOLE(name)", "every line of a variable or field"},
    FunctionHelp{Tok::TOTAL, "TOTAL(name)", "the sum of the lines of a variable or field"},
    FunctionHelp{Tok::LOOK_AHEAD, "LOOK_AHEAD(field)", "the field's text on the lines after the current page"},
    FunctionHelp{Tok::EXECUTE, "EXECUTE(command)", "runs the command through the shell and gives what it printed"},
    FunctionHelp{Tok::LCASE, "LCASE(text)", "the text in lower case"},
    FunctionHelp{Tok::UCASE, "UCASE(text)", "the text in upper case"},
    FunctionHelp{Tok::LTRIM, "LTRIM(text)", "the text without blanks at the start"},
    FunctionHelp{Tok::RTRIM, "RTRIM(text)", "the text without blanks and tabs at the end"},
    FunctionHelp{Tok::TRIM, "TRIM(text)", "the text without blanks at both ends"},
    FunctionHelp{Tok::QUOTED, "QUOTED(text)", "the text in double quotes"},
    FunctionHelp{Tok::IS_NUMERIC, "IS_NUMERIC(text)", "1 when the text, without blanks around it, is a number"},
    FunctionHelp{Tok::FILE_EXISTS, "FILE_EXISTS(name)", "1 when the file exists"},
    FunctionHelp{Tok::PARAMETER, "PARAMETER(n)", "argument n of the reformat function being called"},
    FunctionHelp{Tok::TEMPNAM, "TEMPNAM(prefix)", "the name of a new temporary file"},
    FunctionHelp{Tok::INT, "INT(number)", "the whole-number part of the number"},
    FunctionHelp{Tok::XML_VALUE, "XML_VALUE(path)", "the text of the XML element at path"},
    FunctionHelp{Tok::XML_NEXT, "XML_NEXT(path)", "moves on to the next element at path; 0 after the last"},
    FunctionHelp{Tok::XML_WITH, "XML_WITH(path)", "makes path the start of the paths XML_VALUE and XML_FIELD read"},
    FunctionHelp{Tok::LENGTH, "LENGTH(text [, utf8])", "the number of characters (bytes unless utf8 is 1)"},
    FunctionHelp{Tok::ASC, "ASC(text [, utf8])", "the code of the first character"},
    FunctionHelp{Tok::CHR, "CHR(code [, utf8])", "the character of that code"},
    FunctionHelp{Tok::GETENV, "GETENV(name [, default])", "the environment variable's value, else default"},
    FunctionHelp{Tok::CREATE_FILE, "CREATE_FILE(name [, text])", "creates (or empties) the file and writes the text; gives its name"},
    FunctionHelp{Tok::READ_FILE, "READ_FILE(name [, keep])", "the whole file as text"},
    FunctionHelp{Tok::XML_NUM_CHILDREN, "XML_NUM_CHILDREN(path [, name])", "how many children the XML element at path has"},
    FunctionHelp{Tok::XML_NAME, "XML_NAME(path [, n])", "the name of the n-th child of the XML element at path"},
    FunctionHelp{Tok::STRCAT, "STRCAT(a, b)", "a followed by b; unlike +, it never adds numbers"},
    FunctionHelp{Tok::FORMAT, "FORMAT(picture, number)", "the number written into the picture"},
    FunctionHelp{Tok::MODULUS, "MODULUS(a, b)", "the remainder of a divided by b"},
    FunctionHelp{Tok::COLON_FIELD, "COLON_FIELD(text, label)", "in label:value lines, the value after the label"},
    FunctionHelp{Tok::XML_GET_ATTRIBUTE, "XML_GET_ATTRIBUTE(path, attribute)", "the value of the attribute on the XML element at path"},
    FunctionHelp{Tok::DELETE, "DELETE(text, start, length)", "the text without length bytes from start"},
    FunctionHelp{Tok::INSTR, "INSTR(text, search, start [, utf8])", "the position of search at or after start, or 0"},
    FunctionHelp{Tok::SUBSTRING, "SUBSTRING(text, start, length [, utf8])", "length characters from position start"},
    FunctionHelp{Tok::LEFT_PAD, "LEFT_PAD(text, pad, length [, utf8])", "the text padded on the left to length characters"},
    FunctionHelp{Tok::RIGHT_PAD, "RIGHT_PAD(text, pad, length [, utf8])", "the text padded on the right to length characters"},
    FunctionHelp{Tok::REPLACE_STRING, "REPLACE_STRING(text, search, replacement)", "every search (letter case ignored) replaced"},
    FunctionHelp{Tok::GET_SETTING, "GET_SETTING(text, section, key [, separator])", "the value of key in [section] of a settings text"},
    FunctionHelp{Tok::APPEND_FILE, "APPEND_FILE(name, text [, flags])", "appends the text and a line end to the file; gives its name"},
    FunctionHelp{Tok::CSV_VALUE, "CSV_VALUE(text, position [, delimiter [, flags]])", "cell position of the first CSV line"},
    FunctionHelp{Tok::DATE, "DATE([format]) or DATE(base, modify, format)", "today's date, or a date changed or compared"},
    FunctionHelp{Tok::FUNCTION, "FUNCTION(name {, argument})", "runs a reformat function and gives its result"},
    FunctionHelp{Tok::CHANGE, "CHANGE(name) or CHANGE(name, row, column, value [, separator])", "1 when the value changed; or replaces a cell"},
    FunctionHelp{Tok::ROUND, "ROUND(name, decimals)", "the value rounded to that many decimals"},
    FunctionHelp{Tok::FIRST_LINE, "FIRST_LINE(field, text)", "the first line downwards whose field holds text; 0 when none"},
    FunctionHelp{Tok::LAST_LINE, "LAST_LINE(field, text)", "the first line upwards whose field holds text; 0 when none"},
    FunctionHelp{Tok::DELETE_LINE, "DELETE_LINE(name, n)", "the value without line n"},
    FunctionHelp{Tok::INSERT_LINE, "INSERT_LINE(name, text [, position])", "the value with text inserted as line position"},
    FunctionHelp{Tok::SORT_VALUES, "SORT_VALUES(type, direction, key [, name ...])", "sorts the lines of key and the other names alike"},
};

struct KeywordHelp {
    Tok token;
    const char* summary;
};

constexpr std::array kKeywords = {
    KeywordHelp{Tok::SEC_INPUT, "section: the input program, which reads the spool page by page"},
    KeywordHelp{Tok::SEC_EXTRACT, "section: the extract programs, which take fields from a page"},
    KeywordHelp{Tok::SEC_DELIVERY, "section: the delivery program, run at the end of each document"},
    KeywordHelp{Tok::SEC_OUTPUT, "section: the output programs, which hand finished files to printers"},
    KeywordHelp{Tok::SEC_REFORMAT, "section: the reformat programs, which lay out the pages"},
    KeywordHelp{Tok::REFORMAT, "REFORMAT = name, type {, parameter} { ... }: declares a reformat program"},
    KeywordHelp{Tok::OUTPUT, "OUTPUT = name: declares an output program, or names the output of a page"},
    KeywordHelp{Tok::IF, "IF condition block [ELSE block]: runs the block when the condition holds"},
    KeywordHelp{Tok::ELSE, "ELSE block: what an IF runs when its condition does not hold"},
    KeywordHelp{Tok::CASE, "CASE value { OF v: block ... DEFAULT: block }: chooses a block by value"},
    KeywordHelp{Tok::LET, "LET name = expression: gives a variable a value"},
    KeywordHelp{Tok::VARIABLE, "VARIABLE name [= value]: declares a variable"},
    KeywordHelp{Tok::REPEAT, "REPEAT ... : runs a program or block again and again"},
    KeywordHelp{Tok::CALL, "CALL: runs a reformat or extract program"},
    KeywordHelp{Tok::DEBUG, "DEBUG expression: writes the value to the log (unless -n)"},
    KeywordHelp{Tok::REM, "REM: the rest of the line is a comment"},
    KeywordHelp{Tok::NOTE, "NOTE: the rest of the line is a comment kept in the compiled definition"},
    KeywordHelp{Tok::FIELD, "FIELD name = line, column, length: a field of the spool page (extract), or prints text (reformat)"},
    KeywordHelp{Tok::MESSAGE, "MESSAGE: prints a text at a position on the page"},
    KeywordHelp{Tok::BOX, "BOX: draws a box"},
    KeywordHelp{Tok::RBOX, "RBOX: draws a box with rounded corners"},
    KeywordHelp{Tok::LINE, "LINE: draws a line"},
    KeywordHelp{Tok::BARCODE, "BARCODE = type, x, y, height, ..., data: prints a barcode"},
    KeywordHelp{Tok::WATERMARK, "WATERMARK: prints a text across the page"},
    KeywordHelp{Tok::FORM, "FORM: puts a stored form or overlay on the page"},
    KeywordHelp{Tok::MACRO, "MACRO: runs a printer macro"},
    KeywordHelp{Tok::PAGE, "PAGE: prints the page number"},
    KeywordHelp{Tok::DATE, "DATE: today's date (a function), or prints it (a statement)"},
    KeywordHelp{Tok::EJECT_PAGE, "EJECT_PAGE: ends the page being printed"},
    KeywordHelp{Tok::PRINT, "PRINT: writes text to the output as it is"},
    KeywordHelp{Tok::PRINT_LINE, "PRINT_LINE: writes text and a line end to the output"},
    KeywordHelp{Tok::INCLUDE, "INCLUDE: copies a file into the output"},
    KeywordHelp{Tok::SETTINGS, "SETTINGS = { ... }: the page settings of a reformat program"},
    KeywordHelp{Tok::MAPPINGS, "MAPPINGS = { ... }: the names a reformat program takes from others"},
    KeywordHelp{Tok::HP_FONT, "HP_FONT = name, typeface, ...: declares a font for PCL printers"},
    KeywordHelp{Tok::EPSON_FONT, "EPSON_FONT = name, ...: declares a font for dot-matrix printers"},
    KeywordHelp{Tok::ORIENTATION, "ORIENTATION = portrait or landscape"},
    KeywordHelp{Tok::PAPER_SIZE, "PAPER_SIZE = the paper the page is printed on"},
    KeywordHelp{Tok::RESOLUTION, "RESOLUTION = dots per inch of positions (300 by default)"},
    KeywordHelp{Tok::LINES_PER_PAGE, "LINES_PER_PAGE = n: lines of a spool page (1 to 300, 66 by default)"},
    KeywordHelp{Tok::DUPLEX, "DUPLEX = printing on both sides"},
    KeywordHelp{Tok::NUM_COPIES, "NUM_COPIES = how many copies the printer makes"},
    KeywordHelp{Tok::PRINTER_TRAY, "PRINTER_TRAY = the tray the paper comes from"},
    KeywordHelp{Tok::SYMBOL_SET, "SYMBOL_SET = the printer's character set"},
    KeywordHelp{Tok::INVOCATION, "INVOCATION = the command that receives the finished file"},
    KeywordHelp{Tok::PARAMETERS, "PARAMETERS = what the output program passes to its invocation"},
    KeywordHelp{Tok::MASK, "MASK = which pages the output program takes"},
    KeywordHelp{Tok::INVOKE, "INVOKE: runs the output program's invocation now"},
    KeywordHelp{Tok::DOCUMENT, "DOCUMENT: marks the start of a new document"},
    KeywordHelp{Tok::TAB, "TAB = the width of a tab stop on the spool page"},
    KeywordHelp{Tok::RESET, "RESET: empties fields or variables"},
    KeywordHelp{Tok::XML_FIELD, "XML_FIELD name = path: a field read from the XML spool"},
    KeywordHelp{Tok::XML_DOCUMENTS, "XML_DOCUMENTS: how an XML spool is split into documents"},
};
// clang-format on

constexpr std::array kCommon = {Tok::IF,   Tok::CASE, Tok::LET,  Tok::VARIABLE, Tok::DEBUG,
                                Tok::CALL, Tok::REM,  Tok::NOTE, Tok::REPEAT};

}  // namespace

std::string function_form(Tok token) {
    for (const FunctionHelp& f : kFunctions)
        if (f.token == token) return f.form;
    return {};
}

std::string function_summary(Tok token) {
    for (const FunctionHelp& f : kFunctions)
        if (f.token == token) return f.summary;
    return {};
}

std::string keyword_summary(Tok token) {
    for (const KeywordHelp& k : kKeywords)
        if (k.token == token) return k.summary;
    return {};
}

std::vector<Tok> words_at(WordPlace place) {
    std::vector<Tok> words;
    auto statements = [&](std::initializer_list<Tok> own) {
        words.assign(kCommon.begin(), kCommon.end());
        words.insert(words.end(), own.begin(), own.end());
    };
    switch (place) {
        case WordPlace::TopLevel:
            return {Tok::SEC_INPUT,    Tok::SEC_EXTRACT, Tok::SEC_DELIVERY, Tok::SEC_OUTPUT,
                    Tok::SEC_REFORMAT, Tok::REFORMAT,    Tok::OUTPUT};
        case WordPlace::Input:
            statements({Tok::DOCUMENT, Tok::TAB, Tok::XML_DELIMITER, Tok::XML_DOCUMENTS});
            break;
        case WordPlace::Extract:
            statements({Tok::FIELD, Tok::COLON_FIELD, Tok::XML_FIELD, Tok::OUTPUT, Tok::RESET,
                        Tok::READ_FIELD});
            break;
        case WordPlace::Delivery:
            statements({});
            break;
        case WordPlace::Output:
            statements({Tok::INVOKE, Tok::RESET});
            break;
        case WordPlace::Reformat:
            statements({Tok::FIELD,       Tok::MESSAGE,   Tok::DATE,       Tok::PAGE,
                        Tok::INCLUDE,     Tok::WATERMARK, Tok::BOX,        Tok::LINE,
                        Tok::RBOX,        Tok::FORM,      Tok::MACRO,      Tok::BARCODE,
                        Tok::X_SHIFT,     Tok::Y_SHIFT,   Tok::XML_BLOCK,  Tok::XML_TAG,
                        Tok::ARCH_FIELD,  Tok::PRINT,     Tok::PRINT_LINE, Tok::ARCH_TABLE,
                        Tok::XML_COMMENT, Tok::FUNCTION,  Tok::EJECT_PAGE});
            break;
        case WordPlace::Settings:
            return {Tok::CHARACTER_WIDTH,
                    Tok::LINE_HEIGHT,
                    Tok::CRLF,
                    Tok::DUPLEX,
                    Tok::HPGL,
                    Tok::PAGE_WIDTH,
                    Tok::PAGE_HEIGHT,
                    Tok::LINES_PER_PAGE,
                    Tok::PAPER_SIZE,
                    Tok::PRINTER_TRAY,
                    Tok::RESOLUTION,
                    Tok::ORIENTATION,
                    Tok::X_SHIFT,
                    Tok::Y_SHIFT,
                    Tok::USE_INPUT,
                    Tok::PAD,
                    Tok::TRIM,
                    Tok::FORM_FEED,
                    Tok::FORCE_FORM_FEED,
                    Tok::INITIALISE,
                    Tok::NUM_COPIES,
                    Tok::COLOUR,
                    Tok::SYMBOL_SET,
                    Tok::INCLUDE,
                    Tok::PALETTE,
                    Tok::HP_FONT,
                    Tok::EPSON_FONT,
                    Tok::FORM};
    }
    return words;
}

}  // namespace morvel::lsp
