#pragma once
// Declared names of a definition: the definition table, the reference table,
// the run-time object of each name and the internal variables.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

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
    Text value;     ///< current text (absent = NULL)
    Text previous;  ///< text before the last assignment, for CHANGE(a)
    /// previous is the same text as value (a field's first text), held only once
    bool previous_is_value = false;
    int line_index = 0;  ///< 1-based line the next line-wise read returns; 0 = never read
    bool exhausted = false;
    /// Where line `line` of value starts, so that reading line after line goes on from
    /// the last line read instead of counting line feeds from the top. Valid only for
    /// the text at `data` of `size` bytes; whatever replaces value clears it.
    struct Cursor {
        const char* data = nullptr;
        std::size_t size = 0;
        long line = 0;
        std::size_t offset = 0;
    } cursor;
};

/// The object of a variable (kind 5).
struct VariableRecord : IdObject {
    std::string name;
    LineCell cell;
    std::string initial;  ///< value given in the declaration ("" when none)
    /// A statement of the definition reads or sets it. The spool reader fills
    /// spool_page and spool_line only then (or when values are traced): nothing else
    /// can see them, and copying every page and line would cost more than the reading.
    bool named = false;
    /// A LET of the definition gives it a value read from the spool (a field, a spool
    /// variable, an XML function): a command must see that value as data.
    bool spool_filled = false;
};

/// One entry of the definition or the reference table.
struct Identifier {
    std::string name;  ///< at most 31 characters; empty when a longer name was refused
    IdKind kind = IdKind::Reference;
    int line = 0;  ///< definition line of the declaration or first use
    std::unique_ptr<IdObject> object;
    std::unique_ptr<Identifier> left, right;

    Identifier() = default;
    /// Unlinks the subtrees without recursion, so a degenerate tree of any depth can go.
    ~Identifier();

    /// The object as T, or nullptr when there is none.
    template <class T>
    T* as() const {
        return dynamic_cast<T*>(object.get());
    }
};

/// Lookup aids kept beside one search tree; they never change its shape. Entries are
/// added only through define() and reference(), which keep these in step.
struct IdentifierIndex {
    std::unordered_map<std::string, Identifier*> by_name;  ///< key: name folded to lower case
    Identifier* smallest = nullptr;  ///< leftmost entry: a new smaller name hangs on its left
    Identifier* largest = nullptr;   ///< rightmost entry: a new larger name hangs on its right
};

/// The internal variables, in the order they are created (kInternalVariables).
enum class Internal : int {
    FirstPage,
    LastPage,
    RepeatCount,
    ExecuteStatus,
    SpoolPage,
    SpoolName,
    SpoolLine,
    PageLength,
    LastX,
    LastY,
    RepeatBase,
    FirstOfDoc,
    LastOfDoc,
    Utf8,
};
inline constexpr int kInternalVariableCount = 14;

/// The two unbalanced search trees, ordered by case-insensitive name.
struct IdentifierTable {
    std::unique_ptr<Identifier> definitions;
    std::unique_ptr<Identifier> references;
    bool internal_variables_ready = false;
    IdentifierIndex definition_index;
    IdentifierIndex reference_index;
    /// Each internal variable's entry and record once found, so that the loops that set
    /// them on every pass need no lookup by name.
    struct InternalSlot {
        Identifier* id = nullptr;
        VariableRecord* record = nullptr;
    };
    std::array<InternalSlot, kInternalVariableCount> internal{};
    /// The entry of default_hp_font once found (fonts.cpp).
    Identifier* default_hp_font = nullptr;
};

}  // namespace morvel

namespace morvel {

/// Adds name with kind (at the current definition line) to the definition table;
/// "Duplicate definition of %s" and false on a clash. A name longer than 31 characters
/// is refused with "Tried to copy %s into a %d size string" and entered with an empty name.
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
/// Assigns a text (or NULL) to a variable, with its trace; false on failure. Does
/// nothing, silently, until create_internal_variables has succeeded.
bool set_text_variable(Run& run, std::string_view name, const Text& text);
/// As above, taking the text over instead of copying it (a whole spool page, say).
bool set_text_variable(Run& run, std::string_view name, Text&& text);
/// Assigns an integer, written in decimal, to a variable, with its trace.
bool set_integer_variable(Run& run, std::string_view name, long value);
/// The record of an internal variable, or nullptr before it exists.
VariableRecord* internal_variable(Run& run, Internal which);
/// The current text of an internal variable (absent when it has none or does not exist).
Text variable_text(Run& run, Internal which);
/// As set_text_variable and set_integer_variable, for an internal variable.
bool set_text_variable(Run& run, Internal which, Text&& text);
bool set_text_variable(Run& run, Internal which, const Text& text);
bool set_integer_variable(Run& run, Internal which, long value);
/// The variable read as an integer (to_integer), or -1 when it is missing.
long get_integer_variable(Run& run, Internal which);
/// Whether the spool reader must keep an internal variable up to date: a statement
/// names it, or values are traced.
bool variable_is_watched(Run& run, Internal which);
/// set_integer_variable for the variables Morvel itself never reads back (last_x,
/// last_y, repeat_base): only when variable_is_watched, since they change per line.
bool set_watched_integer(Run& run, Internal which, long value);
/// Replaces only the current value of last_page.
bool set_last_page(Run& run, long value);
/// The variable read as an integer (to_integer), or -1 when it is missing.
long get_integer_variable(Run& run, std::string_view name);
/// Applies one -v name=value override; false when the run must fail.
bool override_variable(Run& run, std::string_view word);
/// Kind 5.
bool is_variable(const Identifier& id);
/// Variable or field.
bool is_value_identifier(const Identifier& id);
/// The entries of a tree in visiting order: the entry, its left subtree, its right subtree.
std::vector<Identifier*> preorder(Identifier* root);
/// An assignment: the current text becomes the previous one, text the current one, and
/// line-wise reading starts again at line 1.
void assign_cell(LineCell& cell, Text text);
/// The fourteen internal variables in the order they are created (token files keep it).
inline constexpr const char* kInternalVariables[kInternalVariableCount] = {
    "first_page",  "last_page",   "repeat_count", "execute_status", "spool_page",  "spool_name",
    "spool_line",  "page_length", "last_x",       "last_y",         "repeat_base", "first_of_doc",
    "last_of_doc", "utf8"};

}  // namespace morvel
