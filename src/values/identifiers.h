#pragma once
// Declared names of a definition: the definition table, the reference table,
// the run-time object of each name and the internal variables.
#include <memory>
#include <string>
#include <string_view>

#include "values/text.h"

namespace morvel {

struct Run;

/// Kinds of identifiers; the numbers are stored in token files.
enum class IdKind : int {
    Extract = 1,
    Reformat = 2,
    Output = 4,
    Variable = 5,
    Reference = 8,
    Field = 9,
    HpFont = 11,
    EpsonFont = 12,
};

/// Base of every run-time object an identifier owns (variable, field, program, font).
struct IdObject {
    virtual ~IdObject() = default;
};

/// A text that is read line by line: the value of a variable or the text of a field.
struct LineCell {
    Text value;           ///< current text (absent = NULL)
    Text previous;        ///< text before the last assignment, for CHANGE(a)
    int line_index = 0;   ///< 1-based line the next line-wise read returns; 0 = never read
    bool exhausted = false;
};

/// The object of a variable (kind 5).
struct VariableRecord : IdObject {
    std::string name;
    LineCell cell;
    std::string initial;  ///< value given in the declaration ("" when none)
};

/// One entry of the definition or the reference table.
struct Identifier {
    std::string name;  ///< at most 31 characters; empty when a longer name was refused
    IdKind kind = IdKind::Reference;
    int line = 0;      ///< definition line of the declaration or first use
    std::unique_ptr<IdObject> object;
    std::unique_ptr<Identifier> left, right;

    /// The object as T, or nullptr when there is none.
    template <class T>
    T* as() const { return dynamic_cast<T*>(object.get()); }
};

/// The two unbalanced search trees, ordered by case-insensitive name.
struct IdentifierTable {
    std::unique_ptr<Identifier> definitions;
    std::unique_ptr<Identifier> references;
    bool internal_variables_ready = false;
};

}  // namespace morvel

namespace morvel {

/// Adds name with kind to the definition table; "Duplicate definition of %s" on a clash.
bool define(Run& run, std::string_view name, IdKind kind);
/// Adds name to the reference table (kind 8); a known name is simply dropped.
bool reference(Run& run, std::string_view name);
/// The declared identifier of that name (letter case ignored), or nullptr.
Identifier* lookup(Run& run, std::string_view name);
/// The reference-table entry of that name, or nullptr.
Identifier* is_referenced(Run& run, std::string_view name);
/// Whether name is one of the names that count as declared and used.
bool is_default_identifier(std::string_view name);
/// Reports every used but undeclared name; false if there was one.
bool check_references(Run& run);
/// Warns about every declared but unused name; false if there was one.
bool check_unused(Run& run);
/// Gives every declared identifier its run-time object.
bool create_objects(Run& run);
/// Builds the run-time object for one identifier by its kind (nullptr for an unknown kind).
std::unique_ptr<IdObject> make_id_object(Run& run, const Identifier& id);
/// Declares default_line, default_hp_font and default_epson_font when the definition did not.
void add_default_identifiers(Run& run);
/// Defines the fourteen internal variables; 0, or -1 after "Unable to create %s variable".
int create_internal_variables(Run& run);
/// Gives the internal variables their start-of-run values.
void initialise_internal_variables(Run& run, std::string_view spool_name);
/// Assigns a text (or NULL) to a variable, with its trace; false on failure.
bool set_text_variable(Run& run, std::string_view name, const Text& text);
/// Assigns an integer, written in decimal, to a variable.
bool set_integer_variable(Run& run, std::string_view name, long value);
/// Replaces only the current value of last_page.
bool set_last_page(Run& run, long value);
/// The variable read as an integer, or -1 when it is missing.
long get_integer_variable(Run& run, std::string_view name);
/// Applies one -v name=value override; false when the run must fail.
bool override_variable(Run& run, std::string_view word);
/// Kind 5.
bool is_variable(const Identifier& id);
/// Variable or field.
bool is_value_identifier(const Identifier& id);

}  // namespace morvel
