#pragma once
// The writer behind write_client_data_file: reference numbering, the word stream and
// the tables. Records refer to objects by number; the objects follow in the tables.
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/file_handle.h"
#include "language/tree.h"

namespace morvel {

struct Run;
struct FormDefinition;
struct FontOverride;
struct ProgramTree;

/// The program families, for the unknown-statement messages and the REPEAT records.
enum class Family { Input, Extract, Delivery, Output, Reformat };

inline constexpr int kEndOfList = 2;  ///< words 2, 0 end every statement list

class ClientDataWriter {
  public:
    explicit ClientDataWriter(Run& run) : run_(run) {}

    /// Opens the file; false after "Unable to open client dat file %s".
    bool open(const std::string& path);
    /// Numbers every program, statement and declared identifier (internal variables later).
    void number_objects();
    /// Writes the provisional header; false after a report.
    bool write_header();
    /// Numbers the internal variables and gives each a quick reference; false after a report.
    bool number_internal_variables();
    /// Header word 3: the program section starts here.
    void mark_programs() { header_[3] = static_cast<std::int32_t>(position_); }
    /// The program section (client_data_statements.cpp).
    void write_programs();
    /// Every table, in their fixed order.
    void write_tables();
    /// Rewrites the header with the table positions and closes the file; false after a report.
    bool finish();
    bool ok() const { return ok_; }

  private:
    // ---- words and references
    void word(long value);
    void text_bytes(const std::string& text);
    int next_number() { return counter_++; }
    int number_of(const void* object) const;
    /// The tag, number and source index that open every statement record.
    void statement_head(const Statement& st, int tag);
    int expression_ref(const Expression* e);
    int operand_ref(const Operand* o);
    int parameter_ref(const std::vector<std::unique_ptr<Expression>>& list);
    int value_ref(const Value& v);
    int value_ref(const std::optional<Value>& v) { return v ? value_ref(*v) : 0; }
    int text_value_ref(const Text& t);
    int string_ref(const std::string& s);
    int form_list_ref(std::vector<const FormDefinition*> forms);
    int include_list_ref(const std::vector<Value>& files);
    int override_ref(const std::optional<FontOverride>& o);
    long setting_word(const std::optional<Value>& v, long absent, const char* label);
    void fail(const char* message);
    /// Writes the 16 header words at the file's position; false after a report.
    bool put_header();

    // ---- numbering
    void number_list(const StatementList& list);
    void assign(const void* object) { numbers_.emplace(object, next_number()); }

    // ---- statements (client_data_statements.cpp)
    void statement_list(const StatementList& list, Family family);
    void statement(const Statement& st, Family family);
    bool common_statement(const Statement& st, Family family);
    bool input_statement(const Statement& st);
    bool extract_statement(const Statement& st);
    bool reformat_statement(const Statement& st);
    void repeat_record(const RepeatStatement& r, Family family);
    void text_record(const TextStatement& t);
    void attributes(const std::vector<XmlAttribute>& list);
    void extract_header(const ExtractProgram& p);
    void output_header(const OutputProgram& p);
    void reformat_header(const ReformatProgram& p);

    // ---- tables
    /// A table's header word: its position, or 0 when it has no records.
    std::int32_t table_start(bool empty) const;
    void variables_table();

    Run& run_;
    FileHandle file_;
    std::string path_;
    long position_ = 0;
    bool ok_ = true;
    int counter_ = 1;
    std::unordered_map<const void*, int> numbers_;
    std::vector<const IdObject*> variables_;  ///< variables, fields and fonts, numbered order

    // Objects referred to and not yet written, with their numbers.
    std::vector<std::pair<int, const Expression*>> expressions_;
    struct OperandEntry {
        int number;
        const Operand* operand;
        int expression;  ///< number of its nested expression, 0 for a value
    };
    std::vector<OperandEntry> operands_;
    struct Parameter {
        int number;
        int expression;
        int next;
    };
    std::vector<Parameter> parameters_;
    std::vector<std::pair<int, Value>> values_;
    std::vector<std::pair<int, std::string>> strings_;
    std::vector<std::pair<int, std::vector<const FormDefinition*>>> form_lists_;
    std::vector<std::pair<int, const std::vector<Value>*>> include_lists_;
    std::vector<std::pair<int, const FontOverride*>> overrides_;
    std::vector<std::pair<int, int>> quick_references_;
    std::int32_t header_[16] = {};
};

}  // namespace morvel
