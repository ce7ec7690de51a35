#include "reformat/raw_write.h"

#include <string>

#include "core/messages.h"
#include "core/printer_out.h"
#include "language/programs.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/value.h"

namespace morvel {

namespace {

// A text page that was left short gets its separating line before raw text follows it.
void flush_pending_form_feed(Run& run, PclOut& out) {
    ReformatProgram* program = run.reformat.program;
    OutputProgram* output = run.reformat.output;
    if (!program || !program->form_feed_pending) return;
    if (output && output->page_counter > 1 && program->kind == ReformatKind::TextPage &&
        program->form_feed && (!output->last_page_full || program->force_form_feed))
        out.put('\n');
    program->form_feed_pending = false;
}

const char* line_end_of(Run& run) {
    return run.reformat.program && run.reformat.program->crlf ? "\r\n" : "\n";
}

}  // namespace

void raw_write(Run& run, PclOut& out, std::string_view text, int indent, bool line_end,
               bool convert) {
    flush_pending_form_feed(run, out);
    for (int i = 0; i < indent; ++i) out.put('\t');
    bool crlf = run.reformat.program && run.reformat.program->crlf;
    if (convert && crlf) {
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] != '\n' || (i > 0 && text[i - 1] == '\r')) continue;
            out.write_bytes(text.substr(start, i - start));
            out.write_bytes("\r\n");
            start = i + 1;
        }
        out.write_bytes(text.substr(start));
    } else {
        out.write_bytes(text);
    }
    if (line_end) out.write_bytes(line_end_of(run));
}

int execute_print(Run& run, const Statement& st) {
    const auto* payload = std::get_if<ExpressionStatement>(&st.payload);
    if (!payload || !payload->expr) {
        report_error(run, 0, "Passed a NULL PRINT statement");
        return -1;
    }
    if (!run.reformat.out) return -1;
    Text text = evaluate(run, payload->expr.get());
    if (!text) {
        report_error(run, 0, "Couldnt evaluate PRINT expression");
        return -1;
    }
    raw_write(run, *run.reformat.out, *text, 0, st.kind != Tok::PRINT, false);
    return 0;
}

int execute_arch_field(Run& run, const Statement& st) {
    const auto* payload = std::get_if<ArchFieldStatement>(&st.payload);
    if (!payload || !payload->name || !payload->value) {
        report_error(run, 0, "Passed a NULL ARCH_FIELD statement");
        return -1;
    }
    if (!run.reformat.out) return -1;
    Text name = evaluate(run, payload->name.get());
    if (!name) {
        report_error(run, 0, "Couldnt evaluate ARCH_FIELD name expression");
        return -1;
    }
    Text value = evaluate(run, payload->value.get());
    if (!value) {
        report_error(run, 0, "Couldnt evaluate ARCH_FIELD value expression");
        return -1;
    }
    trim_trailing(*name);
    trim_trailing(*value);
    std::size_t skip = value->find_first_not_of(" \t");
    std::string line = *name + ":" + (skip == std::string::npos ? "" : value->substr(skip));
    raw_write(run, *run.reformat.out, line, 0, true, false);
    return 0;
}

}  // namespace morvel
