// The program section of the client data file: program headers and statement records.
#include "core/messages.h"
#include "language/field.h"
#include "language/programs.h"
#include "run.h"
#include "tokenfile/client_data_writer.h"
#include "values/value.h"

namespace morvel {

namespace {

// Record tags the editing tool knows statements and program headers by.
enum Tag : int {
    kIf = 1,
    kExtractCall = 3,
    kRepeat = 4,
    kVariable = 5,
    kLet = 6,
    kExtractsEnd = 7,
    kExtractHeader = 8,
    kPositionField = 9,
    kReadField = 10,
    kOutputCall = 11,
    kOutputsEnd = 12,
    kOutputHeader = 13,
    kInvocation = 14,
    kQuotedParameter = 16,
    kPlainParameter = 18,
    kOutputFileParameter = 19,
    kReformatCall = 20,
    kInvoke = 21,
    kReformatHeader = 22,
    kForm = 23,
    kMacro = 24,
    kBox = 25,
    kBarcode = 27,
    kTextField = 28,
    kMessage = 29,
    kPage = 30,
    kDate = 31,
    kInclude = 32,
    kEjectPage = 33,
    kReformatsEnd = 34,
    kReset = 35,
    kDebug = 36,
    kPrint = 37,
    kRoundBox = 38,
    kWatermark = 39,
    kRem = 40,
    kNote = 41,
    kColonField = 42,
    kDocument = 43,
    kPrintLine = 44,
    kArchField = 45,
    kArchTable = 46,
    kDeliveryEnd = 47,
    kCase = 48,
    kCaseDefault = 49,
    kCaseEntry = 50,
    kCaseEntryWithoutBody = 51,
    kCall = 52,
    kXmlDocuments = 53,
    kXmlField = 54,
    kXShift = 55,
    kYShift = 56,
    kXmlDelimiter = 57,
    kXmlBlock = 58,
    kXmlTag = 59,
    kXmlComment = 60,
};

const char* unknown_message(Family family) {
    switch (family) {
        case Family::Input:
            return "Unknown input statement type";
        case Family::Extract:
            return "Unknown extract statement type";
        case Family::Delivery:
            return "Unknown delivery statement type";
        case Family::Output:
            return "Unknown output statement type";
        case Family::Reformat:
            return "Unknown reformat statement type";
    }
    return "Unknown input statement type";
}

}  // namespace

void ClientDataWriter::statement_list(const StatementList& list, Family family) {
    for (const auto& st : list) {
        if (!ok_) return;
        statement(*st, family);
    }
    word(kEndOfList);
    word(0);
}

void ClientDataWriter::statement(const Statement& st, Family family) {
    // The tag decides the record; it is written by the family writers after this prefix.
    bool known = common_statement(st, family);
    if (!known) {
        switch (family) {
            case Family::Input:
                known = input_statement(st);
                break;
            case Family::Extract:
                known = extract_statement(st);
                break;
            case Family::Reformat:
                known = reformat_statement(st);
                break;
            case Family::Output:
                known = true;
                if (st.kind == Tok::IDENT) {
                    word(kReformatCall);
                    word(number_of(&st));
                    word(st.source_index);
                    word(number_of(st.as<ReformatCall>().program));
                } else if (st.kind == Tok::INVOKE) {
                    word(kInvoke);
                    word(number_of(&st));
                    word(st.source_index);
                } else if (st.kind == Tok::RESET) {
                    word(kReset);
                    word(number_of(&st));
                    word(st.source_index);
                    word(0);
                } else {
                    known = false;
                }
                break;
            case Family::Delivery:
                known = st.kind == Tok::OUTPUT;
                if (known) {
                    word(kOutputCall);
                    word(number_of(&st));
                    word(st.source_index);
                    word(number_of(st.as<OutputCall>().program));
                }
                break;
        }
    }
    if (!known && ok_) {
        report_error(run_, 0, "%s", unknown_message(family));
        ok_ = false;
    }
}

bool ClientDataWriter::common_statement(const Statement& st, Family family) {
    switch (st.kind) {
        case Tok::IF: {
            const auto& s = st.as<IfStatement>();
            statement_head(st, kIf);
            word(expression_ref(s.condition.get()));
            statement_list(s.then_list, family);
            statement_list(s.else_list, family);
            return true;
        }
        case Tok::REPEAT:
            statement_head(st, kRepeat);
            repeat_record(st.as<RepeatStatement>(), family);
            return true;
        case Tok::VARIABLE: {
            const auto& s = st.as<VariableStatement>();
            statement_head(st, kVariable);
            word(string_ref(s.variable ? s.variable->name : std::string()));
            word(static_cast<long>(s.type));
            word(string_ref(s.initial.kind == ValueKind::Literal ? s.initial.literal
                                                                 : s.initial.name));
            return true;
        }
        case Tok::LET: {
            const auto& s = st.as<LetStatement>();
            statement_head(st, kLet);
            word(number_of(s.target));
            word(expression_ref(s.value.get()));
            return true;
        }
        case Tok::DEBUG:
        case Tok::CALL:
            statement_head(st, st.kind == Tok::DEBUG ? kDebug : kCall);
            word(expression_ref(st.as<ExpressionStatement>().expr.get()));
            return true;
        case Tok::REM:
        case Tok::NOTE:
            statement_head(st, st.kind == Tok::REM ? kRem : kNote);
            word(string_ref(st.as<CommentStatement>().text));
            return true;
        case Tok::CASE: {
            const auto& s = st.as<CaseStatement>();
            statement_head(st, kCase);
            word(expression_ref(s.selector.get()));
            for (const CaseEntry& e : s.entries) {
                word(e.has_body ? kCaseEntry : kCaseEntryWithoutBody);
                word(value_ref(e.value));
                if (e.has_body) statement_list(e.body, family);
            }
            word(kCaseDefault);
            statement_list(s.default_list, family);
            return true;
        }
        default:
            return false;
    }
}

void ClientDataWriter::repeat_record(const RepeatStatement& r, Family family) {
    word(expression_ref(r.by.get()));
    word(expression_ref(r.starts.get()));
    word(expression_ref(r.ends.get()));
    word(r.inclusive ? 1 : 0);
    if (family == Family::Extract) {
        word(value_ref(r.increase_by));
        word(r.skip_x);
        word(r.skip_y);
        word(r.skip_length);
    } else if (family == Family::Reformat) {
        word(value_ref(r.increase_by));
    } else {
        word(0);
    }
    statement_list(r.body, family);
}

bool ClientDataWriter::input_statement(const Statement& st) {
    switch (st.kind) {
        case Tok::IDENT:
            statement_head(st, kExtractCall);
            word(number_of(st.as<ExtractCall>().program));
            return true;
        case Tok::DOCUMENT: {
            const auto& s = st.as<DocumentStatement>();
            statement_head(st, kDocument);
            word(expression_ref(s.ends.get()));
            statement_list(s.body, Family::Input);
            return true;
        }
        case Tok::XML_DOCUMENTS:
            statement_head(st, kXmlDocuments);
            for (const XmlDocumentEntry& e : st.as<XmlDocumentsStatement>().entries) {
                word(e.has_program ? kCaseEntry : kCaseEntryWithoutBody);
                word(value_ref(e.path));
                if (e.has_program) word(number_of(e.program));
            }
            word(kEndOfList);
            word(0);
            return true;
        case Tok::XML_DELIMITER:
            statement_head(st, kXmlDelimiter);
            word(value_ref(st.as<ValueStatement>().value));
            return true;
        default:
            return false;
    }
}

bool ClientDataWriter::extract_statement(const Statement& st) {
    switch (st.kind) {
        case Tok::FIELD:
        case Tok::COLON_FIELD: {
            const FieldRecord* f = st.as<FieldStatement>().field;
            if (!f) return false;
            statement_head(st, f->kind == FieldKind::Colon ? kColonField
                               : f->kind == FieldKind::Xml ? kXmlField
                                                           : kPositionField);
            word(number_of(f));
            return true;
        }
        case Tok::READ_FIELD:
        case Tok::RESET:
            statement_head(st, st.kind == Tok::READ_FIELD ? kReadField : kReset);
            word(number_of(st.as<FieldStatement>().field));
            return true;
        case Tok::OUTPUT:
            statement_head(st, kOutputCall);
            word(number_of(st.as<OutputCall>().program));
            return true;
        default:
            return false;
    }
}

void ClientDataWriter::text_record(const TextStatement& t) {
    word(value_ref(t.x));
    word(value_ref(t.y));
    word(t.inverse ? 1 : 0);
    word(t.hp_font ? number_of(t.hp_font) : number_of(t.epson_font));
}

void ClientDataWriter::attributes(const std::vector<XmlAttribute>& list) {
    for (const XmlAttribute& a : list) {
        word(string_ref(a.name));
        word(expression_ref(a.value.get()));
    }
    word(kEndOfList);
    word(0);
}

bool ClientDataWriter::reformat_statement(const Statement& st) {
    switch (st.kind) {
        case Tok::FIELD:
        case Tok::MESSAGE:
        case Tok::PAGE:
        case Tok::DATE:
        case Tok::INCLUDE: {
            const auto& t = st.as<TextStatement>();
            statement_head(st, st.kind == Tok::FIELD     ? kTextField
                               : st.kind == Tok::MESSAGE ? kMessage
                               : st.kind == Tok::PAGE    ? kPage
                               : st.kind == Tok::DATE    ? kDate
                                                         : kInclude);
            text_record(t);
            word(st.kind == Tok::FIELD ? number_of(t.text.record) : expression_ref(t.expr.get()));
            word(value_ref(t.line_step));
            word(override_ref(t.font_override));
            return true;
        }
        case Tok::FORM:
            statement_head(st, kForm);
            word(form_list_ref({&st.as<FormStatement>().form}));
            return true;
        case Tok::MACRO:
            statement_head(st, kMacro);
            word(value_ref(st.as<ValueStatement>().value));
            return true;
        case Tok::BOX:
        case Tok::RBOX: {
            const auto& b = st.as<BoxStatement>();
            statement_head(st, st.kind == Tok::BOX ? kBox : kRoundBox);
            for (const Value* v : {&b.x1, &b.y1, &b.x2, &b.y2, &b.thickness, &b.shading})
                word(value_ref(*v));
            word(b.border_colour);
            word(b.fill_colour);
            if (st.kind == Tok::RBOX)
                for (int r : b.radii) word(r);
            return true;
        }
        case Tok::BARCODE: {
            const auto& b = st.as<BarcodeStatement>();
            statement_head(st, kBarcode);
            word(static_cast<long>(b.type));
            word(value_ref(b.x));
            word(value_ref(b.y));
            word(value_ref(b.height));
            for (const auto* v :
                 {&b.thickness, &b.ratio, &b.checksum_pos, &b.restrict_value, &b.trim})
                word(value_ref(*v));
            word(expression_ref(b.data.get()));
            return true;
        }
        case Tok::EJECT_PAGE:
            statement_head(st, kEjectPage);
            return true;
        case Tok::PRINT:
        case Tok::PRINT_LINE:
        case Tok::ARCH_TABLE:
        case Tok::XML_COMMENT:
            statement_head(st, st.kind == Tok::PRINT        ? kPrint
                               : st.kind == Tok::PRINT_LINE ? kPrintLine
                               : st.kind == Tok::ARCH_TABLE ? kArchTable
                                                            : kXmlComment);
            word(expression_ref(st.as<ExpressionStatement>().expr.get()));
            return true;
        case Tok::WATERMARK: {
            const auto& w = st.as<WatermarkStatement>();
            statement_head(st, kWatermark);
            word(value_ref(w.x));
            word(value_ref(w.y));
            word(w.hp_font ? number_of(w.hp_font) : number_of(w.epson_font));
            word(expression_ref(w.text.get()));
            word(value_ref(w.shading));
            word(value_ref(w.angle));
            word(override_ref(w.font_override));
            return true;
        }
        case Tok::ARCH_FIELD: {
            const auto& a = st.as<ArchFieldStatement>();
            statement_head(st, kArchField);
            word(expression_ref(a.name.get()));
            word(expression_ref(a.value.get()));
            return true;
        }
        case Tok::X_SHIFT:
        case Tok::Y_SHIFT:
        case Tok::XML_BLOCK: {
            const auto& b = st.as<BlockStatement>();
            statement_head(st, st.kind == Tok::X_SHIFT   ? kXShift
                               : st.kind == Tok::Y_SHIFT ? kYShift
                                                         : kXmlBlock);
            word(expression_ref(b.expr.get()));
            statement_list(b.body, Family::Reformat);
            if (st.kind == Tok::XML_BLOCK) attributes(b.attributes);
            return true;
        }
        case Tok::XML_TAG: {
            const auto& t = st.as<XmlTagStatement>();
            statement_head(st, kXmlTag);
            word(expression_ref(t.name.get()));
            word(expression_ref(t.value.get()));
            attributes(t.attributes);
            return true;
        }
        default:
            return false;
    }
}

// ---- program headers -------------------------------------------------------------

void ClientDataWriter::extract_header(const ExtractProgram& p) {
    word(kExtractHeader);
    word(number_of(&p));
    word(p.source_index);
    word(string_ref(p.name));
    word(p.lines_per_page);
    word(setting_word(p.bytes_per_page, 0, "BYTES_PER_PAGE"));
    word(setting_word(p.discard, 0, "DISCARD"));
    word(setting_word(p.tab, 8, "TAB"));
    word(expression_ref(p.last_of_doc.get()));
    statement_list(p.statements, Family::Extract);
}

void ClientDataWriter::output_header(const OutputProgram& p) {
    word(kOutputHeader);
    word(number_of(&p));
    word(p.source_index);
    word(string_ref(p.name));
    word(kInvocation);
    word(value_ref(p.invocation.program));
    for (const InvocationParameter& part : p.invocation.parameters) {
        if (part.kind == InvocationParameter::Kind::OutputFile) {
            word(kOutputFileParameter);
            word(number_of(part.other ? part.other : &p));
        } else {
            word(part.quoted ? kQuotedParameter : kPlainParameter);
            word(value_ref(part.value));
        }
    }
    word(kEndOfList);
    word(0);
    for (const auto* e : {&p.pre_init, &p.init_str, &p.post_init, &p.finalise, &p.xml_encoding,
                          &p.xml_root, &p.xml_version})
        word(expression_ref(e->get()));
    word(p.xml_warning_level);
    statement_list(p.statements, Family::Output);
}

void ClientDataWriter::reformat_header(const ReformatProgram& p) {
    word(kReformatHeader);
    word(number_of(&p));
    word(p.source_index);
    word(string_ref(p.name));
    word(p.kind == ReformatKind::TextPage && p.xml ? 3 : static_cast<long>(p.kind));
    word(p.page_width);
    word(p.page_height);
    word(p.pad);
    word(p.use_input);
    word(string_ref(from_number(p.character_width)));
    word(string_ref(from_number(p.line_height)));
    for (int w : {p.x_shift, p.y_shift, p.resolution, p.orientation, p.map_upper, p.map_lower,
                  p.tab, p.initialise, p.paper_size, p.printer_tray})
        word(w);
    word(p.duplex);
    word(p.crlf);
    word(value_ref(p.colour));
    word(p.uses_hpgl && !p.hpgl_forbidden ? 1 : 0);
    word(value_ref(p.num_copies));
    word(p.trim_lines);
    word(p.form_feed);
    word(p.force_form_feed);
    word(value_ref(p.symbol_set));
    for (std::uint8_t c : p.character_map) word(c);
    std::vector<const FormDefinition*> macros;
    for (const FormDefinition& f : p.macro_forms) macros.push_back(&f);
    word(form_list_ref(std::move(macros)));
    word(include_list_ref(p.include_files));
    statement_list(p.statements, Family::Reformat);
}

void ClientDataWriter::write_programs() {
    mark_programs();
    const ProgramTree& tree = run_.tree;
    static const StatementList kNone;
    // Each part of the section ends with its closing tag and two zero words.
    auto end_part = [this](int tag) {
        word(tag);
        word(0);
        word(0);
    };
    word(tree.input ? tree.input->source_index : 0);
    statement_list(tree.input ? tree.input->statements : kNone, Family::Input);
    end_part(0);

    for (const ExtractProgram* p : tree.extracts) extract_header(*p);
    end_part(kExtractsEnd);

    word(tree.delivery ? tree.delivery->source_index : -1);
    statement_list(tree.delivery ? tree.delivery->statements : kNone, Family::Delivery);
    end_part(kDeliveryEnd);

    for (const OutputProgram* p : tree.outputs) output_header(*p);
    end_part(kOutputsEnd);

    for (const ReformatProgram* p : tree.reformats) reformat_header(*p);
    end_part(kReformatsEnd);
}

void ClientDataWriter::statement_head(const Statement& st, int tag) {
    word(tag);
    word(number_of(&st));
    word(st.source_index);
}

}  // namespace morvel
