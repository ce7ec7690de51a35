#pragma once
// The program tree: statements and expressions built by pass 2 of the compile.
// Nodes own their children; identifiers' run-time objects are only referred to.
// The kind of a statement is the token code of its keyword; every kind has one
// payload record (or none), listed with the families in tree_payloads.h and
// tree_reformat.h.
#include <memory>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "language/expression.h"
#include "language/tokens.h"
#include "language/tree_payloads.h"
#include "language/tree_reformat.h"
#include "values/value.h"

namespace morvel {

/// A payload record too large to sit in every statement, held on the heap: a simple
/// statement (LET, IF, a call) then takes a small, fixed amount, not the size of the
/// largest reformat statement.
template <class T>
struct Boxed {
    std::unique_ptr<T> record;
    Boxed(T r) : record(std::make_unique<T>(std::move(r))) {}  // NOLINT: implicit on purpose
};

/// The record a payload alternative holds, in place or boxed (for std::visit).
template <class T>
const T& unboxed(const T& record) {
    return record;
}
template <class T>
const T& unboxed(const Boxed<T>& boxed) {
    return *boxed.record;
}

/// The payload records held in a Boxed: every record larger than two pointers, so that
/// the payload of the commonest statements (LET, calls, FIELD) sets the statement's size.
template <class T>
inline constexpr bool kBoxedPayload =
    std::is_same_v<T, IfStatement> || std::is_same_v<T, CaseStatement> ||
    std::is_same_v<T, CommentStatement> || std::is_same_v<T, VariableStatement> ||
    std::is_same_v<T, RepeatStatement> || std::is_same_v<T, ValueStatement> ||
    std::is_same_v<T, DocumentStatement> || std::is_same_v<T, XmlDocumentsStatement> ||
    std::is_same_v<T, TextStatement> || std::is_same_v<T, WatermarkStatement> ||
    std::is_same_v<T, BoxStatement> || std::is_same_v<T, FormStatement> ||
    std::is_same_v<T, BarcodeStatement> || std::is_same_v<T, BlockStatement> ||
    std::is_same_v<T, XmlTagStatement>;

/// The payload records of every statement kind (monostate for EJECT_PAGE, INVOKE and
/// the output program's RESET PAGE).
using Payload =
    std::variant<std::monostate, Boxed<IfStatement>, Boxed<CaseStatement>, LetStatement,
                 ExpressionStatement, Boxed<CommentStatement>, Boxed<VariableStatement>,
                 Boxed<RepeatStatement>, Boxed<ValueStatement>, Boxed<DocumentStatement>,
                 ExtractCall, Boxed<XmlDocumentsStatement>, FieldStatement, OutputCall,
                 ReformatCall, Boxed<TextStatement>, Boxed<WatermarkStatement>, Boxed<BoxStatement>,
                 Boxed<FormStatement>, Boxed<BarcodeStatement>, Boxed<BlockStatement>,
                 Boxed<XmlTagStatement>, ArchFieldStatement>;

/// One statement. Compile pass 2 makes its statements in the run's NodeArena.
struct Statement : ArenaNode {
    Tok kind = Tok::END;
    int source_index = 0;  ///< source file the statement was read from (0 = the definition)
    int line = 0;          ///< definition line of its first token
    Payload payload;

    Statement() = default;
    Statement(Tok kind_, int source_index_, int line_, Payload payload_)
        : kind(kind_), source_index(source_index_), line(line_), payload(std::move(payload_)) {}

    /// The payload as T; the kind decides which record it holds.
    template <class T>
    T& as() {
        if constexpr (kBoxedPayload<T>)
            return *std::get<Boxed<T>>(payload).record;
        else
            return std::get<T>(payload);
    }
    template <class T>
    const T& as() const {
        return const_cast<Statement*>(this)->as<T>();
    }
    /// The payload as T, or nullptr when it holds another record.
    template <class T>
    T* get_if() {
        if constexpr (kBoxedPayload<T>) {
            auto* boxed = std::get_if<Boxed<T>>(&payload);
            return boxed ? boxed->record.get() : nullptr;
        } else {
            return std::get_if<T>(&payload);
        }
    }
    template <class T>
    const T* get_if() const {
        return const_cast<Statement*>(this)->get_if<T>();
    }

    /// Deleting frees the memory only of a statement made on the heap.
    static void operator delete(Statement* s, std::destroying_delete_t) { destroy(s); }
};

struct ProgramTree;

/// S-expression of a value: a bare number, a quoted text, a variable's name, @field.
std::string dump(const Value& v);
/// S-expression of an expression, e.g. (+ a (* b c)); argument lists in [ ].
std::string dump(const Expression& e);
/// S-expression of a statement, mirroring its written form.
std::string dump(const Statement& s);
/// The statements of a list in braces: {s1 s2}.
std::string dump(const StatementList& list);
/// One line per program: input, extract, delivery, output and reformat programs.
std::string dump(const ProgramTree& tree);

}  // namespace morvel
