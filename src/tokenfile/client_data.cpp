#include "tokenfile/client_data.h"

#include <cstring>

#include "core/messages.h"
#include "language/field.h"
#include "language/programs.h"
#include "run.h"
#include "tokenfile/client_data_writer.h"
#include "values/identifiers.h"

namespace morvel {

namespace {

constexpr long kFormatNumber = 143;

// Header words.
enum : int {
    kFromTokenFile = 2,
    kPrograms = 3,
    kStrings = 4,
    kValues = 5,
    kExpressions = 6,
    kOperands = 7,
    kParameters = 8,
    kFormLists = 9,
    kIncludeLists = 10,
    kVariables = 11,
    kOverrides = 12,
    kQuickReferences = 13,
    kCharacters = 14,
    kSourceFiles = 15,
};

// Operand kind of a nested expression; a value operand carries its value's kind.
constexpr long kExpressionOperand = 1;

bool is_internal_variable(const std::string& name) {
    for (const char* internal : kInternalVariables)
        if (name == internal) return true;
    return false;
}

}  // namespace

// ---- words and references ------------------------------------------------------

void ClientDataWriter::fail(const char* message) {
    if (!ok_) return;
    report_error(run_, 2, "%s", message);
    ok_ = false;
}

void ClientDataWriter::word(long value) {
    if (!ok_) return;
    auto v = static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
    unsigned char bytes[4] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8),
                              static_cast<unsigned char>(v >> 16),
                              static_cast<unsigned char>(v >> 24)};
    if (std::fwrite(bytes, 1, 4, file_.get()) != 4)
        return fail("Unable to write value to client dat file");
    position_ += 4;
}

void ClientDataWriter::text_bytes(const std::string& text) {
    if (!ok_) return;
    std::size_t n = std::strlen(text.c_str()) + 1;
    if (std::fwrite(text.c_str(), 1, n, file_.get()) != n)
        return fail("Unable to write string to client dat file");
    position_ += static_cast<long>(n);
}

int ClientDataWriter::number_of(const void* object) const {
    if (!object) return 0;
    auto it = numbers_.find(object);
    return it == numbers_.end() ? 0 : it->second;
}

int ClientDataWriter::expression_ref(const Expression* e) {
    if (!e) return 0;
    int n = next_number();
    expressions_.emplace_back(n, e);
    return n;
}

int ClientDataWriter::operand_ref(const Operand* o) {
    if (!o) return 0;
    int n = next_number();
    // The nested expression is numbered now, while the expressions are still being written.
    int nested = expression_ref(o->expr.get());
    operands_.push_back({n, o, nested});
    return n;
}

int ClientDataWriter::parameter_ref(const std::vector<std::unique_ptr<Expression>>& list) {
    if (list.empty()) return 0;
    std::size_t first = parameters_.size();
    for (const auto& e : list) parameters_.push_back({next_number(), expression_ref(e.get()), 0});
    for (std::size_t i = first; i + 1 < parameters_.size(); ++i)
        parameters_[i].next = parameters_[i + 1].number;
    return parameters_[first].number;
}

int ClientDataWriter::value_ref(const Value& v) {
    int n = next_number();
    values_.emplace_back(n, v);
    return n;
}

int ClientDataWriter::text_value_ref(const Text& t) {
    if (!t) return 0;
    Value v;
    v.literal = *t;
    return value_ref(v);
}

int ClientDataWriter::string_ref(const std::string& s) {
    int n = next_number();
    strings_.emplace_back(n, s);
    return n;
}

int ClientDataWriter::form_list_ref(std::vector<const FormDefinition*> forms) {
    if (forms.empty()) return 0;
    int n = next_number();
    form_lists_.emplace_back(n, std::move(forms));
    return n;
}

int ClientDataWriter::include_list_ref(const std::vector<Value>& files) {
    if (files.empty()) return 0;
    int n = next_number();
    include_lists_.emplace_back(n, &files);
    return n;
}

int ClientDataWriter::override_ref(const std::optional<FontOverride>& o) {
    if (!o) return 0;
    int n = next_number();
    overrides_.emplace_back(n, &*o);
    return n;
}

long ClientDataWriter::setting_word(const std::optional<Value>& v, long absent, const char* label) {
    return v ? argument_integer(run_, *v, label) : absent;
}

// ---- numbering --------------------------------------------------------------------

void ClientDataWriter::number_list(const StatementList& list) {
    for (const auto& st : list) {
        assign(st.get());
        std::visit(
            [this](const auto& held) {
                const auto& p = unboxed(held);
                using P = std::decay_t<decltype(p)>;
                if constexpr (std::is_same_v<P, IfStatement>) {
                    number_list(p.then_list);
                    number_list(p.else_list);
                } else if constexpr (std::is_same_v<P, CaseStatement>) {
                    for (const CaseEntry& e : p.entries) number_list(e.body);
                    number_list(p.default_list);
                } else if constexpr (std::is_same_v<P, RepeatStatement> ||
                                     std::is_same_v<P, DocumentStatement> ||
                                     std::is_same_v<P, BlockStatement>) {
                    number_list(p.body);
                }
            },
            st->payload);
    }
}

