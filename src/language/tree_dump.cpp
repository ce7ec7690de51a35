// S-expression dumps of the program tree, for tests and tracing. A dump mirrors the
// written form: (+ a (* b c)), (LET t (CHANGE t [(+ 2) (+ 0) (+ "x")])).
#include <string>

#include "core/strfmt.h"
#include "language/field.h"
#include "language/programs.h"
#include "language/tree.h"

namespace morvel {

namespace {

bool looks_numeric(const std::string& s) {
    if (s.empty()) return false;
    std::size_t i = s[0] == '-' ? 1 : 0;
    if (i == s.size()) return false;
    bool digits = false, dot = false;
    for (; i < s.size(); ++i) {
        if (s[i] >= '0' && s[i] <= '9') {
            digits = true;
        } else if (s[i] == '.' && !dot) {
            dot = true;
        } else {
            return false;
        }
    }
    return digits;
}

std::string quoted(const std::string& s) {
    std::string out = "\"";
    for (unsigned char c : s) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 32 || c == 127) {
            appendf(out, "\\x%02x", static_cast<unsigned>(c));
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
    return out;
}

std::string dump_operand(const Operand& o) {
    return o.expr ? dump(*o.expr) : dump(o.value());
}

std::string dump_expr(const std::unique_ptr<Expression>& e) {
    return e ? dump(*e) : "-";
}

std::string dump_opt(const std::optional<Value>& v) {
    return v ? dump(*v) : "-";
}

template <class Program>
std::string name_of(const Program* p) {
    return p ? p->name : std::string("?");
}

std::string dump_font(const HpFont* hp, const EpsonFont* epson) {
    if (hp) return hp->name;
    if (epson) return epson->name;
    return "-";
}

std::string dump_override(const std::optional<FontOverride>& o) {
    if (!o) return "";
    std::string out = " (OPTIONS";
    if (o->boldness) out += " BOLD: " + dump(*o->boldness);
    if (o->size) out += " SIZE: " + dump(*o->size);
    if (o->effects) out += " EFFECT: " + dump(*o->effects);
    if (o->alignment != Alignment::Left) appendf(out, " ALIGN: %d", static_cast<int>(o->alignment));
    if (o->no_reset) appendf(out, " NORESET: %d", *o->no_reset);
    if (o->colour >= 0) appendf(out, " COLOUR: %d", o->colour);
    return out + ")";
}

std::string dump_attributes(const std::vector<XmlAttribute>& list) {
    std::string out;
    for (const XmlAttribute& a : list)
        out += " (ATTR " + quoted(a.name) + " " + dump_expr(a.value) + ")";
    return out;
}

std::string dump_field(const Statement& s, const FieldStatement& f) {
    const char* kind = token_name(s.kind);
    if (!f.field) return strfmt("(%s %s)", kind, s.kind == Tok::RESET ? "ALL" : "?");
    const FieldRecord& r = *f.field;
    if (s.kind == Tok::RESET || s.kind == Tok::READ_FIELD)
        return strfmt("(%s %s)", kind, r.name.c_str());
    switch (r.kind) {
        case FieldKind::Colon:
            return strfmt("(COLON_FIELD %s %s %d)", r.name.c_str(), dump(r.label).c_str(),
                          r.persistent ? 1 : 0);
        case FieldKind::Xml:
            return strfmt("(FIELD %s XML %s)", r.name.c_str(), dump(r.xml_path).c_str());
        default:
            return strfmt("(FIELD %s %s %s %s %d %d)", r.name.c_str(), dump(r.x).c_str(),
                          dump(r.y).c_str(), dump(r.length).c_str(), r.expanded ? 1 : 0,
                          r.persistent ? 1 : 0);
    }
}

std::string dump_repeat(const RepeatStatement& r) {
    std::string out = "(REPEAT";
    if (r.by) out += " BY " + dump(*r.by);
    out += " " + dump(r.body);
    if (r.starts) out += " STARTS " + dump(*r.starts);
    if (r.ends) out += " ENDS " + dump(*r.ends);
    if (r.increase_by) out += " INCREASE_BY " + dump(*r.increase_by);
    if (!r.inclusive) out += " EXCLUSIVE";
    if (r.skip_blanks) appendf(out, " SKIP_BLANKS %d %d %d", r.skip_x, r.skip_y, r.skip_length);
    return out + ")";
}

std::string dump_text(const Statement& s, const TextStatement& t) {
    std::string out =
        strfmt("(%s %s %s %s %s ", token_name(s.kind), dump(t.x).c_str(), dump(t.y).c_str(),
               t.inverse ? "INVERSE" : "-", dump_font(t.hp_font, t.epson_font).c_str());
    out += s.kind == Tok::FIELD ? dump(t.text) : dump_expr(t.expr);
    if (t.line_step) out += " STEP " + dump(*t.line_step);
    return out + dump_override(t.font_override) + ")";
}

std::string dump_box(const Statement& s, const BoxStatement& b) {
    std::string out =
        strfmt("(%s %s %s %s %s %s %s %d %d", token_name(s.kind), dump(b.x1).c_str(),
               dump(b.y1).c_str(), dump(b.x2).c_str(), dump(b.y2).c_str(),
               dump(b.thickness).c_str(), dump(b.shading).c_str(), b.border_colour, b.fill_colour);
    if (s.kind == Tok::RBOX)
        appendf(out, " %d %d %d %d", b.radii[0], b.radii[1], b.radii[2], b.radii[3]);
    return out + ")";
}

std::string dump_form(const FormDefinition& f) {
    return strfmt("(FORM %s %s %s %s %s %d)", dump(f.x).c_str(), dump(f.y).c_str(),
                  dump(f.resolution).c_str(), dump(f.name).c_str(), dump(f.flags).c_str(),
                  f.macro_number);
}

std::string dump_case(const CaseStatement& c) {
    std::string out = "(CASE " + dump_expr(c.selector);
    for (const CaseEntry& e : c.entries) {
        out += " (OF " + dump(e.value);
        if (e.has_body) out += " " + dump(e.body);
        out += ")";
    }
    return out + " (DEFAULT " + dump(c.default_list) + "))";
}

const char* type_word(const ReformatProgram& p) {
    if (p.kind == ReformatKind::Printer) return "hp";
    if (p.kind == ReformatKind::Epson) return "epson";
    if (p.xml) return "xml";
    return p.wide_cells ? "utf8" : "text";
}

}  // namespace

std::string dump(const Value& v) {
    switch (v.kind) {
        case ValueKind::Literal:
            return looks_numeric(v.literal) ? v.literal : quoted(v.literal);
        case ValueKind::Field:
            return "@" + v.name;
        default:
            return v.name;
    }
}

std::string dump(const Expression& e) {
    std::string out = "(";
    out += token_name(e.op);
    if (e.left) out += " " + dump_operand(*e.left);
    if (e.right) out += " " + dump_operand(*e.right);
    if (e.has_arguments || !e.arguments.empty()) {
        out += " [";
        for (std::size_t i = 0; i < e.arguments.size(); ++i) {
            if (i) out += " ";
            out += dump_expr(e.arguments[i]);
        }
        out += "]";
    }
    return out + ")";
}

std::string dump(const StatementList& list) {
    std::string out = "{";
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (i) out += " ";
        out += dump(*list[i]);
    }
    return out + "}";
}

