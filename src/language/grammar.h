#pragma once
// The recursive-descent parser of definitions, shared by the grammar_*.cpp files.
// It reads the token stream with one token of look-ahead. Both compile passes run
// the same routines: pass 1 declares names and references, pass 2 resolves them to
// their run-time objects, converts the numbers needed at compile time and attaches
// what it built to the program records. A parse error throws CompileAbort (through
// parse_error), which compile_pass catches.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "language/parse_error.h"
#include "language/programs.h"
#include "language/tree.h"
#include "values/identifiers.h"
#include "values/text_util.h"

namespace morvel {

struct Run;
struct Token;

/// The five program families, each with its own statement set.
enum class Family { Input, Extract, Delivery, Output, Reformat };

/// Token forms a value slot accepts (combined as bits).
enum ValueForm : unsigned {
    kString = 1,   ///< a string
    kNumber = 2,   ///< an integer or real number, with an optional leading "-"
    kInteger = 4,  ///< an integer number, with an optional leading "-"
    kName = 8,     ///< an identifier: a variable or a field
};
/// "value": a string, a number or a name.
constexpr unsigned kAnyValue = kString | kNumber | kName;
/// "v": a name or an integer.
constexpr unsigned kNameOrInteger = kName | kInteger;
/// A name or a number.
constexpr unsigned kNameOrNumber = kName | kNumber;

/// Deepest nesting of blocks and sub-expressions a definition may use.
constexpr int kMaxNestingDepth = 200;

class Parser {
  public:
    Parser(Run& run, int pass);

    /// Parses the sections in their fixed order. Throws CompileAbort on a parse error.
    void parse_definition();

    // ---- Tokens (grammar.cpp) ----
    const Token& peek();
    Tok peek_code();
    Token next();
    bool accept(Tok code);
    void expect(Tok code, const char* message);
    Token expect_name(const char* message = "Missing identifier");
    [[noreturn]] void fail(const char* message, int level = 1);
    /// "Invalid value" for the token found, with a hint naming what `allowed` there
    /// (for the setting being read, when there is one).
    [[noreturn]] void fail_invalid_value(const Token& found, const char* allowed);
    bool pass2() const { return pass_ == 2; }
    /// A check run: errors are collected and the parse goes on after them.
    bool checking() const;
    Run& run() { return run_; }

    // ---- Names ----
    /// Pass 1: defines name; a refusal ends the pass with `refused` unless it is null.
    void declare(const Token& name, IdKind kind, const char* refused, int level);
    /// Pass 1: records the use and returns null. Pass 2: the identifier, which must
    /// exist with an object, else `missing` (level 3) ends the pass.
    Identifier* find(const Token& name, const char* missing = "Missing identifier");
    /// A variable or field as a value (kind checked in pass 2: "Invalid variable type").
    Value name_value(const Token& name);
    /// The variable record of name (pass 2), for LET and declarations.
    VariableRecord* variable_of(const Token& name, const char* missing);
    /// The object of name, which must be of kind `kind` (pass 2), else `wrong` (level 1).
    template <class T>
    T* object_of(const Token& name, IdKind kind, const char* wrong);

    // ---- Values ----
    Value parse_value(unsigned forms);
    /// An integer token with an optional "-" ("Invalid value" otherwise).
    long parse_integer();
    /// Compile-time integer (saturated to int) and real of a value (pass 2); a
    /// non-number reports "%s passed %s" with the role and counts as 0.
    int value_integer(const Value& v, const char* role);
    double value_number(const Value& v, const char* role);
    /// The whole text of a value at compile time ("" in pass 1 and for no text).
    std::string value_text(const Value& v);

    // ---- Expressions (grammar_expr.cpp) ----
    std::unique_ptr<Expression> parse_expression();

    // ---- Statements (grammar_statements.cpp) ----
    StatementList parse_block(Family family);
    StatementList parse_statement_list(Family family);
    std::unique_ptr<Statement> parse_statement(Family family);

    // ---- Reformat pieces used by statements (grammar_reformat.cpp) ----
    Value parse_coordinate();
    int parse_colour();
    Value parse_weight();
    FontOverride parse_font_options();

  private:
    friend struct DepthGuard;

    // Statement starts.
    struct Start {
        int source = 0;
        int line = 0;
    };
    Start here();
    std::unique_ptr<Statement> make(Tok kind, const Start& at, Payload payload);
    /// A new expression node, in the arena of this pass's nodes.
    std::unique_ptr<Expression> new_expression(Tok op, int line);

    // Program boundaries for uses files.
    struct ProgramScope {
        int source = 0;
        bool owns_flag = false;
    };
    ProgramScope begin_program();
    void end_program(const ProgramScope& scope);

    // grammar_expr.cpp
    Operand parse_comparison();
    Operand parse_additive();
    Operand parse_multiplicative();
    Operand parse_prefix();
    Operand parse_primary();
    Operand parse_name_primary(const Token& name);
    Operand parse_function(Tok op);
    Operand parse_name_function(Tok op);
    Operand operand_of(Value v);
    SharedValue share(Value v);
    Operand operand_of(std::unique_ptr<Expression> e);
    Operand binary(Tok op, Operand left, Operand right, int line);
    std::unique_ptr<Expression> to_expression(Operand o);

