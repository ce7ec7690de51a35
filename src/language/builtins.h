#pragma once
// The built-in functions of the language, one row each: how the call's arguments
// are written (read by the grammar) and which evaluator runs it (read by the
// evaluator). The tree stores one or two arguments as the left and right operands
// and longer or optional lists as the argument list.
#include <array>
#include <cstdint>

#include "language/tokens.h"

namespace morvel {

/// How a built-in function's arguments are written.
enum class ArgForm : std::uint8_t {
    None,         ///< OUTPUT_FILE, EURO: no parentheses
    Name,         ///< (name)
    One,          ///< (e)
    OneOrTwo,     ///< (e [, e])
    Two,          ///< (e, e)
    ThreeOrFour,  ///< (e, e, e [, e]) as an argument list
    AppendFile,   ///< (e, e [, e]) as an argument list
    CsvValue,     ///< (e, e [, e [, e]]) as an argument list
    Date,         ///< DATE, or DATE([e [, e [, e]]])
    Function,     ///< (e {, e})
    Change,       ///< (name) or (name, e, e, e [, e])
    NameValue,    ///< (name, value)
    InsertLine,   ///< (name, e [, e])
    SortValues,   ///< (e, e, name {, name})
};

/// Which part of the evaluator runs a built-in function.
enum class Dispatch : std::uint8_t {
    Line,          ///< a line of a multi-line value
    TextTest,      ///< IS_NUMERIC, FILE_EXISTS, the trims, QUOTED
    Change,        ///< CHANGE
    Round,         ///< ROUND
    Total,         ///< TOTAL
    Execute,       ///< EXECUTE
    OutputFile,    ///< OUTPUT_FILE
    Euro,          ///< EURO
    FirstLast,     ///< FIRST_LINE, LAST_LINE
    Reformat,      ///< FUNCTION: a reformat function
    TextLibrary,   ///< the text library
    Number,        ///< the number library
    DateFunction,  ///< DATE
    List,          ///< the list and field library
    File,          ///< files, environment, settings and parameters
    Xml,           ///< the XML spool functions
};

/// One built-in function.
struct Builtin {
    Tok token;
    ArgForm form;
    Dispatch dispatch;
};

// clang-format off
inline constexpr std::array kBuiltins = {
    Builtin{Tok::OUTPUT_FILE,       ArgForm::None,        Dispatch::OutputFile},
    Builtin{Tok::EURO,              ArgForm::None,        Dispatch::Euro},
    Builtin{Tok::BLANK,             ArgForm::Name,        Dispatch::Line},
    Builtin{Tok::CURRENT,           ArgForm::Name,        Dispatch::Line},
    Builtin{Tok::FIRST,             ArgForm::Name,        Dispatch::Line},
    Builtin{Tok::LAST,              ArgForm::Name,        Dispatch::Line},
    Builtin{Tok::NEXT,              ArgForm::Name,        Dispatch::Line},
    Builtin{Tok::NUM_LINES,         ArgForm::Name,        Dispatch::Line},
    Builtin{Tok::WHOLE,             ArgForm::Name,        Dispatch::Line},
    Builtin{Tok::TOTAL,             ArgForm::Name,        Dispatch::Total},
    Builtin{Tok::LOOK_AHEAD,        ArgForm::Name,        Dispatch::File},
    Builtin{Tok::EXECUTE,           ArgForm::One,         Dispatch::Execute},
    Builtin{Tok::LCASE,             ArgForm::One,         Dispatch::TextLibrary},
    Builtin{Tok::UCASE,             ArgForm::One,         Dispatch::TextLibrary},
    Builtin{Tok::LTRIM,             ArgForm::One,         Dispatch::TextTest},
    Builtin{Tok::RTRIM,             ArgForm::One,         Dispatch::TextTest},
    Builtin{Tok::TRIM,              ArgForm::One,         Dispatch::TextTest},
    Builtin{Tok::QUOTED,            ArgForm::One,         Dispatch::TextTest},
    Builtin{Tok::IS_NUMERIC,        ArgForm::One,         Dispatch::TextTest},
    Builtin{Tok::FILE_EXISTS,       ArgForm::One,         Dispatch::TextTest},
    Builtin{Tok::PARAMETER,         ArgForm::One,         Dispatch::File},
    Builtin{Tok::TEMPNAM,           ArgForm::One,         Dispatch::File},
    Builtin{Tok::INT,               ArgForm::One,         Dispatch::Number},
    Builtin{Tok::XML_VALUE,         ArgForm::One,         Dispatch::Xml},
    Builtin{Tok::XML_NEXT,          ArgForm::One,         Dispatch::Xml},
    Builtin{Tok::XML_WITH,          ArgForm::One,         Dispatch::Xml},
    Builtin{Tok::LENGTH,            ArgForm::OneOrTwo,    Dispatch::TextLibrary},
    Builtin{Tok::ASC,               ArgForm::OneOrTwo,    Dispatch::TextLibrary},
    Builtin{Tok::CHR,               ArgForm::OneOrTwo,    Dispatch::TextLibrary},
    Builtin{Tok::GETENV,            ArgForm::OneOrTwo,    Dispatch::File},
    Builtin{Tok::CREATE_FILE,       ArgForm::OneOrTwo,    Dispatch::File},
    Builtin{Tok::READ_FILE,         ArgForm::OneOrTwo,    Dispatch::File},
    Builtin{Tok::XML_NUM_CHILDREN,  ArgForm::OneOrTwo,    Dispatch::Xml},
    Builtin{Tok::XML_NAME,          ArgForm::OneOrTwo,    Dispatch::Xml},
    Builtin{Tok::STRCAT,            ArgForm::Two,         Dispatch::TextLibrary},
    Builtin{Tok::FORMAT,            ArgForm::Two,         Dispatch::Number},
    Builtin{Tok::MODULUS,           ArgForm::Two,         Dispatch::Number},
    Builtin{Tok::COLON_FIELD,       ArgForm::Two,         Dispatch::List},
    Builtin{Tok::XML_GET_ATTRIBUTE, ArgForm::Two,         Dispatch::Xml},
    Builtin{Tok::DELETE,            ArgForm::ThreeOrFour, Dispatch::TextLibrary},
    Builtin{Tok::INSTR,             ArgForm::ThreeOrFour, Dispatch::TextLibrary},
    Builtin{Tok::SUBSTRING,         ArgForm::ThreeOrFour, Dispatch::TextLibrary},
    Builtin{Tok::LEFT_PAD,          ArgForm::ThreeOrFour, Dispatch::TextLibrary},
    Builtin{Tok::RIGHT_PAD,         ArgForm::ThreeOrFour, Dispatch::TextLibrary},
    Builtin{Tok::REPLACE_STRING,    ArgForm::ThreeOrFour, Dispatch::TextLibrary},
    Builtin{Tok::GET_SETTING,       ArgForm::ThreeOrFour, Dispatch::File},
    Builtin{Tok::APPEND_FILE,       ArgForm::AppendFile,  Dispatch::File},
    Builtin{Tok::CSV_VALUE,         ArgForm::CsvValue,    Dispatch::List},
    Builtin{Tok::DATE,              ArgForm::Date,        Dispatch::DateFunction},
    Builtin{Tok::FUNCTION,          ArgForm::Function,    Dispatch::Reformat},
    Builtin{Tok::CHANGE,            ArgForm::Change,      Dispatch::Change},
    Builtin{Tok::ROUND,             ArgForm::NameValue,   Dispatch::Round},
    Builtin{Tok::FIRST_LINE,        ArgForm::NameValue,   Dispatch::FirstLast},
    Builtin{Tok::LAST_LINE,         ArgForm::NameValue,   Dispatch::FirstLast},
    Builtin{Tok::DELETE_LINE,       ArgForm::NameValue,   Dispatch::List},
    Builtin{Tok::INSERT_LINE,       ArgForm::InsertLine,  Dispatch::List},
    Builtin{Tok::SORT_VALUES,       ArgForm::SortValues,  Dispatch::List},
};
// clang-format on

/// The row of a function token; nullptr when the token names no built-in function.
const Builtin* builtin_of(Tok token);

/// Whether a call of the function may stand without any operand (OUTPUT_FILE, EURO, DATE).
bool takes_no_operand(Tok token);

}  // namespace morvel