std::string dump(const Statement& s) {
    const char* kind = token_name(s.kind);
    return std::visit(
        [&](const auto& held) -> std::string {
            const auto& p = unboxed(held);
            using T = std::decay_t<decltype(p)>;
            if constexpr (std::is_same_v<T, std::monostate>) {
                return s.kind == Tok::RESET ? "(RESET PAGE)" : strfmt("(%s)", kind);
            } else if constexpr (std::is_same_v<T, IfStatement>) {
                return "(IF " + dump_expr(p.condition) + " " + dump(p.then_list) + " " +
                       dump(p.else_list) + ")";
            } else if constexpr (std::is_same_v<T, CaseStatement>) {
                return dump_case(p);
            } else if constexpr (std::is_same_v<T, LetStatement>) {
                std::string target = p.target ? p.target->name : "?";
                return "(LET " + target + " " + dump_expr(p.value) + ")";
            } else if constexpr (std::is_same_v<T, ExpressionStatement>) {
                return strfmt("(%s ", kind) + dump_expr(p.expr) + ")";
            } else if constexpr (std::is_same_v<T, CommentStatement>) {
                return strfmt("(%s ", kind) + quoted(p.text) + ")";
            } else if constexpr (std::is_same_v<T, VariableStatement>) {
                static const char* const kTypes[] = {"string", "integer", "number"};
                return strfmt("(VARIABLE %s %s %s %s)", p.variable ? p.variable->name.c_str() : "?",
                              kTypes[static_cast<int>(p.type)], dump(p.initial).c_str(),
                              dump(p.flag).c_str());
            } else if constexpr (std::is_same_v<T, RepeatStatement>) {
                return dump_repeat(p);
            } else if constexpr (std::is_same_v<T, ValueStatement>) {
                return strfmt("(%s %s)", kind, dump(p.value).c_str());
            } else if constexpr (std::is_same_v<T, DocumentStatement>) {
                std::string out = "(DOCUMENT " + dump(p.body);
                if (p.ends) out += " ENDS " + dump(*p.ends);
                return out + ")";
            } else if constexpr (std::is_same_v<T, ExtractCall> ||
                                 std::is_same_v<T, ReformatCall>) {
                return "(RUN " + name_of(p.program) + ")";
            } else if constexpr (std::is_same_v<T, OutputCall>) {
                return "(OUTPUT " + (p.program ? p.program->name : std::string("ALL")) + ")";
            } else if constexpr (std::is_same_v<T, XmlDocumentsStatement>) {
                std::string out = "(XML_DOCUMENTS";
                for (const XmlDocumentEntry& e : p.entries) {
                    out += " (OF " + dump(e.path);
                    if (e.has_program) out += " " + name_of(e.program);
                    out += ")";
                }
                return out + ")";
            } else if constexpr (std::is_same_v<T, FieldStatement>) {
                return dump_field(s, p);
            } else if constexpr (std::is_same_v<T, TextStatement>) {
                return dump_text(s, p);
            } else if constexpr (std::is_same_v<T, WatermarkStatement>) {
                return strfmt("(WATERMARK %s %s %s ", dump(p.x).c_str(), dump(p.y).c_str(),
                              dump_font(p.hp_font, p.epson_font).c_str()) +
                       dump_expr(p.text) + " " + dump(p.shading) + " " + dump(p.angle) +
                       dump_override(p.font_override) + ")";
            } else if constexpr (std::is_same_v<T, BoxStatement>) {
                return dump_box(s, p);
            } else if constexpr (std::is_same_v<T, FormStatement>) {
                return dump_form(p.form);
            } else if constexpr (std::is_same_v<T, BarcodeStatement>) {
                return strfmt("(BARCODE %d %s %s %s %s %s %s %s %s ", static_cast<int>(p.type),
                              dump(p.x).c_str(), dump(p.y).c_str(), dump(p.height).c_str(),
                              dump_opt(p.thickness).c_str(), dump_opt(p.ratio).c_str(),
                              dump_opt(p.checksum_pos).c_str(), dump_opt(p.restrict_value).c_str(),
                              dump_opt(p.trim).c_str()) +
                       dump_expr(p.data) + ")";
            } else if constexpr (std::is_same_v<T, BlockStatement>) {
                return strfmt("(%s ", kind) + dump_expr(p.expr) + dump_attributes(p.attributes) +
                       " " + dump(p.body) + ")";
            } else if constexpr (std::is_same_v<T, XmlTagStatement>) {
                return "(XML_TAG " + dump_expr(p.name) + " " + dump_expr(p.value) +
                       dump_attributes(p.attributes) + ")";
            } else {
                static_assert(std::is_same_v<T, ArchFieldStatement>);
                return "(ARCH_FIELD " + dump_expr(p.name) + " " + dump_expr(p.value) + ")";
            }
        },
        s.payload);
}

