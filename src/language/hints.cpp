#include "language/hints.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <unordered_set>

#include "core/messages.h"
#include "run.h"
#include "values/identifiers.h"

namespace morvel {

namespace {

char ascii_upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string upper(std::string_view word) {
    std::string out(word);
    std::transform(out.begin(), out.end(), out.begin(), ascii_upper);
    return out;
}

bool is_word(std::string_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_';
    });
}

// How far a word may be from a known one and still be taken for a slip: one edit in a
// short word, up to three in a long one.
int slip_limit(std::size_t length) {
    return std::clamp(static_cast<int>(length) / 4, 1, 3);
}

std::string joined(const std::vector<std::string>& words, const char* last_joint) {
    std::string out;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) out += i + 1 == words.size() ? last_joint : ", ";
        out += words[i];
    }
    return out;
}

// Dots per unit of length are the resolution divided by these (a point is 1/72 inch).
struct LengthUnit {
    const char* name;
    double per_inch;
};
constexpr LengthUnit kLengthUnits[] = {{"mm", 25.4}, {"cm", 2.54}, {"in", 1.0}, {"pt", 72.0}};

const LengthUnit* length_unit(const Token& t) {
    if (t.code != Tok::IDENT) return nullptr;
    for (const LengthUnit& u : kLengthUnits)
        if (upper(t.text) == upper(u.name)) return &u;
    return nullptr;
}

}  // namespace

int edit_distance(std::string_view a, std::string_view b) {
    // Three rows of the optimal-string-alignment table.
    std::vector<int> before(b.size() + 1), previous(b.size() + 1), current(b.size() + 1);
    std::iota(previous.begin(), previous.end(), 0);
    for (std::size_t i = 1; i <= a.size(); ++i) {
        current[0] = static_cast<int>(i);
        for (std::size_t j = 1; j <= b.size(); ++j) {
            int cost = ascii_upper(a[i - 1]) == ascii_upper(b[j - 1]) ? 0 : 1;
            current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
            if (i > 1 && j > 1 && ascii_upper(a[i - 1]) == ascii_upper(b[j - 2]) &&
                ascii_upper(a[i - 2]) == ascii_upper(b[j - 1]))
                current[j] = std::min(current[j], before[j - 2] + 1);
        }
        std::swap(before, previous);
        std::swap(previous, current);
    }
    return previous[b.size()];
}

std::vector<std::string> nearest_words(std::string_view word,
                                       const std::vector<std::string>& known) {
    int limit = slip_limit(word.size());
    std::vector<std::pair<int, std::string>> near;
    for (const std::string& k : known) {
        int d = edit_distance(word, k);
        if (d <= limit) near.emplace_back(d, k);
    }
    std::stable_sort(near.begin(), near.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<std::string> out;
    for (const auto& [d, k] : near) {
        if (out.size() == 3 || d > near.front().first) break;
        out.push_back(k);
    }
    return out;
}

std::vector<std::string> reserved_words() {
    std::vector<std::string> list;
    for (int code = 0; code < 256; ++code) {
        if (!is_token_code(code)) continue;
        Tok t = static_cast<Tok>(code);
        const char* name = token_name(t);
        if (!name || !is_word(name)) continue;
        std::optional<Tok> back = keyword_lookup(name);
        if (back && *back == t) list.emplace_back(name);
    }
    return list;
}

std::string token_text(const Token& t) {
    if (token_has_text(t.code)) return t.text;
    const char* name = token_name(t.code);
    return name ? name : "";
}

void hint_reserved_word(Run& run, const Token& found) {
    if (found.code == Tok::IDENT) return;
    std::string word = token_text(found);
    if (!is_word(upper(word)) || !keyword_lookup(word)) return;
    report_note(run, "%s is a reserved word; choose another name", upper(word).c_str());
}

std::string did_you_mean(std::string_view word, const std::vector<std::string>& known) {
    std::vector<std::string> near = nearest_words(word, known);
    return near.empty() ? std::string() : "did you mean " + joined(near, " or ") + "?";
}

std::string unknown_word_text(const Token& found) {
    std::vector<std::string> near = nearest_words(found.text, reserved_words());
    std::string text = found.text + " is not a setting or statement known here";
    if (!near.empty()) text += "; did you mean " + joined(near, " or ") + "?";
    return text;
}

void hint_unknown_word(Run& run, const Token& found) {
    if (found.code != Tok::IDENT) return;
    report_note(run, "%s", unknown_word_text(found).c_str());
}

void hint_allowed_values(Run& run, const Token& found, const char* setting, const char* allowed) {
    std::string what =
        found.code == Tok::END ? std::string("the end of the definition") : token_text(found);
    if (setting)
        report_note(run, "%s is not allowed here; %s takes %s", what.c_str(), setting, allowed);
    else
        report_note(run, "%s is not allowed here; allowed: %s", what.c_str(), allowed);
}

void hint_unknown_typefaces(Run& run, const std::vector<std::string>& typeface_names) {
    std::vector<std::string> reported;
    for (const std::string& name : typeface_names) {
        if (lookup(run, name) || is_default_identifier(name)) continue;
        if (std::find(reported.begin(), reported.end(), upper(name)) != reported.end()) continue;
        reported.push_back(upper(name));
        report_note(run,
                    "%s is not a typeface Morvel knows; the typefaces known are COURIER, TIMES "
                    "and UNIVERS, or give a PCL typeface number",
                    name.c_str());
    }
}

bool follows_position_by_mistake(const Token& t) {
    switch (t.code) {
        case Tok::PLUS:
        case Tok::MINUS:
        case Tok::STAR:
        case Tok::SLASH:
            return true;
        default:
            return length_unit(t) != nullptr;
    }
}

void hint_position_in_dots(Run& run, std::optional<long> number, const Token& found) {
    const LengthUnit* unit = length_unit(found);
    if (unit && number) {
        long dots = std::lround(static_cast<double>(*number) * 300.0 / unit->per_inch);
        report_note(run,
                    "Positions are numbers in dots at the program's resolution (300 per inch by "
                    "default): %ld%s is %ld dots at 300 per inch",
                    *number, found.text.c_str(), dots);
    } else {
        report_note(run,
                    "Positions are numbers in dots at the program's resolution (300 per inch by "
                    "default), written without a unit or an expression; a variable may stand "
                    "instead");
    }
}

void hint_missing_reformat_programs(Run& run, const std::vector<std::string>& mask_calls) {
    const std::vector<Identifier*> declared = preorder(run.ids.definitions.get());
    const bool has_reformat_section =
        std::any_of(declared.begin(), declared.end(),
                    [](const Identifier* id) { return id->kind == IdKind::Reformat; });
    const char* file = run.options.definition_name.c_str();
    std::unordered_set<std::string> reported;
    for (const std::string& name : mask_calls) {
        if (lookup(run, name) || is_default_identifier(name)) continue;
        if (!reported.insert(upper(name)).second) continue;
        if (has_reformat_section)
            report_note(run,
                        "%s is called in a MASK of %s, but its [REFORMAT] section has no "
                        "program REFORMAT = %s",
                        name.c_str(), file, name.c_str());
        else
            report_note(run,
                        "%s is called in a MASK of %s, which has no [REFORMAT] section: add one "
                        "with the program REFORMAT = %s",
                        name.c_str(), file, name.c_str());
    }
}

}  // namespace morvel
