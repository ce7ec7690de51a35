#pragma once
// Internals shared by the scanner's source files: the input buffers, the nested
// file kept aside, and the lexer entry points.
#include <cstddef>
#include <string>
#include <string_view>

#include "core/ascii.h"
#include "language/scanner.h"

namespace morvel {

/// The longest lexeme the scanner accepts; one more stops the program.
inline constexpr std::size_t kMaxLexeme = 249;
/// A string literal's decoded text must stay below this many bytes.
inline constexpr std::size_t kMaxStringBytes = 249;
/// REM and NOTE keep at most this many characters of their line.
inline constexpr std::size_t kMaxCommentText = 249;

/// One file's bytes and the read position in them.
struct ScanInput {
    std::string data;
    std::size_t pos = 0;
    std::size_t line_start = 0;  ///< offset of the current line's first byte

    /// Column (from 1) of a byte offset on the current line.
    int column_of(std::size_t offset) const {
        return static_cast<int>(offset >= line_start ? offset - line_start + 1 : 1);
    }

    bool at_end() const { return pos >= data.size(); }
    /// The byte `ahead` places after the position, or -1 past the end.
    int peek(std::size_t ahead = 0) const {
        return pos + ahead < data.size() ? static_cast<unsigned char>(data[pos + ahead]) : -1;
    }
    /// Consumes and returns one byte, or -1 at the end.
    int get() { return pos < data.size() ? static_cast<unsigned char>(data[pos++]) : -1; }
};

struct Scanner::Impl {
    ScanInput main;                 ///< the definition text
    bool main_read_failed = false;  ///< the definition could not be read whole
    bool nested_active = false;     ///< an include or uses file is being read
    ScanInput nested;
    std::string outer_file;     ///< current_file of the definition, kept aside
    int outer_line = 0;         ///< current_line of the definition, kept aside
    bool end_recorded = false;  ///< this pass's end token is already in the record
};

/// What one lexer step found.
enum class LexKind { Token, Include, Uses, InputEnd };

struct Lexed {
    LexKind kind = LexKind::InputEnd;
    Token token;
};

/// Scans the next token, #include / #uses directive, or the end of one input.
Lexed lex_one(Run& run, ScanInput& in);

/// Reads the name after #include or #uses and switches to that file (or applies a preference).
void switch_input(Run& run, bool uses);

/// The include name after environment expansion ("%VAR%rest", "%%rest").
std::string expand_include_name(std::string_view name);

/// Writes a fatal scanner stop to standard error, marks exit code 2 and abandons the pass.
[[noreturn]] void scanner_fatal(Run& run, const char* text);

}  // namespace morvel
