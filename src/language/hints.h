#pragma once
// Hints: one more information line after a fixed compile message, saying what the
// definition probably meant. The fixed messages themselves never change.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/tokens.h"

namespace morvel {

struct Run;

/// Edit distance (insertions, deletions, substitutions, swaps of neighbours), ignoring
/// ASCII letter case.
int edit_distance(std::string_view a, std::string_view b);

/// The known words nearest to word (at most three, nearest first), when they are near
/// enough to be a slip of the keyboard; none otherwise.
std::vector<std::string> nearest_words(std::string_view word,
                                       const std::vector<std::string>& known);

/// "did you mean X?" (or "X or Y") for the known words nearest to word; empty when none
/// is near enough.
std::string did_you_mean(std::string_view word, const std::vector<std::string>& known);

/// Every keyword of the definition language, in capitals.
std::vector<std::string> reserved_words();

/// How a token reads in a message: its text, or its keyword.
std::string token_text(const Token& t);

/// After "Missing identifier": "LINE is a reserved word; choose another name" when the
/// token found is a keyword.
void hint_reserved_word(Run& run, const Token& found);

/// "MESAGE is not a setting or statement known here; did you mean MESSAGE?" for an
/// identifier found where a setting or statement should stand.
std::string unknown_word_text(const Token& found);

/// After a message about a word the parser did not expect (an unknown setting or
/// statement): the nearest keywords ("did you mean ORIENTATION?").
void hint_unknown_word(Run& run, const Token& found);

/// After "Invalid value": what was found and what is allowed there. `setting` names
/// the keyword whose value it is, or is null.
void hint_allowed_values(Run& run, const Token& found, const char* setting, const char* allowed);

/// After "Couldnt find definition of %s" for names written where a typeface belongs.
void hint_unknown_typefaces(Run& run, const std::vector<std::string>& typeface_names);

/// Whether a token right after a position shows a unit of length (mm, cm, in, pt) or an
/// operator, where a position must be a plain number of dots or a name.
bool follows_position_by_mistake(const Token& t);

/// After "Missing ," there: positions are numbers in dots at the program's resolution,
/// with the number converted at 300 per inch when `number` and a unit were given (the
/// mistake stops the first pass, before any RESOLUTION setting is kept).
void hint_position_in_dots(Run& run, std::optional<long> number, const Token& found);

/// After "Couldnt find definition of %s" for names a MASK calls: the definition file, and
/// that its [REFORMAT] section or the program in it is missing.
void hint_missing_reformat_programs(Run& run, const std::vector<std::string>& mask_calls);

}  // namespace morvel
