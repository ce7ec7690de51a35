// Fields: cutting a FIELD out of the page, finding a COLON_FIELD, clearing, and the
// FIRST_LINE / LAST_LINE searches over the page.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <memory>
#include <string>
#include <utility>

#include "core/messages.h"
#include "language/field.h"
#include "language/programs.h"
#include "run.h"
#include "spool/extract.h"
#include "spool/spool_reader.h"
#include "values/evaluate.h"
#include "values/functions_xml.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

// Page positions come from definition values of any size; cut_text takes ints, and a
// position beyond them is outside every page anyway.
int clamp_int(long v) {
    return static_cast<int>(std::clamp<long>(v, INT_MIN / 2, INT_MAX / 2));
}

// A field's first extraction on a page (or after clearing) starts a new text. The
// text of the last page survives as the previous text, so CHANGE can compare them.
void begin_new_text(FieldRecord& f) {
    // A previous text marked as the value is the value: it moves there in any state.
    if (f.cell.previous_is_value || (f.state == FieldState::Initialise && f.cell.previous))
        f.cell.previous = std::move(f.cell.value);
    f.cell.previous_is_value = false;
    f.cell.value.reset();
    f.cell.cursor = {};
    f.state = FieldState::Collecting;
}

void store_new_text(Run& run, FieldRecord& f, Text text) {
    if (text && (run.trace_flags & 4))
        log_large_message(run, "Initialising field %s to \"%s\"", f.name.c_str(), text->c_str());
    // The very first text is also the previous one: marked, not copied, since a field
    // may hold a whole XML text node.
    if (!f.cell.previous && !f.cell.previous_is_value && text) f.cell.previous_is_value = true;
    f.cell.value = std::move(text);
    f.cell.cursor = {};
}

// Later extractions on the same page add one line each; a position off the page adds
// nothing, so a record loop running past the last line does not pad the field.
void store_added_text(Run& run, FieldRecord& f, const Text& text) {
    if (!text) return;
    if (run.trace_flags & 4)
        log_large_message(run, "Adding to field %s \"%s\"", f.name.c_str(), text->c_str());
    if (!f.cell.value) return;
    if (f.cell.previous_is_value) {
        f.cell.previous = f.cell.value;
        f.cell.previous_is_value = false;
    }
    f.cell.value->push_back('\n');
    f.cell.value->append(*text);
}

// The value of an XML_FIELD: what XML_VALUE gives for its path.
Text xml_field_text(Run& run, const FieldRecord& f) {
    return xml_field_value(run, f.xml_path);
}

// The rest of the first page line that starts with "label:" (letter case ignored),
// trailing blanks removed; "" when no line does.
std::string colon_value(const Run& run, const std::string& label) {
    const int lines = run.spool.page.lines;
    const int prefix_cells =
        static_cast<int>(std::min<std::size_t>(label.size() + 1, kSpoolLineMax));
    for (int y = 1; y <= lines; ++y) {
        // Most lines fail on their first few characters: look at those before cutting
        // the whole blank-padded line.
        Text head = cut_text(run, 1, y, prefix_cells);
        if (!head || head->size() <= label.size() || (*head)[label.size()] != ':') continue;
        Text line = cut_text(run, 1, y, kSpoolLineMax);
        if (!line || line->size() <= label.size()) continue;
        if ((*line)[label.size()] != ':') continue;
        if (!equal_ignore_case(std::string_view(*line).substr(0, label.size()), label)) continue;
        std::string value = line->substr(label.size() + 1);
        trim_trailing(value);
        return value;
    }
    return std::string();
}

}  // namespace

