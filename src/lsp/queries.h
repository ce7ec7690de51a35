#pragma once
// The editor's questions about one definition, answered from the real lexer, the
// grammar's check and the built-in function table. Plain C++: the protocol layer
// (server.h) turns these into messages. Lines and columns here count from 0, as
// editors do; columns count bytes.
#include <optional>
#include <string>
#include <vector>

#include "core/check_sink.h"
#include "language/tokens.h"

namespace morvel::lsp {

struct Place {
    int line = 0;
    int column = 0;
    bool operator==(const Place&) const = default;
};

struct Span {
    Place start;
    Place end;
};

/// What is known about one version of a document.
struct Analysis {
    std::string path;
    std::string text;
    std::vector<Token> tokens;  ///< lines and columns from 1, as the scanner counts
    CheckSink check;            ///< messages, and the declarations and uses of names
};

/// Definitions larger than this are not analysed (one message says so).
inline constexpr std::size_t kMaxDocumentBytes = 8 * 1024 * 1024;

Analysis analyse(const std::string& path, const std::string& text);

struct Diagnostic {
    Span span;
    CheckSeverity severity = CheckSeverity::Error;
    std::string message;
};
/// The check's messages; a note joins the message it belongs to. Messages about an
/// included file stand at its #include line and name the file.
std::vector<Diagnostic> diagnostics(const Analysis& a);

enum class ItemKind { Keyword, Function, Variable, Field, Program, Font, Output };
struct CompletionItem {
    std::string label;
    ItemKind kind = ItemKind::Keyword;
    std::string detail;
};
/// The words that fit at `at`: keywords that may start a statement there, or (inside a
/// statement) the declared names and the built-in functions with their forms.
std::vector<CompletionItem> complete(const Analysis& a, Place at);

/// Markdown about the word at `at`, when there is anything to say.
std::optional<std::string> hover(const Analysis& a, Place at);

struct Location {
    std::string path;
    Span span;
};
/// Where the name at `at` is declared.
std::optional<Location> definition(const Analysis& a, Place at);
/// Every place the name at `at` is written (its declaration too when asked).
std::vector<Location> references(const Analysis& a, Place at, bool with_declaration);

struct Symbol {
    std::string name;
    bool section = false;  ///< a section; else a program
    Span span;
    Span name_span;
    std::vector<Symbol> children;
};
/// The sections, each with its programs.
std::vector<Symbol> document_symbols(const Analysis& a);

struct Fold {
    int start_line = 0;
    int end_line = 0;
};
/// Braces that span lines, and the sections.
std::vector<Fold> folding_ranges(const Analysis& a);

}  // namespace morvel::lsp
