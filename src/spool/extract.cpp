// Extract program calls: reading the page, running the statements record by
// record, and the page-index lines of -d.
#include "spool/extract.h"

#include <cerrno>
#include <cstdio>
#include <string>
#include <variant>

#include "core/messages.h"
#include "core/return_code_file.h"
#include "core/strfmt.h"
#include "language/field.h"
#include "language/programs.h"
#include "output/output_programs.h"
#include "run.h"
#include "spool/program_support.h"
#include "spool/spool_reader.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/statements.h"
#include "values/value.h"

namespace morvel {

void set_statement_position(Run& run, const Statement& st) {
    const auto& sources = run.scanner.sources;
    if (st.source_index >= 0 && static_cast<std::size_t>(st.source_index) < sources.size())
        run.current_file = sources[static_cast<std::size_t>(st.source_index)].name;
    run.current_line = st.line;
}

namespace {

// The page of one call: by bytes, by lines, or none for an XML spool (whose values
// come from the XML tree). Returns the page length, or -1 when there is no page.
int read_program_page(Run& run, ExtractProgram& p, int tab_width) {
    if (run.options.xml_spool) {
        write_return_code_text(run, "XML\n");
        return 0;
    }
    const long errors_before = run.error_count;
    int length = 0;
    if (p.bytes_per_page) {
        long bytes = argument_integer(run, *p.bytes_per_page, "BYTES_PER_PAGE");
        if (read_byte_page(run, bytes) == -1) {
            run.extract.spool_ended = run.error_count == errors_before;
            return -1;
        }
        length = 1;
    } else {
        int got = read_page(run, p.lines_per_page, tab_width);
        if (got <= 0) {
            run.extract.spool_ended = got == 0;
            return -1;
        }
        length = got;
    }
    ++run.extract.pages_read;
    if (run.return_codes.stream)
        write_return_code_text(run,
                               strfmt("%s,%ld,%ld\n", p.name.c_str(), run.spool.page.first_offset,
                                      run.spool.page.last_offset));
    return length;
}

// ENDS of an extract REPEAT: a number above 1 is the line where the records end,
// 1 or a negative number ends at once, 0 goes on; any other text is a condition.
bool extract_repeat_ends(Run& run, const Expression* ends, long d) {
    Text t = evaluate(run, ends);
    if (is_number(t)) {
        double f = to_number(run, t);
        return f == 1 || f < 0 || (f > 1 && static_cast<double>(d) >= f);
    }
    return evaluate_truth(run, ends) == 1;
}

int execute_extract_repeat(Run& run, const ExtractRepeat& r, int base, int& height) {
    long starts = 1;
    if (r.starts) {
        Text t = evaluate(run, r.starts.get());
        if (t && is_number(t)) starts = to_integer(run, t);
    }
    if (starts <= 0) return starts == 0 ? 0 : -1;
    long n = r.by ? evaluate_integer(run, r.by.get()) : run.extract.page_length - starts + 1;
    RepeatCount count(run);
    long d = base + starts - (r.inclusive ? 1 : 0);
    // Records lie on the page: a count larger than its lines (one taken from the spool,
    // say) ends with the page rather than run on over lines that are not there.
    const bool on_lines = !run.options.xml_spool;
    while (n > 0) {
        if (on_lines && d > run.extract.page_length) break;
        int record = 0;
        if (!r.inclusive && r.ends && evaluate_truth(run, r.ends.get()) == 1) break;
        bool skip = false;
        if (r.skip_blanks) {
            Text t = cut_text(run, r.skip_x, static_cast<int>(d + r.skip_y), r.skip_length);
            if (!t) {
                errno = 0;  // no system call failed: a stale error text would mislead
                report_error(run, 2, "Unable to get spool string for SKIP_BLANKS");
                count.restore();
                return -1;
            }
            trim_trailing(*t);
            skip = t->empty();
        }
        if (!skip && execute_extract_statements(run, r.body, static_cast<int>(d), record) == -1) {
            count.restore();
            return -1;
        }
        if (r.increase_by)
            record = static_cast<int>(
                argument_integer(run, *r.increase_by, "Extract REPEAT(INCREASE_BY)"));
        if (record <= 0) record = 1;
        height += record;
        d += record;
        if (r.ends && extract_repeat_ends(run, r.ends.get(), d)) break;
        n -= r.by ? 1 : record;
        count.advance();
    }
    count.restore();
    return 0;
}

int execute_extract_statement(Run& run, const Statement& st, int base, int& height) {
    switch (st.kind) {
        case Tok::FIELD:
        case Tok::READ_FIELD:
        case Tok::COLON_FIELD: {
            const auto* s = st.get_if<FieldStatement>();
            if (!s || !s->field) {
                report_error(run, 0, "NULL field passed");
                return -1;
            }
            if (s->field->kind == FieldKind::Colon) return extract_colon_field(run, *s->field);
            return extract_field(run, *s->field, base, height);
        }
        case Tok::REPEAT: {
            const auto* r = st.get_if<ExtractRepeat>();
            if (!r) {
                report_error(run, 0, "NULL repeat");
                return -1;
            }
            return execute_extract_repeat(run, *r, base, height);
        }
        case Tok::IF: {
            const auto* s = st.get_if<IfStatement>();
            if (!s) {
                report_error(run, 0, "Got a NULL if statement");
                return -1;
            }
            // A condition that cannot be evaluated counts as true.
            bool truth = evaluate_truth(run, s->condition.get()) != 0;
            return execute_extract_statements(run, truth ? s->then_list : s->else_list, base,
                                              height);
        }
        case Tok::CASE: {
            const auto* s = st.get_if<CaseStatement>();
            if (!s) {
                report_error(run, 0, "Got a NULL case statement");
                return -1;
            }
            const StatementList* chosen = select_case(run, *s);
            return chosen ? execute_extract_statements(run, *chosen, base, height) : 0;
        }
        case Tok::LET:
        case Tok::DEBUG:
        case Tok::CALL: {
            // An error of these ends the extract call, unlike in the other programs.
            const long errors_before = run.error_count;
            execute_shared_statement(run, st);
            return run.error_count != errors_before ? -1 : 0;
        }
        case Tok::OUTPUT: {
            const auto* s = st.get_if<OutputCall>();
            if (!s) {
                report_error(run, 0, "Null OUTPUT program in EXTRACT program");
                return -1;
            }
            // An index run only walks the spool; output programs do nothing then.
            if (run.return_codes.stream) return 0;
            return run_output_programs(run, s->program) == -1 ? -1 : 0;
        }
        case Tok::RESET: {
            const auto* s = st.get_if<FieldStatement>();
            if (s && s->field)
                clear_field(run, *s->field);
            else if (run.extract.current)
                clear_all_fields(run, *run.extract.current);
            return 0;
        }
        case Tok::TAB:
            return execute_shared_statement(run, st);
        default:
            return 0;
    }
}

}  // namespace

int execute_extract_statements(Run& run, const StatementList& list, int base, int& height) {
    // FIRST_LINE and LAST_LINE count from the base of the list that is running; a
    // nested REPEAT moves it only while its records run.
    const int outer_base = run.extract.base_line;
    run.extract.base_line = base;
    int result = 0;
    for (const auto& st : list) {
        if (!st) continue;
        set_statement_position(run, *st);
        if (execute_extract_statement(run, *st, base, height) == -1) {
            result = -1;
            break;
        }
    }
    run.extract.base_line = outer_base;
    return result;
}

int run_extract_program(Run& run, ExtractProgram* program) {
    if (!program) {
        report_error(run, 0, "Invalid exectract program call");
        return -1;
    }
    ExtractProgram& p = *program;
    ExtractState& s = run.extract;
    if (run.trace_flags & 1) report_info(run, "Extract program %s", p.name.c_str());
    s.current = program;
    const int tab_width = p.tab ? static_cast<int>(argument_integer(run, *p.tab, "TAB")) : 8;
    set_text_variable(run, Internal::FirstOfDoc, variable_text(run, Internal::LastOfDoc));

    s.spool_ended = false;
    int length = read_program_page(run, p, tab_width);
    if (length == -1) return -1;
    s.page_length = length;
    set_integer_variable(run, Internal::PageLength, length);
    for (FieldRecord* f : p.fields)
        if (f && !f->persistent && f->state != FieldState::Cleared)
            f->state = FieldState::Initialise;
    if (!run.options.xml_spool && at_end_of_spool(run) == 1) set_last_page(run, 1);

    // Each page starts the -10000 chain at its first line.
    s.next_field_line = 1;
    int height = 0;
    int result = execute_extract_statements(run, p.statements, 0, height);

    if (p.last_of_doc) {
        Text last = evaluate(run, p.last_of_doc.get());
        if (!last) {
            report_error(run, 0, "Unable to evaluate last_of_doc in extract program %s",
                         p.name.c_str());
            return -1;
        }
        set_text_variable(run, Internal::LastOfDoc, last);
    }
    if (result == 0 &&
        (s.inside_document || (p.discard && argument_integer(run, *p.discard, "DISCARD") != 0)))
        return 1;
    return result;
}

}  // namespace morvel