int extract_field(Run& run, FieldRecord& f, int base, int& height) {
    ExtractState& s = run.extract;
    f.cell.line_index = 1;
    f.cell.exhausted = false;
    const bool xml = f.kind == FieldKind::Xml;
    long y = xml ? 0 : argument_integer(run, f.y, "FIELD(y)");
    if (y == kFollowingFieldLine) y = static_cast<long>(s.next_field_line) - base;
    const int line = clamp_int(base + y);
    s.next_field_line = clamp_int(static_cast<long>(line) + 1);
    height = std::max(height, clamp_int(y));

    const bool starting = f.state != FieldState::Collecting;
    if (starting) begin_new_text(f);
    int x = 0, length = 0;
    if (!xml) {
        x = clamp_int(argument_integer(run, f.x, starting ? "FIELD(x)" : "Extract FIELD(x)"));
        length = clamp_int(
            argument_integer(run, f.length, starting ? "FIELD(len)" : "Extract FIELD(len)"));
    }
    if (run.trace_flags & 0x10) {
        if (starting)
            report_info(run, "@@FIELD=%d,%d,%d,%s", x, line, length, f.name.c_str());
        else
            report_info(run, "@@FIELD+%d,%d,%d,%s", x, line, length, f.name.c_str());
    }
    if (!starting && !xml && !f.expanded && f.cell.value && !f.cell.previous_is_value &&
        !(run.trace_flags & 4)) {
        // A further line of a field on the same page goes straight from the page onto
        // its text (as store_added_text would add it).
        std::string& value = *f.cell.value;
        const std::size_t before = value.size();
        value.push_back('\n');
        if (!append_trimmed_cut(run, x, line, length, value)) value.resize(before);
        return 0;
    }
    Text text = xml          ? xml_field_text(run, f)
                : f.expanded ? cut_text(run, x, line, length)
                             : cut_trimmed_text(run, x, line, length);
    if (starting)
        store_new_text(run, f, std::move(text));
    else
        store_added_text(run, f, text);
    if (!f.cell.value) {
        report_error(run, 0, "Unable to update value of extract field %s", f.name.c_str());
        return -1;
    }
    return 0;
}

int extract_colon_field(Run& run, FieldRecord& f) {
    f.cell.line_index = 1;
    f.cell.exhausted = false;
    Text label = whole_text(run, f.label);
    if (!label) {
        errno = 0;  // no system call failed: a stale error text would mislead
        report_error(run, 2, "Unable to get search parameter for colon_field");
        return -1;
    }
    Text value = colon_value(run, *label);
    if (f.state != FieldState::Collecting) {
        begin_new_text(f);
        store_new_text(run, f, std::move(value));
    } else {
        store_added_text(run, f, value);
    }
    if (!f.cell.value) {
        report_error(run, 0, "Unable to update value of extract colon_field %s", f.name.c_str());
        return -1;
    }
    return 0;
}

void clear_field(Run& run, FieldRecord& f) {
    f.cell.line_index = 1;
    f.cell.exhausted = false;
    f.state = FieldState::Cleared;
    f.cell.previous = std::move(f.cell.value);
    f.cell.previous_is_value = false;
    f.cell.value = std::string();
    f.cell.cursor = {};
    if (run.trace_flags & 4) report_info(run, "Clearing field %s", f.name.c_str());
}

void clear_all_fields(Run& run, ExtractProgram& program) {
    for (FieldRecord* f : program.fields)
        if (f) clear_field(run, *f);
}

Text eval_first_last_line(Run& run, const Expression& e) {
    const bool first = e.op == Tok::FIRST_LINE;
    const Operand* left = e.left.get();
    FieldRecord* f = nullptr;
    if (left && !left->expr && left->value().kind == ValueKind::Field)
        f = dynamic_cast<FieldRecord*>(left->value().record);
    if (!f) {
        report_error(run, 0, "%s is not a field", left ? left->value().name.c_str() : "");
        return std::nullopt;
    }
    if (f->kind == FieldKind::Colon) {
        if (first)
            report_error(run, 0, "Cannot use first_line on %s as its a COLON_FIELD",
                         f->name.c_str());
        else
            report_error(run, 0, "Cannot use last_line on %s as its a COLON_FIELD",
                         f->name.c_str());
        return std::nullopt;
    }
    if (run.extract.page_length == 0) return std::nullopt;
    Text wanted = evaluate_operand(run, e.right.get());
    if (!wanted) return std::nullopt;
    trim_trailing(*wanted);

    const int base = run.extract.base_line;
    const int x = clamp_int(argument_integer(run, f->x, "FIELD(x)"));
    const int y = clamp_int(argument_integer(run, f->y, "FIELD(y)"));
    const int length = clamp_int(argument_integer(run, f->length, "FIELD(len)"));
    const int last = run.extract.page_length;
    const int step = first ? 1 : -1;
    for (int line = base + y; first ? line <= last : line >= 1; line += step) {
        Text text = cut_text(run, x, line, length);
        if (!text) return std::nullopt;
        trim_trailing(*text);
        if (equal_ignore_case(*text, *wanted)) return from_integer(line - base);
    }
    return std::string("0");
}

}  // namespace morvel
