#include "values/identifiers.h"

#include <array>
#include <charconv>
#include <new>

#include "core/messages.h"
#include "language/hints.h"
#include "run.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

// Names are kept in 32-byte fields in token files and the client data file.
constexpr int kNameSize = 32;

constexpr const char* kDefaultIdentifiers[] = {"default_extract",
                                               "default_line",
                                               "default_reformat",
                                               "default_hp_font",
                                               "default_epson_font",
                                               "first_page",
                                               "last_page",
                                               "repeat_count",
                                               "execute_status",
                                               "spool_page",
                                               "spool_name",
                                               "spool_line",
                                               "page_length",
                                               "last_x",
                                               "last_y",
                                               "repeat_base",
                                               "first_of_doc",
                                               "last_of_doc",
                                               "utf8",
                                               "default_input"};

Identifier* find(IdentifierIndex& index, std::string_view name) {
    auto it = index.by_name.find(folded(name));
    return it == index.by_name.end() ? nullptr : it->second;
}

// Hangs entry into the tree where a descent from the root would put it. New extremes
// go straight to the leftmost or rightmost entry: the descent would end there anyway,
// and definitions written in sorted order would otherwise cost a full walk each.
void attach(std::unique_ptr<Identifier>& root, IdentifierIndex& index,
            std::unique_ptr<Identifier> entry) {
    Identifier* added = entry.get();
    if (!root) {
        root = std::move(entry);
        index.smallest = index.largest = added;
    } else if (index.largest && compare_ignore_case(added->name, index.largest->name) > 0) {
        index.largest->right = std::move(entry);
        index.largest = added;
    } else if (index.smallest && compare_ignore_case(added->name, index.smallest->name) < 0) {
        index.smallest->left = std::move(entry);
        index.smallest = added;
    } else {
        Identifier* node = root.get();
        for (;;) {
            std::unique_ptr<Identifier>& next =
                compare_ignore_case(added->name, node->name) < 0 ? node->left : node->right;
            if (!next) {
                next = std::move(entry);
                break;
            }
            node = next.get();
        }
    }
    index.by_name.emplace(folded(added->name), added);
}

// A new table entry with its name copied in. A name too long for the 31-character
// field is refused with a message and the entry keeps an empty name.
std::unique_ptr<Identifier> new_entry(Run& run, std::string_view name, IdKind kind) {
    std::unique_ptr<Identifier> entry(new (std::nothrow) Identifier);
    if (!entry) {
        report_error(run, 2, "Unable to allocate space for identifer");
        return nullptr;
    }
    copy_bounded(run, entry->name, std::string(name), kNameSize);
    entry->kind = kind;
    entry->line = run.current_line;
    return entry;
}

// The variable record of name for an assignment, or nullptr after the message.
VariableRecord* variable_for_text(Run& run, const std::string& name) {
    Identifier* id = lookup(run, name);
    if (!id || !id->object) {
        report_error(run, 0, "Unable to find variable %s", name.c_str());
        return nullptr;
    }
    auto* var = id->as<VariableRecord>();
    if (id->kind != IdKind::Variable || !var) {
        report_error(run, 0, "%s is not a string variable", name.c_str());
        return nullptr;
    }
    return var;
}

bool traces_values(const Run& run) {
    return (run.trace_flags & 4) != 0;
}

void assign_text(Run& run, VariableRecord& var, const char* name, Text&& text) {
    assign_cell(var.cell, std::move(text));
    const Text& set = var.cell.value;
    if (traces_values(run)) {
        if (set)
            log_large_message(run, "Setting var %s=\"%s\"", name, set->c_str());
        else
            report_info(run, "Setting var %s=NULL", name);
    }
}

void assign_integer(Run& run, VariableRecord& var, const char* name, long value) {
    // As assign_cell(cell, from_integer(value)), reusing the storage the cell already
    // has: loops set their counters on every pass.
    LineCell& cell = var.cell;
    std::array<char, 24> digits;
    auto written = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    if (cell.value && cell.previous) {
        cell.previous->assign(*cell.value);
        cell.value->assign(digits.data(), written.ptr);
        cell.previous_is_value = false;
        cell.cursor = {};
        cell.line_index = 1;
        cell.exhausted = false;
    } else {
        assign_cell(cell, std::string(digits.data(), written.ptr));
    }
    if (traces_values(run)) report_info(run, "Setting var %s=\"%ld\"", name, value);
}

}  // namespace

Identifier::~Identifier() {
    // Move every descendant into a work list before it dies, so no destructor ever
    // finds a child left to destroy.
    std::vector<std::unique_ptr<Identifier>> pending;
    if (left) pending.push_back(std::move(left));
    if (right) pending.push_back(std::move(right));
    while (!pending.empty()) {
        std::unique_ptr<Identifier> node = std::move(pending.back());
        pending.pop_back();
        if (node->left) pending.push_back(std::move(node->left));
        if (node->right) pending.push_back(std::move(node->right));
    }
}