void ClientDataWriter::number_objects() {
    const ProgramTree& tree = run_.tree;
    if (tree.input) number_list(tree.input->statements);
    for (const ExtractProgram* p : tree.extracts) {
        assign(p);
        number_list(p->statements);
    }
    if (tree.delivery) number_list(tree.delivery->statements);
    for (const OutputProgram* p : tree.outputs) {
        assign(p);
        number_list(p->statements);
    }
    for (const ReformatProgram* p : tree.reformats) {
        assign(p);
        number_list(p->statements);
    }
    for (Identifier* id : preorder(run_.ids.definitions.get())) {
        const IdObject* object = id->object.get();
        if (!object || numbers_.count(object)) continue;
        bool variable = id->kind == IdKind::Variable;
        if (variable && is_internal_variable(id->name)) continue;
        if (variable || id->kind == IdKind::Field || id->kind == IdKind::HpFont ||
            id->kind == IdKind::EpsonFont) {
            assign(object);
            variables_.push_back(object);
        }
    }
}

bool ClientDataWriter::number_internal_variables() {
    for (const char* name : kInternalVariables) {
        Identifier* id = lookup(run_, name);
        const auto* variable = id ? id->as<VariableRecord>() : nullptr;
        if (!variable) {
            report_error(run_, 2, "Couldnt find internal variable %s", name);
            ok_ = false;
            return false;
        }
        int n = next_number();
        numbers_[variable] = n;
        variables_.push_back(variable);
        quick_references_.emplace_back(n, next_number());
    }
    return true;
}

// ---- file -------------------------------------------------------------------------

bool ClientDataWriter::open(const std::string& path) {
    path_ = path;
    file_.reset(std::fopen(path.c_str(), "wb"));
    if (file_) return true;
    report_error(run_, 2, "Unable to open client dat file %s", path.c_str());
    ok_ = false;
    return false;
}

bool ClientDataWriter::put_header() {
    header_[0] = static_cast<std::int32_t>(kFormatNumber);
    header_[kFromTokenFile] = run_.token_files.loaded ? 1 : 0;
    unsigned char bytes[sizeof header_];
    for (std::size_t i = 0; i < 16; ++i) {
        auto v = static_cast<std::uint32_t>(header_[i]);
        for (std::size_t b = 0; b < 4; ++b)
            bytes[4 * i + b] = static_cast<unsigned char>(v >> (8 * b));
    }
    if (std::fwrite(bytes, 1, sizeof bytes, file_.get()) == sizeof bytes) return true;
    report_error(run_, 2, "Unable to write header to client dat file");
    ok_ = false;
    return false;
}

bool ClientDataWriter::write_header() {
    if (!put_header()) return false;
    position_ = sizeof header_;
    return true;
}

bool ClientDataWriter::finish() {
    if (!ok_) return false;
    if (std::fseek(file_.get(), 0, SEEK_SET) != 0 || !put_header()) {
        if (ok_) report_error(run_, 2, "Unable to write header to client dat file");
        return false;
    }
    if (std::fclose(file_.release()) != 0) {
        report_error(run_, 2, "Unable to write header to client dat file");
        return false;
    }
    return true;
}

// ---- tables -----------------------------------------------------------------------

std::int32_t ClientDataWriter::table_start(bool empty) const {
    return empty ? 0 : static_cast<std::int32_t>(position_);
}

void ClientDataWriter::variables_table() {
    header_[kVariables] = static_cast<std::int32_t>(position_);
    for (const IdObject* object : variables_) {
        word(number_of(object));
        if (const auto* v = dynamic_cast<const VariableRecord*>(object)) {
            word(string_ref(v->name));
            word(static_cast<long>(IdKind::Variable));
            word(text_value_ref(v->cell.value));
            word(text_value_ref(v->cell.previous));
            word(text_value_ref(Text(v->initial)));
            word(0);
            word(v->cell.line_index);
            word(v->cell.exhausted ? 1 : 0);
        } else if (const auto* f = dynamic_cast<const FieldRecord*>(object)) {
            word(string_ref(f->name));
            word(static_cast<long>(IdKind::Field));
            bool at = f->kind == FieldKind::Position;
            word(at ? value_ref(f->x) : 0);
            word(at ? value_ref(f->y) : 0);
            word(at ? value_ref(f->length) : 0);
            word(f->kind == FieldKind::Colon ? value_ref(f->label)
                 : f->kind == FieldKind::Xml ? value_ref(f->xml_path)
                                             : 0);
            word(static_cast<long>(f->kind));
            word((f->expanded ? 1 : 0) | (f->persistent ? 2 : 0));
        } else if (const auto* h = dynamic_cast<const HpFont*>(object)) {
            word(string_ref(h->name));
            word(static_cast<long>(IdKind::HpFont));
            word(value_ref(h->proportional));
            word(value_ref(h->typeface));
            word(value_ref(h->size));
            word(value_ref(h->boldness));
            word(h->underline ? 1 : 0);
            word(h->colour);
        } else if (const auto* e = dynamic_cast<const EpsonFont*>(object)) {
            word(string_ref(e->name));
            word(static_cast<long>(IdKind::EpsonFont));
            for (int i = 0; i < 6; ++i) word(0);
        }
    }
    word(0);
}

