#pragma once
// Token files: a definition compiled to its scrambled token stream (-t), loaded in
// place of the source by later runs; and the scrambled definition sources of -k.
//
// Layout: four zero bytes (never scrambled), then byte 4 = 0, version 1, mode (5, or
// 10 for execute-only), the token stream of pass 1, that of pass 2, a trailer byte 0;
// everything from byte 4 on is scrambled with the key 724. A file whose byte 4 is not
// zero is of the first format, whose stream starts at byte 4.
#include <optional>
#include <string>
#include <string_view>

#include "core/file_handle.h"

namespace morvel {

struct Run;

inline constexpr unsigned char kTokenFileVersion = 1;
inline constexpr unsigned char kNormalMode = 5;
inline constexpr unsigned char kExecuteOnlyMode = 10;

/// A run's token files (a member of Run). Going away, it deletes a token file that
/// was begun but never completed and the -k temporary file.
struct TokenFiles {
    std::string writing_path;   ///< -t file while it is being written
    FileHandle writing;         ///< open from its creation to its completion
    std::string recorded;       ///< recorded tokens not yet written (the scanner spills them)
    bool write_failed = false;  ///< writing recorded tokens to the file failed
    bool completed = false;

    std::string stream;           ///< loaded token stream, from its first token
    bool loaded = false;          ///< the definition was a token file
    std::string temp_definition;  ///< -k: the unscrambled copy being compiled

    TokenFiles() = default;
    TokenFiles(const TokenFiles&) = delete;
    TokenFiles& operator=(const TokenFiles&) = delete;
    ~TokenFiles();
};

/// Creates the -t file, writes its first seven bytes and starts recording tokens, which
/// go to the file as they accumulate.
/// False (nothing reported: the run reports and ends) when it cannot be created.
bool create_token_file(Run& run);

/// Appends the recorded tokens and the trailer, then scrambles the file in place, a
/// block at a time.
/// 0, or -1 after a report; a failed file is deleted.
int finish_token_file(Run& run);

/// Opens the definition (first unscrambling it with -k): a token file is loaded and
/// handed to the scanner for replay, anything else is left to the scanner as text.
/// False after a report when the definition cannot be used.
bool load_token_file(Run& run);

/// After pass 2: releases the loaded stream and deletes the -k temporary file.
void close_token_definition(Run& run);

/// The length of the well-formed token stream at the start of bytes, its end token
/// included; none when an unknown code, a text without its zero byte or the end of the
/// bytes comes before the end token.
std::optional<std::size_t> token_stream_length(std::string_view bytes);

}  // namespace morvel