std::vector<Identifier*> preorder(Identifier* root) {
    std::vector<Identifier*> order;
    std::vector<Identifier*> stack;
    if (root) stack.push_back(root);
    while (!stack.empty()) {
        Identifier* node = stack.back();
        stack.pop_back();
        order.push_back(node);
        if (node->right) stack.push_back(node->right.get());
        if (node->left) stack.push_back(node->left.get());
    }
    return order;
}

void assign_cell(LineCell& cell, Text text) {
    cell.previous = std::move(cell.value);
    cell.previous_is_value = false;
    cell.value = std::move(text);
    cell.cursor = {};
    cell.line_index = 1;
    cell.exhausted = false;
}

bool define(Run& run, std::string_view name, IdKind kind) {
    std::unique_ptr<Identifier> entry = new_entry(run, name, kind);
    if (!entry) return false;
    if (find(run.ids.definition_index, entry->name)) {
        std::string written(name);
        report_error(run, 0, "Duplicate definition of %s", written.c_str());
        return false;
    }
    attach(run.ids.definitions, run.ids.definition_index, std::move(entry));
    return true;
}

bool reference(Run& run, std::string_view name) {
    std::unique_ptr<Identifier> entry = new_entry(run, name, IdKind::Reference);
    if (!entry) return false;
    if (find(run.ids.reference_index, entry->name)) return true;
    attach(run.ids.references, run.ids.reference_index, std::move(entry));
    return true;
}

Identifier* lookup(Run& run, std::string_view name) {
    return find(run.ids.definition_index, name);
}

Identifier* is_referenced(Run& run, std::string_view name) {
    return find(run.ids.reference_index, name);
}

bool is_default_identifier(std::string_view name) {
    for (const char* known : kDefaultIdentifiers)
        if (equal_ignore_case(name, known)) return true;
    return false;
}

bool check_references(Run& run) {
    bool ok = true;
    std::vector<std::string> declared;  // filled at the first name not found
    for (Identifier* used : preorder(run.ids.references.get())) {
        if (lookup(run, used->name) || is_default_identifier(used->name)) continue;
        // A check names the place of the first use.
        if (run.check && !run.check->full()) run.check->pin_name(used->name, false);
        report_error(run, 0, "Couldnt find definition of %s at line %d", used->name.c_str(),
                     used->line);
        if (run.check) run.check->unpin();
        if (declared.empty()) {
            // The names every definition has are declared like the others by then.
            for (const Identifier* d : preorder(run.ids.definitions.get()))
                declared.push_back(d->name);
        }
        std::string hint = did_you_mean(used->name, declared);
        if (!hint.empty()) report_note(run, "%s", hint.c_str());
        ok = false;
    }
    return ok;
}

bool check_unused(Run& run) {
    bool ok = true;
    for (Identifier* declared : preorder(run.ids.definitions.get())) {
        // Output programs run by themselves at the end of a document, so nobody names them.
        if (declared->kind == IdKind::Output || is_referenced(run, declared->name) ||
            is_default_identifier(declared->name))
            continue;
        if (run.check && !run.check->full()) run.check->pin_name(declared->name, true);
        report_warning(run, 0, "%s defined but not used, at line %d", declared->name.c_str(),
                       declared->line);
        if (run.check) run.check->unpin();
        ok = false;
    }
    return ok;
}

bool create_objects(Run& run) {
    bool ok = true;
    for (Identifier* id : preorder(run.ids.definitions.get())) {
        if (id->object) continue;
        id->object = make_id_object(run, *id);
        if (!id->object) ok = false;
    }
    return ok;
}

void add_default_identifiers(Run& run) {
    if (!lookup(run, "default_line")) define(run, "default_line", IdKind::Field);
    if (!lookup(run, "default_hp_font")) define(run, "default_hp_font", IdKind::HpFont);
    if (!lookup(run, "default_epson_font")) define(run, "default_epson_font", IdKind::EpsonFont);
}

int create_internal_variables(Run& run) {
    for (const char* name : kInternalVariables) {
        if (!define(run, name, IdKind::Variable)) {
            report_error(run, 2, "Unable to create %s variable", name);
            return -1;
        }
    }
    run.ids.internal_variables_ready = true;
    return 0;
}

void initialise_internal_variables(Run& run, std::string_view spool_name) {
    set_integer_variable(run, "first_page", 1);
    set_integer_variable(run, "last_page", 0);
    set_integer_variable(run, "repeat_count", 0);
    set_integer_variable(run, "execute_status", 0);
    set_text_variable(run, "spool_name", std::string(spool_name));
    set_text_variable(run, "spool_page", std::string());
    set_text_variable(run, "spool_line", std::string());
    set_integer_variable(run, "last_x", 0);
    set_integer_variable(run, "last_y", 0);
    set_integer_variable(run, "repeat_base", 0);
    set_integer_variable(run, "utf8", 0);
}