std::string dump(const ProgramTree& tree) {
    std::string out;
    if (tree.input)
        out +=
            strfmt("(INPUT %d ", tree.input->lines_per_page) + dump(tree.input->statements) + ")\n";
    for (const ExtractProgram* p : tree.extracts) {
        out += strfmt("(EXTRACT %s %d", p->name.c_str(), p->lines_per_page);
        if (p->bytes_per_page) out += " BYTES_PER_PAGE " + dump(*p->bytes_per_page);
        if (p->discard) out += " DISCARD " + dump(*p->discard);
        if (p->tab) out += " TAB " + dump(*p->tab);
        if (p->last_of_doc) out += " LAST_OF_DOC " + dump(*p->last_of_doc);
        out += " " + dump(p->statements) + ")\n";
    }
    if (tree.delivery) out += "(DELIVERY " + dump(tree.delivery->statements) + ")\n";
    for (const OutputProgram* p : tree.outputs) {
        out += strfmt("(OUTPUT %s %d %s (", p->name.c_str(), p->sequence,
                      dump(p->invocation.program).c_str());
        for (std::size_t i = 0; i < p->invocation.parameters.size(); ++i) {
            const InvocationParameter& q = p->invocation.parameters[i];
            if (i) out += " ";
            if (q.quoted) out += "QUOTED ";
            if (q.kind == InvocationParameter::Kind::OutputFile)
                out += q.other ? "OUTPUT_FILE(" + q.other->name + ")" : "OUTPUT_FILE";
            else
                out += dump(q.value);
        }
        out += ") " + dump(p->statements) + ")\n";
    }
    for (const ReformatProgram* p : tree.reformats)
        out += strfmt("(REFORMAT %s %s ", p->name.c_str(), type_word(*p)) + dump(p->statements) +
               ")\n";
    return out;
}

}  // namespace morvel
