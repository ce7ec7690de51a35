#pragma once
// The scanner: definition text (with #include and #uses files) or a replayed
// token stream in, tokens out, with one token of look-ahead.
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "language/tokens.h"

namespace morvel {

struct Run;

/// A file the definition was read from: the definition itself (index 0) and each uses file.
struct SourceFile {
    std::string name;
    bool read_only = false;
};

/// The scanner's state for one run (a member of Run).
struct Scanner {
    int pass = 0;                 ///< 1 or 2 while compiling
    std::string definition_path;  ///< file the text is read from
    /// The definition's text when it is given, not read from definition_path (an
    /// editor's unsaved text); definition_path then only names it.
    const std::string* text = nullptr;
    std::vector<SourceFile> sources;  ///< source file list, index 0 = the definition
    int source_index = 0;             ///< file being read: 0, or the uses file's index
    bool file_switch_forbidden = false;
    std::optional<Token> lookahead;       ///< a peeked token not yet handed out
    const std::string* replay = nullptr;  ///< loaded token stream from its first token
    std::size_t replay_pos = 0;
    std::string* record = nullptr;  ///< token file being written, when recording
    /// Takes the recorded bytes once they pass kRecordSpillBytes (and empties them), so
    /// that recording holds a bounded amount however long the definition is.
    std::function<void(std::string&)> record_spill;
    int fatal_exit = 0;  ///< 2 once a fatal scanner stop happened
    struct Impl;         ///< buffers and nested-file state
    std::shared_ptr<Impl> impl;
};

/// Recorded bytes handed to Scanner::record_spill at a time.
inline constexpr std::size_t kRecordSpillBytes = 64 * 1024;

/// Starts a compile pass: rewinds the definition (or the replayed stream), line 1,
/// empties the look-ahead and registers the definition as source 0. False when unreadable.
bool scanner_start_pass(Run& run, int pass);
/// Releases the input buffers and closes the definition stream (after pass 2).
void scanner_finish(Run& run);
/// Returns and consumes the next token.
Token next_token(Run& run);
/// Returns the next token without consuming it.
const Token& peek_token(Run& run);
/// Adds a file to the source file list (or finds it) and returns its index, -1 on failure.
int register_source_file(Run& run, std::string_view name, bool read_only);
void set_file_switch_forbidden(Run& run);
void clear_file_switch_forbidden(Run& run);
bool file_switch_forbidden(const Run& run);

/// Appends a token to a token stream: its code byte (255 for -1), then text and a zero byte.
void append_token_bytes(std::string& stream, const Token& token);

}  // namespace morvel