bool set_text_variable(Run& run, std::string_view name, const Text& text) {
    if (!run.ids.internal_variables_ready) return false;
    return set_text_variable(run, name, Text(text));
}

bool set_text_variable(Run& run, std::string_view name, Text&& text) {
    if (!run.ids.internal_variables_ready) return false;
    std::string var_name(name);
    VariableRecord* var = variable_for_text(run, var_name);
    if (!var) return false;
    assign_text(run, *var, var_name.c_str(), std::move(text));
    return true;
}

bool set_integer_variable(Run& run, std::string_view name, long value) {
    std::string var_name(name);
    Identifier* id = lookup(run, var_name);
    if (!id || !id->object) {
        report_error(run, 2, "Unable to find %s variable", var_name.c_str());
        return false;
    }
    auto* var = id->as<VariableRecord>();
    if (id->kind != IdKind::Variable || !var) {
        report_error(run, 0, "%s is not a string variable", var_name.c_str());
        return false;
    }
    assign_integer(run, *var, var_name.c_str(), value);
    return true;
}

VariableRecord* internal_variable(Run& run, Internal which) {
    auto& slot = run.ids.internal[static_cast<std::size_t>(which)];
    // The entry never moves once defined; its object is made later, so the record is
    // taken again whenever the entry's object is not the one remembered.
    if (!slot.id) slot.id = lookup(run, kInternalVariables[static_cast<int>(which)]);
    if (!slot.id) return nullptr;
    if (slot.record == nullptr || slot.id->object.get() != slot.record)
        slot.record = slot.id->kind == IdKind::Variable ? slot.id->as<VariableRecord>() : nullptr;
    return slot.record;
}

Text variable_text(Run& run, Internal which) {
    VariableRecord* var = internal_variable(run, which);
    return var ? var->cell.value : std::nullopt;
}

bool set_text_variable(Run& run, Internal which, Text&& text) {
    if (!run.ids.internal_variables_ready) return false;
    VariableRecord* var = internal_variable(run, which);
    if (!var)
        return set_text_variable(run, kInternalVariables[static_cast<int>(which)], std::move(text));
    assign_text(run, *var, kInternalVariables[static_cast<int>(which)], std::move(text));
    return true;
}

bool set_text_variable(Run& run, Internal which, const Text& text) {
    return set_text_variable(run, which, Text(text));
}

bool set_integer_variable(Run& run, Internal which, long value) {
    VariableRecord* var = internal_variable(run, which);
    const char* name = kInternalVariables[static_cast<int>(which)];
    if (!var) return set_integer_variable(run, name, value);
    assign_integer(run, *var, name, value);
    return true;
}

bool variable_is_watched(Run& run, Internal which) {
    if (traces_values(run)) return true;
    VariableRecord* var = internal_variable(run, which);
    return var && var->named;
}

bool set_watched_integer(Run& run, Internal which, long value) {
    return !variable_is_watched(run, which) || set_integer_variable(run, which, value);
}

long get_integer_variable(Run& run, Internal which) {
    VariableRecord* var = internal_variable(run, which);
    if (!var) return get_integer_variable(run, kInternalVariables[static_cast<int>(which)]);
    return to_integer(run, var->cell.value);
}

bool set_last_page(Run& run, long value) {
    Identifier* id = lookup(run, "last_page");
    auto* var = id ? id->as<VariableRecord>() : nullptr;
    if (!var) {
        report_error(run, 2, "Unable to find last_page variable");
        return false;
    }
    var->cell.value = from_integer(value);
    var->cell.cursor = {};
    return true;
}

long get_integer_variable(Run& run, std::string_view name) {
    std::string var_name(name);
    Identifier* id = lookup(run, var_name);
    auto* var = id ? id->as<VariableRecord>() : nullptr;
    if (!var) {
        report_error(run, 2, "Unable to find %s variable", var_name.c_str());
        return -1;
    }
    return to_integer(run, var->cell.value);
}

bool override_variable(Run& run, std::string_view word) {
    std::size_t equals = word.find('=');
    if (equals == std::string_view::npos) {
        std::string written(word);
        report_error(run, 0, "Missing variable value in variable override %s", written.c_str());
        run.MEMORY_ERROR = 1;
        return false;
    }
    std::string name(word.substr(0, equals));
    Identifier* id = lookup(run, name);
    if (!id || !id->object) {
        report_warning(run, 0, "Unable to find variable %s to override", name.c_str());
        return true;
    }
    if (!set_text_variable(run, name, std::string(word.substr(equals + 1)))) {
        run.MEMORY_ERROR = 1;
        return false;
    }
    return true;
}

bool is_variable(const Identifier& id) {
    return id.kind == IdKind::Variable;
}

bool is_value_identifier(const Identifier& id) {
    return id.kind == IdKind::Variable || id.kind == IdKind::Field;
}

}  // namespace morvel
