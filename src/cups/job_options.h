#pragma once
// The options a print server hands a filter as one word: name=value pairs separated
// by blanks, values quoted with '...' or "..." or grouped in {...}, and "\" escaping
// the next character.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

/// One name=value pair; a bare name has the value "true".
struct JobOption {
    std::string name;
    std::string value;
};

/// Reads the pairs in order. Quotes and escapes are taken off a value; braces are
/// kept, as they group a collection value. Never fails: unterminated quotes end at the end.
std::vector<JobOption> parse_job_options(std::string_view text);

/// The value of the last pair with the name (names compare ignoring case), or none.
std::optional<std::string> find_job_option(const std::vector<JobOption>& options,
                                           std::string_view name);

}  // namespace morvel