    // grammar_statements.cpp
    std::unique_ptr<Statement> parse_if(Family family);
    std::unique_ptr<Statement> parse_case(Family family);
    std::unique_ptr<Statement> parse_let();
    std::unique_ptr<Statement> parse_variable();
    std::unique_ptr<Statement> parse_expression_statement();
    std::unique_ptr<Statement> parse_comment();
    std::unique_ptr<Statement> parse_repeat(Family family);
    std::unique_ptr<Statement> parse_input_statement();
    std::unique_ptr<Statement> parse_extract_statement();
    std::unique_ptr<Statement> parse_output_statement();
    std::unique_ptr<Statement> parse_delivery_statement();
    std::unique_ptr<Statement> parse_field_declaration();
    std::unique_ptr<Statement> parse_xml_documents();

    // grammar_recovery.cpp: how a check goes on after an error.
    bool may_recover() const;
    /// Skips the rest of a broken statement or setting that began on `line`: up to the
    /// first word on a later line, a closing brace of this level, a section or the end.
    void skip_statement(int line);
    /// At a token that ends a list of statements or settings without being its `}`:
    /// reports it, skips its statement and says true (check only); false otherwise.
    bool skip_stray_word();
    /// Runs one program of a section; in a check an error skips to the next program
    /// header `start` (or the next section).
    template <class F>
    void recovering_program(Tok start, F parse);
    void skip_to_program(Tok start);
    /// Notes a name's declaration or use for a check.
    void record_name(const Token& name, bool declaration, IdKind kind);

    // grammar_sections.cpp
    void parse_input_section();
    void build_default_input_program();
    void parse_extract_section();
    void parse_extract_program();
    void parse_delivery_section();
    void parse_output_section();
    void parse_output_program();
    void parse_parameter_block(Invocation* invocation);
    void parse_parameter_item(Invocation* invocation);
    void parse_output_settings(OutputProgram* program);

    // grammar_reformat.cpp
    void parse_reformat_section();
    void parse_reformat_program();
    void apply_type_defaults(ReformatProgram& p, const std::string& type_word);
    void parse_mappings();
    void parse_reformat_settings();
    void parse_reformat_setting(Tok keyword);
    void parse_reformat_setting_value(Tok keyword);
    void parse_hp_font();
    void parse_epson_font();
    FormDefinition parse_form_values(bool in_settings);
    std::vector<XmlAttribute> parse_xml_attributes();
    void parse_font_slot(HpFont** hp, EpsonFont** epson);

    // grammar_reformat_stmt.cpp
    std::unique_ptr<Statement> parse_reformat_statement();
    std::unique_ptr<Statement> parse_text_statement(Tok kind);
    std::unique_ptr<Statement> parse_watermark();
    std::unique_ptr<Statement> parse_box(Tok kind);
    std::unique_ptr<Statement> parse_form_statement();
    std::unique_ptr<Statement> parse_barcode();
    std::unique_ptr<Statement> parse_block_statement(Tok kind);
    std::unique_ptr<Statement> parse_xml_tag();
    void require_printer_kind();
    void require_hpgl_allowed();

    // Pass 1 throws its tree away as it goes: its nodes live in the parser's own arena
    // and are gone when the parser is. Pass 2's nodes live in the run's.
    NodeArena pass1_nodes_;
    Run& run_;
    int pass_;
    NodeArena& nodes_;
    int depth_ = 0;
    int output_sequence_ = 0;
    int next_macro_number_ = 110;
    ExtractProgram* extract_ = nullptr;  ///< pass 2: program being compiled
    ReformatProgram* reformat_ = nullptr;
    const char* setting_ = nullptr;  ///< keyword of the setting whose value is being read
    /// The values operands share, by name and by literal text (keys view the held
    /// value's own text). Emptied when it grows past kSharedValuesKept, so that a
    /// definition of many different literals keeps a bounded table.
    std::unordered_map<std::string_view, SharedValue> shared_names_;
    std::unordered_map<std::string_view, SharedValue> shared_literals_;
};

/// Entries a table of shared operand values holds before it starts over.
constexpr std::size_t kSharedValuesKept = 4096;

/// Counts one level of nesting; past kMaxNestingDepth the pass ends.
struct DepthGuard {
    explicit DepthGuard(Parser& p);
    ~DepthGuard();
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
    Parser& parser;
};

template <class T>
T* Parser::object_of(const Token& name, IdKind kind, const char* wrong) {
    Identifier* id = find(name);
    if (!id) return nullptr;
    T* object = id->as<T>();
    if (id->kind != kind || !object) fail(wrong);
    return object;
}

template <class F>
void Parser::recovering_program(Tok start, F parse) {
    if (!checking()) return parse();
    try {
        parse();
    } catch (const CompileAbort&) {
        if (!may_recover()) throw;
        skip_to_program(start);
    }
}

/// Keyword-like words of the language (type words, colours, alignment) ignore case.
inline bool same_word(std::string_view a, std::string_view b) {
    return equal_ignore_case(a, b);
}

}  // namespace morvel
