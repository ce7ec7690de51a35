// TEMPORARY stand-ins for the scanner and the identifier table until their real
// implementations are merged; deleted then.
#include <cctype>
#include <cstring>
#include <fstream>
#include <sstream>
#include <strings.h>

#include "driver/messages.h"
#include "driver/run.h"
#include "language/parse_error.h"
#include "language/programs.h"
#include "language/scanner.h"
#include "values/identifiers.h"

namespace morvel {

struct Scanner::Impl {
    std::string text;
    std::size_t pos = 0;
};

namespace {

Token lex(Run& run) {
    Scanner::Impl& in = *run.scanner.impl;
    const std::string& s = in.text;
    std::size_t& p = in.pos;
    for (;;) {
        if (p >= s.size()) return Token{};
        char c = s[p];
        if (c == '\n') { ++run.current_line; ++p; continue; }
        if (c == ' ' || c == '\t' || c == '\r') { ++p; continue; }
        if (c == ';') { while (p < s.size() && s[p] != '\n') ++p; continue; }
        break;
    }
    char c = s[p];
    Token t;
    if (c == '"') {
        ++p;
        while (p < s.size() && s[p] != '"') {
            if (s[p] == '\n') parse_error(run, 1, "String to long or missing closing \"");
            if (s[p] == '\\' && p + 1 < s.size()) {
                ++p;
                char e = s[p];
                t.text += e == 'n' ? '\n' : e == 't' ? '\t' : e;
            } else {
                t.text += s[p];
            }
            ++p;
        }
        ++p;
        t.code = Tok::STRING;
        return t;
    }
    if (std::isdigit(static_cast<unsigned char>(c))) {
        std::size_t b = p;
        while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p]))) ++p;
        t.code = Tok::INTEGER;
        if (p + 1 < s.size() && s[p] == '.' && std::isdigit(static_cast<unsigned char>(s[p + 1]))) {
            ++p;
            while (p < s.size() && std::isdigit(static_cast<unsigned char>(s[p]))) ++p;
            t.code = Tok::REAL;
        }
        t.text = s.substr(b, p - b);
        return t;
    }
    if (std::isalpha(static_cast<unsigned char>(c))) {
        std::size_t b = p;
        while (p < s.size() && (std::isalnum(static_cast<unsigned char>(s[p])) || s[p] == '_')) ++p;
        std::string word = s.substr(b, p - b);
        if (p < s.size() && s[p] == ':') {
            if (auto k = keyword_lookup(word + ":")) { ++p; t.code = *k; return t; }
        }
        if (strcasecmp(word.c_str(), "TRUE") == 0) { t.code = Tok::INTEGER; t.text = "1"; return t; }
        if (strcasecmp(word.c_str(), "FALSE") == 0) { t.code = Tok::INTEGER; t.text = "0"; return t; }
        if (auto k = keyword_lookup(word)) {
            t.code = *k;
            if (t.code == Tok::REM || t.code == Tok::NOTE) {
                if (p < s.size() && s[p] != '\n') ++p;
                std::size_t e = s.find('\n', p);
                if (e == std::string::npos) e = s.size();
                t.text = s.substr(p, e - p);
                p = e;
            }
            return t;
        }
        t.code = Tok::IDENT;
        t.text = word;
        return t;
    }
    if (c == '[') {
        std::size_t e = s.find(']', p);
        if (e != std::string::npos) {
            if (auto k = keyword_lookup(s.substr(p, e - p + 1))) { p = e + 1; t.code = *k; return t; }
        }
    }
    ++p;
    char n = p < s.size() ? s[p] : '\0';
    switch (c) {
        case '<':
            if (n == '>') { ++p; t.code = Tok::NE; return t; }
            if (n == '=') { ++p; t.code = Tok::LE; return t; }
            t.code = Tok::LT; return t;
        case '>':
            if (n == '=') { ++p; t.code = Tok::GE; return t; }
            t.code = Tok::GT; return t;
        case '!': t.code = Tok::BANG; return t;
        case '(': t.code = Tok::LPAREN; return t;
        case ')': t.code = Tok::RPAREN; return t;
        case ',': t.code = Tok::COMMA; return t;
        case '.': t.code = Tok::DOT; return t;
        case '[': t.code = Tok::LBRACKET; return t;
        case ']': t.code = Tok::RBRACKET; return t;
        case '{': t.code = Tok::LBRACE; return t;
        case '}': t.code = Tok::RBRACE; return t;
        case '=': t.code = Tok::EQ; return t;
        case '+': t.code = Tok::PLUS; return t;
        case '-': t.code = Tok::MINUS; return t;
        case '*': t.code = Tok::STAR; return t;
        case '/': t.code = Tok::SLASH; return t;
        case ':': t.code = Tok::COLON; return t;
        default: return lex(run);
    }
}

int compare(std::string_view a, std::string_view b) {
    return strcasecmp(std::string(a).c_str(), std::string(b).c_str());
}

Identifier* find_in(Identifier* node, std::string_view name) {
    while (node) {
        int c = compare(name, node->name);
        if (c == 0) return node;
        node = c < 0 ? node->left.get() : node->right.get();
    }
    return nullptr;
}

