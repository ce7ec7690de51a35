// The input program: extract calls, REPEAT, DOCUMENT and the common statements.
#include "spool/input_program.h"

#include <memory>
#include <variant>

#include "core/messages.h"
#include "language/programs.h"
#include "output/output_programs.h"
#include "run.h"
#include "spool/extract.h"
#include "spool/program_support.h"
#include "values/evaluate.h"
#include "values/identifiers.h"
#include "values/statements.h"
#include "values/value.h"

namespace morvel {

namespace {

// A loop whose body never fails and whose end never comes would run forever.
constexpr long kMaxInputIterations = 500000;

int execute_input_repeat(Run& run, const InputRepeat& r) {
    if (r.starts) {
        Text t = evaluate(run, r.starts.get());
        if (!t) {
            report_error(run, 0, "Unable to evaluate STARTS expression in input REPEAT");
            return -1;
        }
        if (to_integer(run, t) == 0) return 0;
    }
    RepeatCount count(run);
    if (r.by) {
        long n = evaluate_integer(run, r.by.get());
        if (n <= 0) {
            report_error(run, 0, "%ld is an invalid value for a REPEAT BY value", n);
            return -1;
        }
        // Passes that read pages end with the spool (the extract call at its end fails);
        // a count of passes that read nothing is bounded as a loop without BY is.
        long passes_without_page = 0;
        for (long i = 0; i < n; ++i) {
            if (!r.inclusive && r.ends && evaluate_truth(run, r.ends.get()) == 1) break;
            const long pages_before = run.extract.pages_read;
            if (execute_input_statements(run, r.body) == -1) {
                count.restore();
                return -1;
            }
            if (run.extract.pages_read != pages_before)
                passes_without_page = 0;
            else if (++passes_without_page > kMaxInputIterations) {
                report_error(run, 0, "Input repeat loop exceeds 500000 iterations, aborting");
                count.restore();
                return -1;
            }
            count.advance();
            if (r.ends && evaluate_truth(run, r.ends.get()) == 1) break;
        }
        count.restore();
        return 0;
    }
    // Without BY the loop normally ends when an extract call finds the end of the spool.
    for (;;) {
        if (execute_input_statements(run, r.body) == -1) return -1;
        long end = 0;
        if (r.ends) {
            Text t = evaluate(run, r.ends.get());
            if (!t) {
                report_error(run, 0, "Unable to evaluate ENDS expression in input REPEAT");
                count.restore();
                return -1;
            }
            end = to_integer(run, t);
        }
        if (count.value() > kMaxInputIterations) {
            report_error(run, 0, "Input repeat loop exceeds 500000 iterations, aborting");
            return -1;
        }
        count.advance();
        if (end != 0) break;
    }
    count.restore();
    return 0;
}

// A finished document goes out once, and the next one starts with empty fields.
int finish_document(Run& run) {
    int result = run_output_programs(run, nullptr);
    for (ExtractProgram* p : run.tree.extracts)
        if (p) clear_all_fields(run, *p);
    return result == -1 ? -1 : 0;
}

int execute_document(Run& run, const DocumentStatement& d) {
    ExtractState& s = run.extract;
    const bool outer_mark = s.inside_document;
    const long pages_before = s.pages_read;
    s.inside_document = true;
    long count = 0;
    for (;;) {
        if (execute_input_statements(run, d.body) == -1) {
            s.inside_document = outer_mark;
            // The spool ended before the document's last page said so: the pages it
            // did read are still a document and must not be lost.
            if (s.spool_ended && s.pages_read > pages_before) finish_document(run);
            return -1;
        }
        long end = 0;
        if (d.ends) {
            Text t = evaluate(run, d.ends.get());
            if (!t) {
                report_error(run, 0, "Unable to evaluate ENDS expression in input DOCUMENT");
                s.inside_document = outer_mark;
                return -1;
            }
            end = to_integer(run, t);
        } else {
            end = get_integer_variable(run, Internal::LastOfDoc);
        }
        if (++count > kMaxInputIterations) {
            report_error(run, 0, "Input document loop exceeds 500000 iterations, aborting");
            s.inside_document = outer_mark;
            return -1;
        }
        if (end != 0) break;
    }
    s.inside_document = outer_mark;
    return finish_document(run);
}

int execute_input_statement(Run& run, const Statement& st) {
    switch (st.kind) {
        case Tok::IDENT: {
            const auto* c = st.get_if<ExtractCall>();
            return call_extract_program(run, c ? c->program : nullptr);
        }
        case Tok::REPEAT: {
            const auto* r = st.get_if<InputRepeat>();
            if (!r) {
                report_error(run, 0, "Null repeat\n");
                return -1;
            }
            return execute_input_repeat(run, *r);
        }
        case Tok::DOCUMENT: {
            const auto* d = st.get_if<DocumentStatement>();
            if (!d) {
                report_error(run, 0, "Null document\n");
                return -1;
            }
            return execute_document(run, *d);
        }
        case Tok::IF: {
            const auto* s = st.get_if<IfStatement>();
            if (!s) {
                report_error(run, 0, "Got a NULL if statement");
                return -1;
            }
            // Read as an integer: a text that is not a number is false here.
            Text t = evaluate(run, s->condition.get());
            if (!t) return -1;
            return execute_input_statements(run,
                                            to_integer(run, t) != 0 ? s->then_list : s->else_list);
        }
        case Tok::CASE: {
            const auto* s = st.get_if<CaseStatement>();
            if (!s) {
                report_error(run, 0, "Got a NULL case statement");
                return -1;
            }
            const StatementList* chosen = select_case(run, *s);
            return chosen ? execute_input_statements(run, *chosen) : 0;
        }
        case Tok::LET:
        case Tok::DEBUG:
        case Tok::CALL:
        case Tok::TAB:
            return execute_shared_statement(run, st);
        case Tok::XML_DELIMITER: {
            const auto* v = st.get_if<ValueStatement>();
            Text t = v ? whole_text(run, v->value) : Text();
            if (!t || t->empty()) {
                report_error(run, 0, "Cannot have empty xml delimiter");
                return -1;
            }
            run.xml.delimiter = (*t)[0];
            return 0;
        }
        case Tok::XML_DOCUMENTS: {
            const auto* x = st.get_if<XmlDocumentsStatement>();
            if (!x) {
                report_error(run, 0, "Got a NULL XML_DOCUMENTS statement");
                return -1;
            }
            return parse_xml_spool(run, *x) == 0 ? 0 : -1;
        }
        case Tok::VARIABLE:
        case Tok::REM:
        case Tok::NOTE:
            return 0;
        default:
            report_error(run, 0, "Unknown statement type in input");
            return -1;
    }
}

}  // namespace

int call_extract_program(Run& run, ExtractProgram* program) {
    if (run.MEMORY_ERROR) {
        run.extract.spool_ended = false;
        return -1;
    }
    int result = run_extract_program(run, program);
    if (result == -1) return -1;
    if (result == 0 && run_output_programs(run, nullptr) == -1) return -1;
    set_integer_variable(run, Internal::FirstPage, 0);
    return 0;
}

int execute_input_statements(Run& run, const StatementList& list) {
    for (const auto& st : list) {
        if (!st) continue;
        set_statement_position(run, *st);
        if (execute_input_statement(run, *st) == -1) return -1;
    }
    return 0;
}

int run_input_program(Run& run) {
    set_integer_variable(run, Internal::LastOfDoc, 1);
    if (run.tree.input) return execute_input_statements(run, run.tree.input->statements);
    // A tree without an input program (none was compiled) runs the default one.
    Identifier* id = lookup(run, "default_extract");
    ExtractProgram* program =
        id && id->kind == IdKind::Extract ? id->as<ExtractProgram>() : nullptr;
    if (!program) {
        report_error(run, 1, "default_extract extract program is not defined");
        return -1;
    }
    StatementList loop;
    auto call = std::make_unique<Statement>();
    call->kind = Tok::IDENT;
    call->payload = ExtractCall{program};
    InputRepeat repeat;
    repeat.body.push_back(std::move(call));
    loop.push_back(std::make_unique<Statement>());
    loop.back()->kind = Tok::REPEAT;
    loop.back()->payload = std::move(repeat);
    return execute_input_statements(run, loop);
}

}  // namespace morvel
