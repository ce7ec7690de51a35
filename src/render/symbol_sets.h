#pragma once
// Symbol sets given as tables: the character each code of the set stands for.
#include <cstdint>
#include <span>
#include <string_view>

namespace morvel::render {

struct SymbolSetEntry {
    std::uint8_t code;
    char32_t character;
};

struct SymbolSetTable {
    std::string_view id;  ///< "7J", "8M" ...
    bool ascii;           ///< codes 32 to 126 are ASCII unless an entry says otherwise
    std::span<const SymbolSetEntry> entries;
};

/// The table of a symbol set iconv does not serve, nullptr for others.
const SymbolSetTable* find_symbol_set(std::string_view id);

/// The symbols the PC-8 family prints for codes 1 to 31 and 127.
std::span<const SymbolSetEntry> pc8_low_codes();

}  // namespace morvel::render
