#pragma once
// Values: the operands of the program tree, and the conversions and text helpers
// every evaluator uses.
#include <string>
#include <string_view>

#include "values/identifiers.h"
#include "values/text.h"

namespace morvel {

/// Kinds of an operand value; the numbers are stored in token files.
enum class ValueKind : int {
    Identifier = 0,  ///< a variable
    Literal = 5,     ///< a quoted string or number of the definition
    Field = 9,       ///< an extract field
};

/// An operand: a variable, a literal text or a field.
struct Value {
    ValueKind kind = ValueKind::Literal;
    std::string literal;         ///< the text of a literal
    IdObject* record = nullptr;  ///< the VariableRecord or field record (not owned)
    LineCell* cell = nullptr;    ///< the variable's value or the field's text (not owned)
    std::string name;            ///< the identifier's name, for messages and dumps
};

/// A literal operand holding text.
inline Value literal_value(std::string text) {
    Value v;
    v.kind = ValueKind::Literal;
    v.literal = std::move(text);
    return v;
}

// ---- numbers and truth -------------------------------------------------------

/// Whether strtod reads the whole text: "" and " 12" are numbers, "12 " is not.
bool is_number(std::string_view text);
/// As above; an absent text is not a number.
bool is_number(const Text& text);
/// As above (spelled out so that strings and literals pick one overload).
bool is_number(const std::string& text);
bool is_number(const char* text);
/// The number in text; otherwise "Trying to convert a '%s' non numeric string to a
/// floating point number" and 0.
double to_number(Run& run, const Text& text);
/// The number in text truncated toward zero (saturated to the range of long); otherwise
/// "Trying to convert a non numeric string '%s' to a number" and 0.
long to_integer(Run& run, const Text& text);
/// x truncated toward zero, saturated at the limits of long; NaN gives 0.
long truncate_to_long(double x);
/// True unless the text is absent, empty or "0".
bool is_true(const Text& text);
/// The whole text of a literal, variable or field read with atol semantics (3.7 gives 3,
/// 1e3 gives 1); "%s passed %s" / "%s passed NULL string" (role first) and 0 otherwise.
long argument_integer(Run& run, const Value& value, const char* role);
/// As argument_integer, read with atof semantics.
double argument_number(Run& run, const Value& value, const char* role);
/// n written with "%ld".
std::string from_integer(long n);
/// x written with "%f" (six decimals).
std::string from_number(double x);

// ---- reading values ----------------------------------------------------------

/// The plain read of an operand: a copy of a literal, or the line-wise read of a
/// variable or field without advancing; "Uknown value" (level 0) and absent otherwise.
Text operand_text(Run& run, const Value& value);
/// The entire text of a literal, variable or field, ignoring the line position.
/// Absent when the variable or field holds no text (no message), or after "Uknown
/// value" for any other kind.
Text whole_text(Run& run, const Value& value);
/// The text a variable or field holds, without copying; nullptr for a literal or
/// another kind. Lets callers tell an absent text from an empty one.
const Text* held_text(const Value& value);
/// FIRST: restarts the line-wise read (line 1, exhausted cleared; for a variable only
/// when its text is not empty) and gives line 1. A literal gives its copy.
Text first_line(Run& run, const Value& value);
/// CURRENT: the line at the value's line position without advancing; "Unknown value"
/// (level 1) for a kind that is neither variable, literal nor field.
Text current_line(Run& run, const Value& value);
/// NEXT: the line at the value's line position, then advances; "Unknown value"
/// (level 1) for a kind that is neither variable, literal nor field.
Text next_line(Run& run, const Value& value);

// ---- lines ---------------------------------------------------------------------

/// 1 + the number of line feeds; -1 for an absent text.
long line_count(const Text& text);
/// Line n (1-based, without its line feed). n < 1: "Index of string can not be < 1"
/// (level 1) and absent. Past the last line: "Tried to get index of string beyond
/// number of strings" (level 1) and "". An empty or absent text gives "" for any n >= 1.
Text line_of(Run& run, const Text& text, long n);
/// line_of for the text of a cell, going on from the line the cell's cursor marks when
/// that is at or before line n, so that reading a text line by line costs its length
/// once. Sets last when line n is the text's last line or lies past it (or the text is
/// absent): the point where a line-wise read is exhausted.
Text cell_line(Run& run, LineCell& cell, long n, bool& last);
/// As cell_line, into out (whose storage is reused); false where cell_line gives NULL.
bool cell_line_into(Run& run, LineCell& cell, long n, bool& last, std::string& out);

// ---- texts -----------------------------------------------------------------------

/// a followed by b; absent when either is absent.
Text concatenate(Text a, Text b);
/// Replaces buffer by text when it fits in size - 1 characters; otherwise leaves buffer
/// alone after "Tried to copy %s into a %d size string" (size - 1), or "Tried to copy
/// a NULL string" for an absent text. False when nothing was copied.
bool copy_bounded(Run& run, std::string& buffer, const Text& text, int size);
/// Appends text when the result fits in size - 1 characters; otherwise "Tried to join %s
/// and %s into a %d size string" (size - 1), or "Tried to join one or more NULL
/// string(s)" for an absent text. False when nothing was appended.
bool append_bounded(Run& run, std::string& buffer, const Text& text, int size);
/// Removes trailing blanks and tabs in place.
void trim_trailing(std::string& text);
/// The text with & < > " ' written as &amp; &lt; &gt; &quot; &apos;.
std::string xml_escape(std::string_view text);

// ---- calendar --------------------------------------------------------------------

/// Whether February of year has 29 days.
bool is_leap_year(long year);
/// Days in month (1-12; outside that range the nearest of the two ends) of year.
int days_in_month(int month, long year);
/// day clamped into 1 .. days_in_month(month, year).
int clamp_day(int day, int month, long year);

}  // namespace morvel