bool insert(Run& run, std::unique_ptr<Identifier>& root, std::string_view name, IdKind kind) {
    std::unique_ptr<Identifier>* slot = &root;
    while (*slot) {
        int c = compare(name, (*slot)->name);
        if (c == 0) return false;
        slot = c < 0 ? &(*slot)->left : &(*slot)->right;
    }
    *slot = std::make_unique<Identifier>();
    (*slot)->name = std::string(name);
    (*slot)->kind = kind;
    (*slot)->line = run.current_line;
    return true;
}

template <class F>
void visit(Identifier* node, F&& f) {
    if (!node) return;
    f(*node);
    visit(node->left.get(), f);
    visit(node->right.get(), f);
}

}  // namespace

bool scanner_start_pass(Run& run, int pass) {
    Scanner& s = run.scanner;
    s.pass = pass;
    s.lookahead.reset();
    s.file_switch_forbidden = false;
    s.impl = std::make_shared<Scanner::Impl>();
    run.current_line = 1;
    run.current_file = run.options.definition_name.empty() ? s.definition_path
                                                           : run.options.definition_name;
    s.sources.clear();
    s.source_index = register_source_file(run, run.current_file, false);
    std::ifstream f(s.definition_path, std::ios::binary);
    if (!f) return false;
    std::ostringstream o;
    o << f.rdbuf();
    s.impl->text = o.str();
    return true;
}

void scanner_finish(Run& run) {
    run.scanner.lookahead.reset();
    run.scanner.impl.reset();
}

Token next_token(Run& run) {
    if (run.scanner.lookahead) {
        Token t = std::move(*run.scanner.lookahead);
        run.scanner.lookahead.reset();
        return t;
    }
    return lex(run);
}

const Token& peek_token(Run& run) {
    if (!run.scanner.lookahead) run.scanner.lookahead = lex(run);
    return *run.scanner.lookahead;
}

int register_source_file(Run& run, std::string_view name, bool read_only) {
    run.scanner.sources.push_back(SourceFile{std::string(name), read_only});
    return static_cast<int>(run.scanner.sources.size() - 1);
}

void set_file_switch_forbidden(Run& run) { run.scanner.file_switch_forbidden = true; }
void clear_file_switch_forbidden(Run& run) { run.scanner.file_switch_forbidden = false; }
bool file_switch_forbidden(const Run& run) { return run.scanner.file_switch_forbidden; }

bool define(Run& run, std::string_view name, IdKind kind) {
    if (insert(run, run.ids.definitions, name, kind)) return true;
    std::string n(name);
    report_error(run, 0, "Duplicate definition of %s", n.c_str());
    return false;
}

bool reference(Run& run, std::string_view name) {
    insert(run, run.ids.references, name, IdKind::Reference);
    return true;
}

Identifier* lookup(Run& run, std::string_view name) { return find_in(run.ids.definitions.get(), name); }

Identifier* is_referenced(Run& run, std::string_view name) {
    return find_in(run.ids.references.get(), name);
}

bool is_default_identifier(std::string_view name) {
    static const char* const kNames[] = {
        "default_extract", "default_line", "default_reformat", "default_hp_font",
        "default_epson_font", "first_page", "last_page", "repeat_count", "execute_status",
        "spool_page", "spool_name", "spool_line", "page_length", "last_x", "last_y",
        "repeat_base", "first_of_doc", "last_of_doc", "utf8", "default_input"};
    for (const char* n : kNames)
        if (compare(name, n) == 0) return true;
    return false;
}

bool check_references(Run& run) {
    bool ok = true;
    visit(run.ids.references.get(), [&](Identifier& id) {
        if (!lookup(run, id.name) && !is_default_identifier(id.name)) {
            report_error(run, 0, "Couldnt find definition of %s at line %d", id.name.c_str(), id.line);
            ok = false;
        }
    });
    return ok;
}

bool check_unused(Run& run) {
    bool ok = true;
    visit(run.ids.definitions.get(), [&](Identifier& id) {
        if (!is_referenced(run, id.name) && !is_default_identifier(id.name) &&
            id.kind != IdKind::Output) {
            report_warning(run, 0, "%s defined but not used, at line %d", id.name.c_str(), id.line);
            ok = false;
        }
    });
    return ok;
}

std::unique_ptr<IdObject> make_id_object(Run& run, const Identifier& id) {
    if (id.kind == IdKind::Variable) {
        auto v = std::make_unique<VariableRecord>();
        v->name = id.name;
        return v;
    }
    return make_program_object(run, id);
}

bool create_objects(Run& run) {
    bool ok = true;
    visit(run.ids.definitions.get(), [&](Identifier& id) {
        if (!id.object) id.object = make_id_object(run, id);
        if (!id.object) ok = false;
    });
    return ok;
}

void add_default_identifiers(Run& run) {
    if (!lookup(run, "default_line")) define(run, "default_line", IdKind::Field);
    if (!lookup(run, "default_hp_font")) define(run, "default_hp_font", IdKind::HpFont);
    if (!lookup(run, "default_epson_font")) define(run, "default_epson_font", IdKind::EpsonFont);
}

int create_internal_variables(Run& run) {
    for (const char* n : {"first_page", "last_page", "repeat_count", "execute_status",
                          "spool_page", "spool_name", "spool_line", "page_length", "last_x",
                          "last_y", "repeat_base", "first_of_doc", "last_of_doc", "utf8"}) {
        define(run, n, IdKind::Variable);
        lookup(run, n)->object = make_id_object(run, *lookup(run, n));
    }
    return 0;
}

}  // namespace morvel
