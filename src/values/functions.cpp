// Dispatch of the built-in functions: evaluates the arguments as the grammar
// stored them, handles the ones that fail to evaluate, and calls the function.
#include "values/functions.h"

#include <cerrno>

#include "core/messages.h"
#include "language/builtins.h"
#include "language/field.h"
#include "run.h"
#include "spool/spool_reader.h"
#include "values/evaluate.h"
#include "values/functions_internal.h"
#include "values/functions_xml.h"
#include "values/value.h"

namespace morvel {

namespace {

// The arguments of a call in written order. The grammar stores one or two arguments as
// the left and right operands, more as the argument list, and a few functions a named
// value on the left followed by a list; reading left, right, then the list covers all.
class Arguments {
  public:
    Arguments(Run& run, const Expression& e) : run_(run) {
        if (e.left) items_.push_back({e.left.get(), nullptr});
        if (e.right) items_.push_back({e.right.get(), nullptr});
        for (const auto& a : e.arguments) items_.push_back({nullptr, a.get()});
    }

    std::size_t size() const { return items_.size(); }
    bool has(std::size_t i) const { return i < items_.size(); }

    /// Evaluates argument i; NULL when it failed or is absent. Messages after it name the
    /// call's line again.
    Text text(std::size_t i) {
        if (!has(i)) return std::nullopt;
        const Item& it = items_[i];
        int line = run_.current_line;
        Text t = it.operand ? evaluate_operand(run_, it.operand) : evaluate(run_, it.expression);
        run_.current_line = line;
        return t;
    }

    /// Definition line of argument i, for messages about that argument.
    int line(std::size_t i) const {
        const Item& it = items_[i];
        return it.operand ? it.operand->line : it.expression ? it.expression->line : 0;
    }

    /// The value argument i names when it is a bare value (also written as "+ value"),
    /// else nullptr.
    const Value* value(std::size_t i) const {
        if (!has(i)) return nullptr;
        const Operand* op = items_[i].operand;
        if (const Expression* e = items_[i].expression) {
            if (e->op != Tok::PLUS || e->right || !e->arguments.empty()) return nullptr;
            op = e->left.get();
        }
        return op && !op->expr ? &op->value() : nullptr;
    }

    /// Whole text of a named value (all lines, whatever its reading position); an
    /// argument that is an expression is evaluated.
    Text whole(std::size_t i) {
        if (const Value* v = value(i)) return whole_text(run_, *v);
        return text(i);
    }

    /// The character mode from argument i, or the run's default when it is absent;
    /// nullopt when the argument failed.
    std::optional<int> mode(std::size_t i) {
        if (!has(i)) return character_mode(run_, std::nullopt);
        Text m = text(i);
        if (!m) return std::nullopt;
        return character_mode(run_, m);
    }