void ClientDataWriter::write_tables() {
    header_[kSourceFiles] = static_cast<std::int32_t>(position_);
    for (const SourceFile& s : run_.scanner.sources) {
        word(string_ref(s.name));
        word(s.read_only ? 1 : 0);
    }
    word(0);

    header_[kCharacters] = static_cast<std::int32_t>(position_);
    for (const PaletteEntry& c : run_.tree.palette) {
        word(c.red);
        word(c.green);
        word(c.blue);
    }
    word(0);

    // Each record may refer to more expressions; the loop runs until none is left.
    header_[kExpressions] = table_start(expressions_.empty());
    for (std::size_t i = 0; i < expressions_.size(); ++i) {
        auto [n, e] = expressions_[i];
        word(n);
        word(static_cast<long>(e->op));
        word(operand_ref(e->left.get()));
        word(operand_ref(e->right.get()));
        word(parameter_ref(e->arguments.list()));
    }
    if (!expressions_.empty()) word(0);

    header_[kOperands] = table_start(operands_.empty());
    for (const OperandEntry& o : operands_) {
        word(o.number);
        bool nested = o.operand->expr != nullptr;
        word(nested ? kExpressionOperand : static_cast<long>(o.operand->value().kind));
        word(nested ? 0 : value_ref(o.operand->value()));
        word(o.expression);
    }
    if (!operands_.empty()) word(0);

    header_[kParameters] = table_start(parameters_.empty());
    for (const Parameter& p : parameters_) {
        word(p.number);
        word(p.expression);
        word(p.next);
    }
    if (!parameters_.empty()) word(0);

    header_[kFormLists] = table_start(form_lists_.empty());
    for (const auto& [n, forms] : form_lists_) {
        for (const FormDefinition* f : forms) {
            word(n);
            word(value_ref(f->x));
            word(value_ref(f->y));
            word(value_ref(f->resolution));
            word(value_ref(f->name));
            word(value_ref(f->flags));
            word(f->macro_number);
        }
        word(-1);
    }
    if (!form_lists_.empty()) word(0);

    header_[kIncludeLists] = table_start(include_lists_.empty());
    for (const auto& [n, files] : include_lists_) {
        for (const Value& v : *files) {
            word(n);
            word(value_ref(v));
        }
        word(-1);
    }
    if (!include_lists_.empty()) word(0);

    variables_table();

    header_[kOverrides] = table_start(overrides_.empty());
    for (const auto& [n, o] : overrides_) {
        word(n);
        word(value_ref(o->boldness));
        word(value_ref(o->size));
        word(value_ref(o->effects));
        word(static_cast<long>(o->alignment));
        word(o->no_reset ? *o->no_reset : -1);
        word(o->colour);
    }
    if (!overrides_.empty()) word(0);

    header_[kQuickReferences] = table_start(quick_references_.empty());
    for (const auto& [object, reference] : quick_references_) {
        word(object);
        word(reference);
    }
    if (!quick_references_.empty()) word(0);

    header_[kValues] = table_start(values_.empty());
    for (const auto& [n, v] : values_) {
        word(n);
        word(static_cast<long>(v.kind));
        if (v.kind == ValueKind::Identifier || v.kind == ValueKind::Field)
            word(number_of(v.record));
        else
            word(string_ref(v.literal));
    }
    if (!values_.empty()) word(0);

    // Last: every table before may add strings.
    header_[kStrings] = static_cast<std::int32_t>(position_);
    for (const auto& [n, s] : strings_) {
        word(n);
        text_bytes(s);
    }
    word(0);
}

int write_client_data_file(Run& run) {
    ClientDataWriter writer(run);
    writer.number_objects();
    if (!writer.open(run.options.client_data_file)) return -1;
    if (!writer.write_header()) return -1;
    if (!writer.number_internal_variables()) return -1;
    writer.write_programs();
    if (!writer.ok()) return -1;
    writer.write_tables();
    return writer.finish() ? 0 : -1;
}

}  // namespace morvel
