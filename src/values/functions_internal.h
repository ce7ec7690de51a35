#pragma once
// The functions of the built-in library, each over plain texts so that it can be
// tested without the evaluator. functions.cpp evaluates the arguments, handles
// the ones that fail to evaluate, and calls these.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "values/identifiers.h"
#include "values/text.h"

namespace morvel {

struct Run;

// ---- Character helpers (functions_text.cpp) ----

/// Number of characters of s (valid UTF-8 sequences, any other byte counting as one).
std::size_t utf8_count(std::string_view s);
/// Byte offset reached after skipping `chars` characters from byte `from` (at most s.size()).
std::size_t utf8_advance(std::string_view s, std::size_t from, std::size_t chars);
/// First position at or after `from` where needle occurs, letter case ignored; npos when none.
std::size_t find_nocase(std::string_view hay, std::string_view needle, std::size_t from);
/// The mode of a character function (non-zero = UTF-8): the mode text read like atoi, else
/// the internal variable utf8, else the -u setting.
int character_mode(Run& run, const Text& mode_text);

// ---- Text functions (functions_text.cpp) ----

/// LENGTH: characters when mode is exactly 1, else bytes.
Text fn_length(std::string_view text, int mode);
/// UCASE / LCASE: every byte through toupper / tolower of the run's locale.
Text fn_ucase(std::string text);
Text fn_lcase(std::string text);
/// SUBSTRING: `length` characters (mode 1) or bytes from position `start`.
Text fn_substring(Run& run, std::string_view text, const Text& start, const Text& length, int mode);
/// INSTR: 1-based position of search at or after start, "0" when absent.
/// Mode 1: exact, in characters; else letter case ignored, in bytes.
Text fn_instr(Run& run, std::string_view text, std::string_view search, const std::string& start,
              int mode);
/// LEFT_PAD (left = true) and RIGHT_PAD: pads with the first character of pad to length.
Text fn_pad(Run& run, bool left, std::string_view text, std::string_view pad,
            const std::string& length, int mode);
/// DELETE: the text without `length` bytes from position `start`.
Text fn_delete(Run& run, std::string_view text, const Text& start, const Text& length);
/// REPLACE_STRING: every occurrence of search (letter case ignored) replaced, left to right.
Text fn_replace_string(Run& run, std::string_view text, std::string_view search,
                       std::string_view replacement);
/// ASC: code point of the first character (mode 1) or its first byte as a signed number.
Text fn_asc(std::string_view text, int mode);
/// CHR: the UTF-8 encoding of code point n (mode 1) or the single byte n.
Text fn_chr(std::string_view n, int mode);

// ---- Number functions (functions_number.cpp) ----

/// Reads the leading integer of a text like atol, saturating instead of overflowing.
long leading_integer(std::string_view text);
/// INT: the leading integer part of a number; any other text unchanged.
Text fn_int(const std::string& x);
/// MODULUS: remainder of the two leading integers, "" for a zero divisor or a non-number.
Text fn_modulus(const std::string& a, const std::string& b);
/// FORMAT: the number laid out by the picture; the picture itself after most errors.
Text fn_format(Run& run, const std::string& picture, const Text& number);

// ---- Date functions (functions_date.cpp) ----

/// A base date as written: day (already cut to the month's length), month 1-12 as written
/// (it may lie outside 1-12 and is then carried by the calendar), full year.
struct BaseDate {
    int day = 1;
    int month = 1;
    int year = 1970;
};
/// Reads DD/MM/YYYY, DD/MM/YY (70-99 = 19YY) or DDMMYYYY; nullopt when the text is none of them.
std::optional<BaseDate> read_base_date(std::string_view text);
/// DATE and DATE(format): the current local date ("%d/%m/%Y") or the format applied to it.
Text fn_date_now(Run& run, const Text& format);
/// DATE(base, x, y): x a comparison ("<", "<=", ">", ">=", "=", "<>") against the date y,
/// or a modify text applied to the base before formatting it with y.
Text fn_date(Run& run, const Text& base, const std::string& x, const std::string& y);

// ---- List functions (functions_list.cpp) ----

/// CSV_VALUE: cell `position` of the first line. A given delimiter becomes the run's CSV
/// delimiter; flags bit 1 makes double quotes ordinary characters.
Text fn_csv_value(Run& run, std::string_view text, long position, std::optional<char> delimiter,
                  int flags);
/// COLON_FIELD: the value after "label:" on the line whose name part equals label.
Text fn_colon_field(std::string_view text, std::string_view label);
/// INSERT_LINE: value with `line` inserted as line `position` (below 1 counts as 1).
Text fn_insert_line(std::string_view value, std::string_view line, long position);
/// DELETE_LINE: value without line n; unchanged when there is no line n.
Text fn_delete_line(std::string_view value, long n);

/// One value reordered by SORT_VALUES: a variable's or a field's text.
struct SortTarget {
    LineCell* cell = nullptr;
    bool is_variable = true;
    std::string name;
};
/// SORT_VALUES: sorts the lines of targets[0] and reorders every further target the same way.
/// "1" when all were reordered, "0" when one had the wrong number of lines, the key's text
/// when it has fewer than two lines.
Text fn_sort_values(Run& run, std::string_view type, std::string_view direction,
                    const std::vector<SortTarget>& targets);

// ---- File, environment, settings and parameter functions (functions_file.cpp) ----

/// READ_FILE: the whole file up to its first zero byte; carriage returns dropped unless keep > 0.
Text fn_read_file(Run& run, const std::string& name, long keep);
/// CREATE_FILE: creates or empties the file (a new temporary file for an empty name), writes
/// text when given; the file name.
Text fn_create_file(Run& run, const std::string& name, const Text& text);
/// APPEND_FILE: appends text with CR LF line ends (flags 1: LF alone; 2: no final line end).
Text fn_append_file(Run& run, const std::string& name, std::string_view text, long flags);
/// TEMPNAM: creates a new empty file named from prefix in the temporary directory; its name,
/// or NULL without a message.
Text fn_tempnam(Run& run, const std::string& prefix);
/// GETENV: the environment variable, else fallback, else "".
Text fn_getenv(const std::string& name, const Text& fallback);
/// GET_SETTING: the value of key in the first [section] of a settings text, or "".
Text fn_get_setting(Run& run, std::string_view text, const std::string& section,
                    const std::string& key, std::string_view separator);
/// PARAMETER: slot n (0-9) of the running reformat function, "" when unset.
Text fn_parameter(Run& run, const std::string& n);

}  // namespace morvel
