#include "lsp/queries.h"

#include <algorithm>
#include <map>
#include <unordered_set>

#include "core/ascii.h"
#include "core/strfmt.h"
#include "language/builtins.h"
#include "language/check.h"
#include "language/token_walk.h"
#include "lsp/language_help.h"
#include "values/identifiers.h"

namespace morvel::lsp {

namespace {

bool is_word_byte(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
}

// The text of line `line` (from 0), without its line end.
std::string_view line_text(const std::string& text, int line) {
    std::size_t pos = 0;
    for (int i = 0; i < line; ++i) {
        pos = text.find('\n', pos);
        if (pos == std::string::npos) return {};
        ++pos;
    }
    std::size_t end = text.find('\n', pos);
    std::string_view view(text);
    view = view.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
    if (!view.empty() && view.back() == '\r') view.remove_suffix(1);
    return view;
}

// The span of the word (or the one character) at a scanner place (from 1).
Span word_span(const std::string& text, int line, int column) {
    Span s;
    s.start = {std::max(line - 1, 0), std::max(column - 1, 0)};
    s.end = s.start;
    std::string_view l = line_text(text, s.start.line);
    auto c = static_cast<std::size_t>(s.start.column);
    std::size_t e = c;
    while (e < l.size() && is_word_byte(l[e])) ++e;
    if (e == c && c < l.size()) ++e;
    s.end.column = static_cast<int>(e);
    return s;
}

std::size_t token_length(const Token& t) {
    if (t.code == Tok::STRING) return t.text.size() + 2;
    if (token_has_text(t.code)) return t.text.size();
    const char* name = token_name(t.code);
    return name ? std::string_view(name).size() : 1;
}

Place start_of(const Token& t) {
    return {t.line - 1, t.column - 1};
}

bool before(Place a, Place b) {
    return a.line < b.line || (a.line == b.line && a.column < b.column);
}

// The token under `at`, or the one that ends right at it (a word being typed).
const Token* token_at(const Analysis& a, Place at) {
    const Token* found = nullptr;
    for (const Token& t : a.tokens) {
        Place s = start_of(t);
        if (before(at, s)) break;
        if (s.line == at.line && at.column <= s.column + static_cast<int>(token_length(t)))
            found = &t;
    }
    return found;
}

ItemKind item_kind(int kind) {
    switch (static_cast<IdKind>(kind)) {
        case IdKind::Variable:
            return ItemKind::Variable;
        case IdKind::Field:
            return ItemKind::Field;
        case IdKind::HpFont:
        case IdKind::EpsonFont:
            return ItemKind::Font;
        case IdKind::Output:
            return ItemKind::Output;
        default:
            return ItemKind::Program;
    }
}

const char* kind_word(int kind) {
    switch (static_cast<IdKind>(kind)) {
        case IdKind::Extract:
            return "extract program";
        case IdKind::Reformat:
            return "reformat program";
        case IdKind::Output:
            return "output program";
        case IdKind::Variable:
            return "variable";
        case IdKind::Field:
            return "field";
        case IdKind::HpFont:
            return "HP font";
        case IdKind::EpsonFont:
            return "Epson font";
        default:
            return "name";
    }
}

const NameUse* declaration_of(const Analysis& a, std::string_view name) {
    for (const NameUse& u : a.check.names)
        if (u.declaration && equal_ignore_case(u.name, name)) return &u;
    return nullptr;
}

std::string keyword_label(Tok t) {
    const char* name = token_name(t);
    return name ? name : "";
}

// Where `at` stands: the section, and whether inside the SETTINGS of a program.
WordPlace place_of(const Analysis& a, Place at) {
    WordPlace section = WordPlace::TopLevel;
    std::vector<Tok> braces;  // for each open brace, the keyword of "KEYWORD = {", or END
    for (std::size_t i = 0; i < a.tokens.size(); ++i) {
        const Token& t = a.tokens[i];
        if (!before(start_of(t), at)) break;
        switch (t.code) {
            case Tok::SEC_INPUT:
                section = WordPlace::Input;
                braces.clear();
                break;
            case Tok::SEC_EXTRACT:
                section = WordPlace::Extract;
                braces.clear();
                break;
            case Tok::SEC_DELIVERY:
                section = WordPlace::Delivery;
                braces.clear();
                break;
            case Tok::SEC_OUTPUT:
                section = WordPlace::Output;
                braces.clear();
                break;
            case Tok::SEC_REFORMAT:
                section = WordPlace::Reformat;
                braces.clear();
                break;
            case Tok::LBRACE: {
                Tok label = Tok::END;
                if (i >= 2 && a.tokens[i - 1].code == Tok::EQ) label = a.tokens[i - 2].code;
                braces.push_back(label);
                break;
            }
            case Tok::RBRACE:
                if (!braces.empty()) braces.pop_back();
                break;
            default:
                break;
        }
    }
    if (!braces.empty() && braces.back() == Tok::SETTINGS) return WordPlace::Settings;
    if (braces.empty()) return WordPlace::TopLevel;
    return section;
}

}  // namespace

Analysis analyse(const std::string& path, const std::string& text) {
    Analysis a;
    a.path = path;
    if (text.size() > kMaxDocumentBytes) {
        CheckMessage m;
        m.file = path;
        m.line = 1;
        m.column = 1;
        m.text = strfmt("The definition is larger than %zu bytes; it is not checked here",
                        kMaxDocumentBytes);
        a.check.add(std::move(m));
        return a;
    }
    a.text = text;
    a.tokens = scan_tokens(text);
    CheckRequest request;
    request.path = path;
    request.text = &a.text;
    request.record_names = true;
    a.check = check_definition(request);
    return a;
}

std::vector<Diagnostic> diagnostics(const Analysis& a) {
    std::vector<Diagnostic> list;
    for (const CheckMessage& m : a.check.messages) {
        bool here = m.file == a.path;
        if (m.severity == CheckSeverity::Note && !list.empty()) {
            list.back().message += "\n" + m.text;
            continue;
        }
        Diagnostic d;
        d.severity = m.severity;
        if (here && m.line > 0) {
            d.span = word_span(a.text, m.line, std::max(m.column, 1));
            d.message = m.text;
        } else {
            // A message about an included file, or without a place: at the top.
            d.span = word_span(a.text, 1, 1);
            d.message = m.line > 0 ? strfmt("%s:%d:%d: %s", m.file.c_str(), m.line, m.column,
                                            m.text.c_str())
                                   : m.text;
        }
        list.push_back(std::move(d));
    }
    return list;
}

std::vector<CompletionItem> complete(const Analysis& a, Place at) {
    // The token before the word being typed decides what fits.
    const Token* previous = nullptr;
    for (const Token& t : a.tokens) {
        Place s = start_of(t);
        if (!before(s, at)) break;
        bool typing = s.line == at.line &&
                      s.column + static_cast<int>(token_length(t)) >= at.column &&
                      t.code != Tok::COMMA && t.code != Tok::EQ && t.code != Tok::LPAREN;
        if (!typing) previous = &t;
    }
    bool statement_start = !previous || previous->code == Tok::LBRACE ||
                           previous->code == Tok::RBRACE ||
                           (previous->line - 1 < at.line && previous->code != Tok::COMMA &&
                            previous->code != Tok::EQ && previous->code != Tok::LPAREN);
    std::vector<CompletionItem> items;
    auto add_names = [&](bool programs_only) {
        std::unordered_set<std::string> seen;
        for (const NameUse& u : a.check.names) {
            if (!u.declaration) continue;
            ItemKind k = item_kind(u.kind);
            if (programs_only && k != ItemKind::Program) continue;
            if (!seen.insert(u.name).second) continue;
            items.push_back({u.name, k, kind_word(u.kind)});
        }
    };
    if (statement_start) {
        for (Tok t : words_at(place_of(a, at)))
            items.push_back({keyword_label(t), ItemKind::Keyword, keyword_summary(t)});
        add_names(true);
        return items;
    }
    add_names(false);
    for (const Builtin& b : kBuiltins)
        items.push_back({keyword_label(b.token), ItemKind::Function, function_form(b.token)});
    return items;
}

std::optional<std::string> hover(const Analysis& a, Place at) {
    const Token* t = token_at(a, at);
    if (!t) return std::nullopt;
    if (t->code == Tok::IDENT) {
        const NameUse* d = declaration_of(a, t->text);
        if (!d) return std::nullopt;
        std::string_view line = line_text(a.text, d->line - 1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        return strfmt("%s **%s**, declared at line %d:\n```\n%s\n```", kind_word(d->kind),
                      d->name.c_str(), d->line, std::string(line).c_str());
    }
    std::string form = function_form(t->code);
    if (!form.empty())
        return strfmt("```\n%s\n```\n%s", form.c_str(), function_summary(t->code).c_str());
    std::string meaning = keyword_summary(t->code);
    if (!meaning.empty()) return strfmt("**%s**: %s", token_name(t->code), meaning.c_str());
    return std::nullopt;
}

std::optional<Location> definition(const Analysis& a, Place at) {
    const Token* t = token_at(a, at);
    if (!t || t->code != Tok::IDENT) return std::nullopt;
    const NameUse* d = declaration_of(a, t->text);
    if (!d) return std::nullopt;
    return Location{d->file == a.path ? a.path : d->file, word_span(a.text, d->line, d->column)};
}

std::vector<Location> references(const Analysis& a, Place at, bool with_declaration) {
    std::vector<Location> list;
    const Token* t = token_at(a, at);
    if (!t || t->code != Tok::IDENT) return list;
    for (const NameUse& u : a.check.names) {
        if (!equal_ignore_case(u.name, t->text) || (u.declaration && !with_declaration)) continue;
        if (u.file != a.path) continue;
        Location l{a.path, word_span(a.text, u.line, u.column)};
        bool repeated = std::any_of(list.begin(), list.end(), [&](const Location& o) {
            return o.span.start == l.span.start;
        });
        if (!repeated) list.push_back(std::move(l));
    }
    return list;
}

namespace {

// The place just after the brace closing the first "{" at or after token i.
Place block_end(const Analysis& a, std::size_t i) {
    int depth = 0;
    for (; i < a.tokens.size(); ++i) {
        const Token& t = a.tokens[i];
        if (t.code == Tok::LBRACE) ++depth;
        if (t.code == Tok::RBRACE && --depth == 0) return {t.line - 1, t.column};
    }
    return a.tokens.empty() ? Place{} : start_of(a.tokens.back());
}

bool is_section(Tok t) {
    return t == Tok::SEC_INPUT || t == Tok::SEC_EXTRACT || t == Tok::SEC_DELIVERY ||
           t == Tok::SEC_OUTPUT || t == Tok::SEC_REFORMAT;
}

}  // namespace

std::vector<Symbol> document_symbols(const Analysis& a) {
    std::map<std::pair<int, int>, const NameUse*> declared;
    for (const NameUse& u : a.check.names)
        if (u.declaration && u.file == a.path) declared.emplace(std::pair(u.line, u.column), &u);
    std::vector<Symbol> sections;
    for (std::size_t i = 0; i < a.tokens.size(); ++i) {
        const Token& t = a.tokens[i];
        if (is_section(t.code)) {
            Symbol s;
            s.name = token_name(t.code);
            s.section = true;
            s.span.start = start_of(t);
            s.name_span = {start_of(t),
                           {t.line - 1, t.column - 1 + static_cast<int>(token_length(t))}};
            sections.push_back(std::move(s));
            continue;
        }
        if (t.code != Tok::IDENT || sections.empty()) continue;
        auto found = declared.find(std::pair(t.line, t.column));
        if (found == declared.end()) continue;
        const NameUse* d = found->second;
        ItemKind k = item_kind(d->kind);
        if (k != ItemKind::Program && k != ItemKind::Output) continue;
        Symbol p;
        p.name = t.text;
        p.name_span = {start_of(t), {t.line - 1, t.column - 1 + static_cast<int>(t.text.size())}};
        p.span = {p.name_span.start, block_end(a, i)};
        // A header written before its name ("REFORMAT = name") starts the program.
        if (i >= 2 && a.tokens[i - 1].code == Tok::EQ &&
            (a.tokens[i - 2].code == Tok::REFORMAT || a.tokens[i - 2].code == Tok::OUTPUT))
            p.span.start = start_of(a.tokens[i - 2]);
        sections.back().children.push_back(std::move(p));
    }
    // A section reaches to the next one, the last to the end of the text.
    Place end{0, 0};
    if (!a.tokens.empty()) {
        const Token& last = a.tokens.back();
        end = {last.line - 1, last.column - 1 + static_cast<int>(token_length(last))};
    }
    for (std::size_t i = 0; i < sections.size(); ++i)
        sections[i].span.end = i + 1 < sections.size() ? sections[i + 1].span.start : end;
    return sections;
}

std::vector<Fold> folding_ranges(const Analysis& a) {
    std::vector<Fold> folds;
    std::vector<int> open;
    for (const Token& t : a.tokens) {
        if (t.code == Tok::LBRACE) open.push_back(t.line - 1);
        if (t.code == Tok::RBRACE && !open.empty()) {
            int start = open.back();
            open.pop_back();
            if (t.line - 1 > start) folds.push_back({start, t.line - 1});
        }
    }
    for (const Symbol& s : document_symbols(a))
        if (s.span.end.line > s.span.start.line)
            folds.push_back({s.span.start.line, s.span.end.line - 1});
    return folds;
}

}  // namespace morvel::lsp
