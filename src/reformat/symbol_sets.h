#pragma once
// The Latin symbol sets a printer page selects, and how a character of a UTF-8 spool
// is written in them: one byte of the set, or "?" when the set has no such character.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

/// The symbol sets whose characters are known here.
enum class SymbolSet { Roman8, Latin1, Latin9, Pc8, Pc850, WindowsLatin1, Ascii };

/// The set of a PCL symbol-set identifier as SYMBOL_SET gives it ("8U", "0N", "10U", ...);
/// none for sets that are not Latin text sets (their bytes are left as they are).
std::optional<SymbolSet> symbol_set_of(std::string_view id);

/// The byte that shows character `code` in `set`, or none.
std::optional<unsigned char> symbol_byte(SymbolSet set, char32_t code);

/// Rewrites UTF-8 `text` into bytes of `set`, one byte per character; a character the
/// set cannot show, and a byte that is not part of a UTF-8 character, become "?".
/// The byte offsets in `marks` are moved to where the same ASCII text now starts.
/// Returns how many characters became "?"; the first few of them (at most
/// kMissingKept, each once) are added to `missing` when it is given.
std::size_t utf8_to_symbol_set(std::string& text, std::vector<std::size_t>& marks, SymbolSet set,
                               std::vector<char32_t>* missing = nullptr);

/// How many characters utf8_to_symbol_set keeps for a hint.
inline constexpr std::size_t kMissingKept = 16;

/// The identifier of a symbol set known here that shows every one of `codes`, the
/// Windows Latin 1 set 19U first (it has the euro sign and the dashes); none when no
/// set does.
std::optional<std::string_view> symbol_set_showing(const std::vector<char32_t>& codes);

}  // namespace morvel
