#pragma once
// Values that reach a /bin/sh command line as data, never as shell syntax.
#include <string>
#include <string_view>

namespace morvel {

/// The text as one shell word in double quotes: `$`, backquote, `"` and `\` are
/// escaped with a backslash, so the shell passes every character literally.
std::string shell_quoted(std::string_view text);

/// The text as shell words split at blanks and tabs, as an unquoted value always
/// split: each word is left bare when it holds only characters the shell does not
/// interpret, else quoted as by shell_quoted.
std::string shell_words(std::string_view text);

}  // namespace morvel