  private:
    struct Item {
        const Operand* operand;
        const Expression* expression;
    };
    Run& run_;
    std::vector<Item> items_;
};

// A call with fewer arguments than its function takes (the grammar does not build one).
Text invalid(Run& run) {
    report_error(run, 0, "Invalid expression");
    return std::nullopt;
}

Text text_function(Run& run, const Expression& e, Arguments& a) {
    switch (e.op) {
        case Tok::LENGTH: {
            Text t = a.text(0);
            auto mode = t ? a.mode(1) : std::nullopt;
            if (!mode) return std::nullopt;
            return fn_length(*t, *mode);
        }
        case Tok::UCASE:
        case Tok::LCASE: {
            Text t = a.text(0);
            if (!t) return std::nullopt;
            return e.op == Tok::UCASE ? fn_ucase(std::move(*t)) : fn_lcase(std::move(*t));
        }
        case Tok::STRCAT: {
            if (a.size() < 2) return invalid(run);
            // The second text is evaluated first.
            Text b = a.text(1);
            Text t = b ? a.text(0) : std::nullopt;
            if (!t) return std::nullopt;
            return *t + *b;
        }
        case Tok::SUBSTRING: {
            if (a.size() < 3) {
                report_error(run, 2, "Missing value in SUBSTRING");
                return std::nullopt;
            }
            Text t = a.text(0);
            if (!t) return std::nullopt;
            Text start = a.text(1);
            Text length = a.text(2);
            auto mode = a.mode(3);
            if (!mode) return std::nullopt;
            return fn_substring(run, *t, start, length, *mode);
        }
        case Tok::INSTR: {
            if (a.size() < 3) {
                report_error(run, 3, "Missing value in INSTR");
                return std::nullopt;
            }
            Text t = a.text(0);
            Text search = t ? a.text(1) : std::nullopt;
            Text start = search ? a.text(2) : std::nullopt;
            auto mode = start ? a.mode(3) : std::nullopt;
            if (!mode) return std::nullopt;
            run.current_line = a.line(2);
            return fn_instr(run, *t, *search, *start, *mode);
        }
        case Tok::LEFT_PAD:
        case Tok::RIGHT_PAD: {
            bool left = e.op == Tok::LEFT_PAD;
            if (a.size() < 3) {
                if (left)
                    report_error(run, 3, "Missing value in LEFT_PAD");
                else
                    report_error(run, 3, "Missing value in RIGHT_PAD");
                return std::nullopt;
            }
            Text t = a.text(0);
            Text pad = t ? a.text(1) : std::nullopt;
            Text length = pad ? a.text(2) : std::nullopt;
            auto mode = length ? a.mode(3) : std::nullopt;
            if (!mode) return std::nullopt;
            run.current_line = a.line(2);
            return fn_pad(run, left, *t, *pad, *length, *mode);
        }
        case Tok::DELETE: {
            if (a.size() < 3) {
                report_error(run, 3, "Missing value in DELETE");
                return std::nullopt;
            }
            Text t = a.text(0);
            if (!t) return std::nullopt;
            Text start = a.text(1);
            Text length = a.text(2);
            return fn_delete(run, *t, start, length);
        }
        case Tok::REPLACE_STRING: {
            if (a.size() < 3) {
                report_error(run, 3, "Missing value in REPLACE_STRING");
                return std::nullopt;
            }
            Text t = a.text(0);
            Text search = t ? a.text(1) : std::nullopt;
            Text replacement = search ? a.text(2) : std::nullopt;
            if (!replacement) return std::nullopt;
            return fn_replace_string(run, *t, *search, *replacement);
        }
        case Tok::ASC:
        case Tok::CHR: {
            Text t = a.text(0);
            auto mode = t ? a.mode(1) : std::nullopt;
            if (!mode) return std::nullopt;
            return e.op == Tok::ASC ? fn_asc(*t, *mode) : fn_chr(*t, *mode);
        }
        default:
            return std::nullopt;
    }
}

Text number_function(Run& run, const Expression& e, Arguments& a) {
    switch (e.op) {
        case Tok::INT: {
            Text x = a.text(0);
            if (!x) return std::nullopt;
            return fn_int(*x);
        }
        case Tok::MODULUS: {
            if (a.size() < 2) return invalid(run);
            Text x = a.text(0);
            Text y = x ? a.text(1) : std::nullopt;
            if (!y) return std::nullopt;
            return fn_modulus(*x, *y);
        }
        case Tok::FORMAT: {
            Text picture = a.text(0);
            if (!picture) {
                report_error(run, 3, "Unable to get format string for FORMAT");
                return std::nullopt;
            }
            Text number = a.text(1);
            return fn_format(run, *picture, number);
        }
        default:
            return std::nullopt;
    }
}

Text date_function(Run& run, Arguments& a) {
    if (a.size() == 0) return fn_date_now(run, std::nullopt);
    if (a.size() == 1) {
        Text format = a.text(0);
        if (!format) {
            report_error(run, 1, "Unable to evaluate format for DATE function");
            return std::nullopt;
        }
        return fn_date_now(run, format);
    }
    Text base = a.text(0);
    Text x = a.text(1);
    Text y = a.has(2) ? a.text(2) : Text(std::string());
    if (!x) {
        report_error(run, 1, "Unable to evaluate modify string in DATE function");
        return std::nullopt;
    }
    if (!y) {
        report_error(run, 1, "Unable to evaluate format for DATE function");
        return std::nullopt;
    }
    return fn_date(run, base, *x, *y);
}

Text list_function(Run& run, const Expression& e, Arguments& a) {
    switch (e.op) {
        case Tok::CSV_VALUE: {
            Text t = a.text(0);
            if (!t) {
                report_error(run, 3, "Unable to get csv values in CSV_VALUE");
                return std::nullopt;
            }
            Text position = a.text(1);
            if (!position) {
                report_error(run, 3, "Position for CSV_VALUE is NULL");
                return std::nullopt;
            }
            std::optional<char> delimiter;
            if (a.has(2)) {
                Text d = a.text(2);
                if (!d) {
                    report_error(run, 3, "Unable to evaluate delimiter in CSV_VALUE");
                    return std::nullopt;
                }
                // An empty delimiter text names no delimiter: the current one stays.
                if (!d->empty()) delimiter = (*d)[0];
            }
            long flags = 0;
            if (a.has(3)) {
                Text f = a.text(3);
                if (!f) {
                    report_error(run, 3, "Unable to evaluate flags in CSV_VALUE");
                    return std::nullopt;
                }
                flags = leading_integer(*f);
            }
            return fn_csv_value(run, *t, leading_integer(*position), delimiter,
                                static_cast<int>(flags & 0xFF));
        }
        case Tok::COLON_FIELD: {
            if (a.size() < 2) return invalid(run);
            Text t = a.text(0);
            Text label = t ? a.text(1) : std::nullopt;
            if (!label) return std::nullopt;
            return fn_colon_field(*t, *label);
        }
        case Tok::INSERT_LINE: {
            if (a.size() < 2) {
                report_error(run, 1, "Missing value in INSERT_LINE");
                return std::nullopt;
            }
            Text value = a.whole(0);
            Text line = a.text(1);
            long position = 999999;
            bool position_ok = true;
            if (a.has(2)) {
                Text p = a.text(2);
                position_ok = p && is_number(*p);
                if (position_ok) position = to_integer(run, *p);
            }
            if (!value || !line) {
                report_error(run, 1, "Value is NULL in INSERT_LINE");
                return std::nullopt;
            }
            if (!position_ok) {
                report_error(run, 1, "Unable to get value for position in INSERT_LINE");
                return std::nullopt;
            }
            return fn_insert_line(*value, *line, position);
        }
        case Tok::DELETE_LINE: {
            if (a.size() < 2) return invalid(run);
            Text value = a.whole(0);
            Text n = value ? a.text(1) : std::nullopt;
            if (!n) return std::nullopt;
            if (!is_number(*n)) {
                report_error(run, 3, "Line number for delete line does not appear to be a line");
                return std::nullopt;
            }
            return fn_delete_line(*value, to_integer(run, *n));
        }
        case Tok::SORT_VALUES: {
            if (a.size() < 3) {
                report_error(run, 2, "Missing value in SORT_VALUES");
                return std::nullopt;
            }
            Text type = a.text(0);
            if (!type) return std::nullopt;
            Text direction = a.text(1);
            if (!direction) {
                report_error(run, 1, "Unable to get sort direction for SORT_VALUES");
                return std::nullopt;
            }
            std::vector<SortTarget> targets;
            for (std::size_t i = 2; i < a.size(); ++i) {
                const Value* v = a.value(i);
                bool named = v && v->cell &&
                             (v->kind == ValueKind::Identifier || v->kind == ValueKind::Field);
                if (!named) {
                    report_error(run, 1, "Unable to get values in SORT_VALUES");
                    return std::nullopt;
                }
                targets.push_back({v->cell, v->kind == ValueKind::Identifier, v->name});
            }
            return fn_sort_values(run, *type, *direction, targets);
        }
        default:
            return std::nullopt;
    }
}

Text file_function(Run& run, const Expression& e, Arguments& a) {
    switch (e.op) {
        case Tok::READ_FILE: {
            Text name = a.text(0);
            if (!name) return std::nullopt;
            long keep = 0;
            if (a.has(1)) {
                Text k = a.text(1);
                if (!k) return std::nullopt;
                keep = to_integer(run, *k);
            }
            return fn_read_file(run, *name, keep);
        }
        case Tok::CREATE_FILE: {
            Text name = a.text(0);
            if (!name) {
                report_error(run, 1, "Unable to evaluate file name for CREATE_FILE");
                return std::nullopt;
            }
            Text text;
            if (a.has(1)) {
                text = a.text(1);
                if (!text) return std::nullopt;
            }
            return fn_create_file(run, *name, text);
        }
        case Tok::APPEND_FILE: {
            if (a.size() < 2) {
                report_error(run, 1, "Missing parameter for APPEND_FILE");
                return std::nullopt;
            }
            Text name = a.text(0);
            if (!name) {
                report_error(run, 1, "Unable to evaluate file name for APPEND_FILE");
                return std::nullopt;
            }
            Text text = a.text(1);
            if (!text) return std::nullopt;
            long flags = 0;
            if (a.has(2)) {
                Text f = a.text(2);
                if (!f) return std::nullopt;
                flags = to_integer(run, *f);
            }
            return fn_append_file(run, *name, *text, flags);
        }
        case Tok::TEMPNAM: {
            Text prefix = a.text(0);
            if (!prefix) return std::nullopt;
            return fn_tempnam(run, *prefix);
        }
        case Tok::GETENV: {
            Text name = a.text(0);
            if (!name) return std::nullopt;
            Text fallback;
            if (a.has(1)) {
                fallback = a.text(1);
                if (!fallback) return std::nullopt;
            }
            return fn_getenv(*name, fallback);
        }
        case Tok::GET_SETTING: {
            if (a.size() < 3) {
                report_error(run, 2, "Missing value in GET_SETTING");
                return std::nullopt;
            }
            Text text = a.text(0);
            if (!text) return std::nullopt;
            Text section = a.text(1);
            if (!section) {
                report_error(run, 3, "Error evaluating section in GET_SETTING");
                return std::nullopt;
            }
            Text key = a.text(2);
            if (!key) {
                report_error(run, 3, "Error evaluating param in GET_SETTING");
                return std::nullopt;
            }
            Text separator = std::string("=");
            if (a.has(3)) {
                separator = a.text(3);
                if (!separator) return std::nullopt;
            }
            return fn_get_setting(run, *text, *section, *key, *separator);
        }
        case Tok::PARAMETER: {
            Text n = a.text(0);
            if (!n) {
                report_error(run, 3, "Unable to evaluate parameter position in PARAMETER()");
                return std::nullopt;
            }
            return fn_parameter(run, *n);
        }
        case Tok::LOOK_AHEAD: {
            const Value* v = a.value(0);
            auto* field =
                v && v->kind == ValueKind::Field ? dynamic_cast<FieldRecord*>(v->record) : nullptr;
            if (!field) {
                report_error(run, 1, "Look ahead has a non field parameter, this should not occur");
                return std::nullopt;
            }
            long x = argument_integer(run, field->x, "FIELD(x)");
            long y = argument_integer(run, field->y, "FIELD(y)");
            long length = argument_integer(run, field->length, "FIELD(len)");
            auto bounded = [](long n) {
                return static_cast<int>(n < -1 ? -1 : n > 100000 ? 100000 : n);
            };
            return look_ahead_line(run, field->name, field->kind == FieldKind::Colon, bounded(x),
                                   bounded(y), bounded(length), field->expanded);
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

Text eval_function(Run& run, const Expression& e, bool& handled) {
    handled = true;
    // A level 2 or 3 message adds the system's error text; only a failure of this call may
    // supply one, never an error left over from earlier.
    errno = 0;
    const Builtin* builtin = builtin_of(e.op);
    // The XML functions read their own operands: no argument list to build per call.
    if (builtin && builtin->dispatch == Dispatch::Xml) return eval_xml_function(run, e);
    Arguments a(run, e);
    switch (builtin ? builtin->dispatch : Dispatch::Line) {
        case Dispatch::TextLibrary:
            return text_function(run, e, a);
        case Dispatch::Number:
            return number_function(run, e, a);
        case Dispatch::DateFunction:
            return date_function(run, a);
        case Dispatch::List:
            return list_function(run, e, a);
        case Dispatch::File:
            return file_function(run, e, a);
        case Dispatch::Xml:
            return eval_xml_function(run, e);
        default:
            handled = false;
            return std::nullopt;
    }
}

}  // namespace morvel
