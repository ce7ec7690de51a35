#include "reformat/reformat_fixture.h"

#include "core/strfmt.h"
#include "reformat/reformat.h"
#include "values/identifiers.h"

namespace morvel::test {

Value lit(const std::string& text) {
    return literal_value(text);
}

Value ref(ValueKind kind, LineCell& cell) {
    Value v;
    v.kind = kind;
    v.cell = &cell;
    return v;
}

std::unique_ptr<Expression> lit_expr(const std::string& text) {
    auto e = std::make_unique<Expression>(Tok::PLUS, 1);
    e->left.emplace(Operand{}).set_value(lit(text));
    return e;
}

namespace {

std::unique_ptr<Statement> make(Tok kind, Payload payload) {
    auto st = std::make_unique<Statement>();
    st->kind = kind;
    st->line = 1;
    st->payload = std::move(payload);
    return st;
}

TextStatement text_payload(int x, int y, const TextOptions& o) {
    TextStatement t;
    t.x = lit(std::to_string(x));
    t.y = lit(std::to_string(y));
    t.inverse = o.inverse;
    t.hp_font = o.font;
    if (o.line_step) t.line_step = lit(*o.line_step);
    t.font_override = o.font_override;
    return t;
}

}  // namespace

std::unique_ptr<Statement> field(int x, int y, Value reference, TextOptions o) {
    TextStatement t = text_payload(x, y, o);
    t.text = std::move(reference);
    return make(Tok::FIELD, std::move(t));
}

std::unique_ptr<Statement> text_st(Tok kind, int x, int y, const std::string& text, TextOptions o) {
    TextStatement t = text_payload(x, y, o);
    t.expr = lit_expr(text);
    return make(kind, std::move(t));
}

std::unique_ptr<Statement> eject() {
    return make(Tok::EJECT_PAGE, std::monostate{});
}

std::unique_ptr<Statement> repeat(std::optional<std::string> by, StatementList body,
                                  std::optional<std::string> increase_by,
                                  std::optional<std::string> starts,
                                  std::optional<std::string> ends) {
    RepeatStatement r;
    if (by) r.by = lit_expr(*by);
    r.body = std::move(body);
    if (increase_by) r.increase_by = lit(*increase_by);
    if (starts) r.starts = lit_expr(*starts);
    if (ends) r.ends = lit_expr(*ends);
    return make(Tok::REPEAT, std::move(r));
}

StatementList list(std::unique_ptr<Statement> a, std::unique_ptr<Statement> b,
                   std::unique_ptr<Statement> c) {
    StatementList l;
    for (auto* s : {&a, &b, &c})
        if (*s) l.push_back(std::move(*s));
    return l;
}

FontOverride aligned(Alignment a) {
    FontOverride o;
    o.alignment = a;
    return o;
}

std::unique_ptr<ReformatProgram> text_program(int width, int height) {
    auto p = std::make_unique<ReformatProgram>();
    p->name = "page";
    p->kind = ReformatKind::TextPage;
    p->page_width = width;
    p->page_height = height;
    return p;
}

std::unique_ptr<ReformatProgram> printer_program() {
    auto p = std::make_unique<ReformatProgram>();
    p->name = "printer";
    p->kind = ReformatKind::Printer;
    p->resolution = 300;
    p->character_width = 30.0;
    p->line_height = 50.0;
    return p;
}

ReformatFixture::ReformatFixture() {
    create_internal_variables(run);
    define(run, "default_hp_font", IdKind::HpFont);
    create_objects(run);
    watch_internal_variables(run);
    Identifier* font = lookup(run, "default_hp_font");
    font->object = make_program_object(run, *font);
    output.name = "out";
    path = c.dir.file("output.prn");
    file = std::fopen(path.c_str(), "w+b");
}

ReformatFixture::~ReformatFixture() {
    if (file) std::fclose(file);
}

int ReformatFixture::run_program(ReformatProgram& program) {
    return run_reformat(run, program, output, file);
}

std::string ReformatFixture::contents() {
    std::fflush(file);
    return read_file(path);
}

std::string ReformatFixture::patched() {
    for (long offset : output.total_page_placeholders) {
        std::fseek(file, offset, SEEK_SET);
        std::string total = strfmt("%-4d", output.page_counter - 1).substr(0, 4);
        std::fwrite(total.data(), 1, 4, file);
    }
    std::fseek(file, 0, SEEK_END);
    output.total_page_placeholders.clear();
    output.page_counter = 1;
    return contents();
}

ReformatProgram* ReformatFixture::declare_program(const std::string& name,
                                                  std::unique_ptr<ReformatProgram> p) {
    define(run, name, IdKind::Reformat);
    Identifier* id = lookup(run, name);
    ReformatProgram* raw = p.get();
    raw->name = name;
    id->object = std::move(p);
    return raw;
}

std::string ReformatFixture::variable(const std::string& name) {
    Identifier* id = lookup(run, name);
    auto* var = id ? id->as<VariableRecord>() : nullptr;
    return var && var->cell.value ? *var->cell.value : "<null>";
}

}  // namespace morvel::test
