#include "reformat/xml_output.h"

#include <string>
#include <vector>

#include "core/messages.h"
#include "core/printer_out.h"
#include "language/programs.h"
#include "reformat/raw_write.h"
#include "reformat/reformat.h"
#include "run.h"
#include "values/evaluate.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

// Bit of the XML warning level that turns an invalid name into an error.
constexpr int kInvalidNameIsError = 256;

int warning_level(const Run& run) {
    return run.reformat.output ? run.reformat.output->xml_warning_level : 0;
}

// An invalid name is an error only when the output asks for that; otherwise the user
// hears about it once per run and the element is written all the same.
bool accept_name(Run& run, const std::string& name) {
    int level = warning_level(run);
    if (is_valid_xml_name(name, level)) return true;
    if (level & kInvalidNameIsError) {
        report_error(run, 1, "%s is not a valid xml name", name.c_str());
        return false;
    }
    if (!run.xml.name_warned) {
        run.xml.name_warned = true;
        report_warning(run, 1, "%s is not a valid xml name", name.c_str());
    }
    return true;
}

// The run's element buffer, lent to one statement while it builds a tag. Taking it out
// keeps a tag whose attribute values run further XML statements from sharing it; a
// buffer grown by a large element is not kept for the rest of the run.
class ElementBuffer {
  public:
    explicit ElementBuffer(Run& run) : run_(run), text_(std::move(run.xml.element)) {
        text_.clear();
    }
    ~ElementBuffer() {
        if (text_.capacity() <= kLargestKept) run_.xml.element = std::move(text_);
    }
    ElementBuffer(const ElementBuffer&) = delete;
    ElementBuffer& operator=(const ElementBuffer&) = delete;

    std::string& text() { return text_; }

  private:
    static constexpr std::size_t kLargestKept = 64 * 1024;
    Run& run_;
    std::string text_;
};

// The entity that stands for c in element text and attribute values, or none.
std::string_view entity_of(char c) {
    switch (c) {
        case '&':
            return "&amp;";
        case '<':
            return "&lt;";
        case '>':
            return "&gt;";
        case '"':
            return "&quot;";
        case '\'':
            return "&apos;";
        default:
            return {};
    }
}

// Appends text with & < > " ' as entities and, when the program ends lines with CR LF,
// LF as CR LF (unless a CR already precedes it). Runs of plain bytes go in one append.
void append_escaped(const Run& run, std::string& to, std::string_view text) {
    const bool crlf = run.reformat.program && run.reformat.program->crlf;
    std::size_t plain = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        // Every byte that may need more than itself is below '?'.
        if (static_cast<unsigned char>(c) > '>') continue;
        std::string_view entity = entity_of(c);
        const bool cr_needed = crlf && c == '\n' && (i == 0 || text[i - 1] != '\r');
        if (entity.empty() && !cr_needed) continue;
        to.append(text, plain, i - plain);
        if (cr_needed) {
            to += "\r\n";
        } else {
            to += entity;
        }
        plain = i + 1;
    }
    to.append(text, plain, text.size() - plain);
}

// Appends the attributes to a start tag being built. The tag is only written once
// every attribute succeeded, so a failure leaves no half-written element behind.
bool append_attributes(Run& run, std::string& tag, const std::vector<XmlAttribute>& list) {
    for (const XmlAttribute& a : list) {
        if (!accept_name(run, a.name)) return false;
        Text value = a.value ? evaluate(run, a.value.get()) : std::nullopt;
        if (!value) {
            report_error(run, 0, "Couldnt evaluate attribute %s in XML_TAG", a.name.c_str());
            return false;
        }
        tag += ' ';
        tag += a.name;
        tag += "=\"";
        append_escaped(run, tag, *value);
        tag += '"';
    }
    return true;
}

int execute_xml_tag(Run& run, const Statement& st, PclOut& out, int depth) {
    const auto* s = st.get_if<XmlTagStatement>();
    if (!s || !s->name || !s->value) {
        report_error(run, 0, "Passed a NULL XML_TAG statement");
        return -1;
    }
    Text name = evaluate(run, s->name.get());
    if (!name) {
        report_error(run, 0, "Couldnt evaluate XML_TAG name expression");
        return -1;
    }
    trim_trailing(*name);
    if (!accept_name(run, *name)) return -1;
    Text value = evaluate(run, s->value.get());
    if (!value) {
        report_error(run, 0, "Couldnt evaluate XML_TAG value expression");
        return -1;
    }
    ElementBuffer buffer(run);
    std::string& element = buffer.text();
    element += '<';
    element += *name;
    if (!append_attributes(run, element, s->attributes)) return -1;
    element += '>';
    append_escaped(run, element, *value);
    element += "</";
    element += *name;
    element += '>';
    raw_write(run, out, element, depth, true, false);
    return 0;
}

int execute_xml_block(Run& run, const Statement& st, PclOut& out, int depth, double& advance) {
    const auto* s = st.get_if<BlockStatement>();
    Text name = s && s->expr ? evaluate(run, s->expr.get()) : std::nullopt;
    if (!name) {
        report_error(run, 2, "Couldnt evalute name of XML_BLOCK");
        return -1;
    }
    if (!accept_name(run, *name)) return -1;
    {
        ElementBuffer buffer(run);
        std::string& start = buffer.text();
        start += '<';
        start += *name;
        if (!append_attributes(run, start, s->attributes)) return -1;
        start += '>';
        raw_write(run, out, start, depth, true, false);
    }
    int inner = depth + 1;
    execute_reformat_statements(run, s->body, inner, advance);
    ElementBuffer buffer(run);
    std::string& end = buffer.text();
    end += "</";
    end += *name;
    end += '>';
    raw_write(run, out, end, depth, true, false);
    return 0;
}

int execute_xml_comment(Run& run, const Statement& st, PclOut& out) {
    const auto* s = std::get_if<ExpressionStatement>(&st.payload);
    if (!s || !s->expr) {
        report_error(run, 0, "Passed a NULL XML_COMMENT statement");
        return -1;
    }
    Text text = evaluate(run, s->expr.get());
    if (!text) {
        report_error(run, 0, "Couldnt evaluate XML_COMMENT expression");
        return -1;
    }
    // Both would end the comment early or make it malformed for every XML reader.
    if (text->find("--") != std::string::npos) {
        report_error(run, 1, "Can't have -- in xml comments");
        return -1;
    }
    if (!text->empty() && text->back() == '-') {
        report_error(run, 1, "Last character in xml comment cannot be a hyphen");
        return -1;
    }
    raw_write(run, out, "<!--" + *text + "-->", 0, true, false);
    return 0;
}

}  // namespace

bool is_valid_xml_name(std::string_view name, int level) {
    return check_name(name, level == 0 ? 0 : level == 1 ? 1 : 2);
}

int execute_xml_statement(Run& run, const Statement& st, PclOut& out, int base_y, double& advance) {
    // The nesting depth indents; a negative one (a shifted base) counts as none.
    int depth = base_y < 0 ? 0 : base_y;
    switch (st.kind) {
        case Tok::XML_TAG:
            return execute_xml_tag(run, st, out, depth);
        case Tok::XML_BLOCK:
            return execute_xml_block(run, st, out, depth, advance);
        case Tok::XML_COMMENT:
            return execute_xml_comment(run, st, out);
        default:
            return 0;
    }
}

}  // namespace morvel
