// Text functions: lengths, letter case, substrings, searching, padding and
// character codes, each in byte mode or UTF-8 mode.
#include <cctype>
#include <cerrno>
#include <cstdint>

#include "core/messages.h"
#include "core/strfmt.h"
#include "run.h"
#include "values/functions_internal.h"
#include "values/identifiers.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

// A pad far beyond any page would only exhaust memory; refuse it instead.
constexpr long kMaxPadLength = 16L * 1024 * 1024;

// Reads a position or length argument that must be a number; nullopt when it is not.
std::optional<long> integer_argument(Run& run, const Text& text) {
    if (!text || !is_number(*text)) return std::nullopt;
    return to_integer(run, *text);
}

}  // namespace

std::size_t utf8_count(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t pos = 0; pos < s.size();
         pos += static_cast<std::size_t>(utf8_sequence_length(s, pos)))
        ++n;
    return n;
}

std::size_t utf8_advance(std::string_view s, std::size_t from, std::size_t chars) {
    std::size_t pos = from;
    while (chars > 0 && pos < s.size()) {
        pos += static_cast<std::size_t>(utf8_sequence_length(s, pos));
        --chars;
    }
    return pos < s.size() ? pos : s.size();
}

std::size_t find_nocase(std::string_view hay, std::string_view needle, std::size_t from) {
    if (needle.size() > hay.size()) return std::string_view::npos;
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i)
        if (equal_ignore_case(hay.substr(i, needle.size()), needle)) return i;
    return std::string_view::npos;
}

int character_mode(Run& run, const Text& mode_text) {
    // LENGTH counts characters only for mode 1 exactly, so other non-zero modes stay apart.
    auto mode = [](long v) { return v == 0 ? 0 : v == 1 ? 1 : 2; };
    if (mode_text) return mode(leading_integer(*mode_text));
    // The definition may set utf8 to anything; what is not a number cannot be read as a mode.
    if (Identifier* id = lookup(run, "utf8")) {
        if (auto* var = id->as<VariableRecord>();
            var && var->cell.value && is_number(*var->cell.value))
            return mode(to_integer(run, *var->cell.value));
    }
    // A negative -u only asks for detection from the spool, which is not this mode.
    return run.options.utf8_mode > 0 ? mode(run.options.utf8_mode) : 0;
}

Text fn_length(std::string_view text, int mode) {
    std::size_t n = mode == 1 ? utf8_count(text) : text.size();
    return strfmt("%zu", n);
}

Text fn_ucase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

Text fn_lcase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

Text fn_substring(Run& run, std::string_view text, const Text& start, const Text& length,
                  int mode) {
    auto s = integer_argument(run, start);
    if (!s) {
        errno = 0;  // a level 3 report adds the system text, and no system call failed
        report_error(run, 3, "Null or invalid value for starts in SUBSTRING");
        return std::nullopt;
    }
    if (*s < 1) {
        report_error(run, 1, "Starts value for SUBSTRING is invalid");
        return std::nullopt;
    }
    auto n = integer_argument(run, length);
    if (!n) {
        errno = 0;
        report_error(run, 3, "Null or invalid value for length in SUBSTRING");
        return std::nullopt;
    }
    if (*n < 1) {
        report_error(run, 1, "Length value for SUBSTRING is invalid");
        return std::nullopt;
    }
    auto first = static_cast<std::size_t>(*s - 1);
    auto count = static_cast<std::size_t>(*n);
    if (mode) {
        std::size_t begin = utf8_advance(text, 0, first);
        if (begin >= text.size()) return std::string();
        return std::string(text.substr(begin, utf8_advance(text, begin, count) - begin));
    }
    if (first >= text.size()) return std::string();
    return std::string(text.substr(first, count));
}

Text fn_instr(Run& run, std::string_view text, std::string_view search, const std::string& start,
              int mode) {
    if (!is_number(start)) {
        report_error(run, 1, "INSTR start value is not a number >%s<", start.c_str());
        return std::nullopt;
    }
    long s = to_integer(run, start);
    auto first = static_cast<std::size_t>(s < 1 ? 0 : s - 1);
    if (mode) {
        std::size_t chars = utf8_count(text);
        if (chars < utf8_count(search) + first) return std::string("0");
        std::size_t found = text.find(search, utf8_advance(text, 0, first));
        if (found == std::string_view::npos) return std::string("0");
        return strfmt("%zu", utf8_count(text.substr(0, found)) + 1);
    }
    if (text.size() < search.size() + first) return std::string("0");
    std::size_t found = find_nocase(text, search, first);
    if (found == std::string_view::npos) return std::string("0");
    return strfmt("%zu", found + 1);
}

Text fn_pad(Run& run, bool left, std::string_view text, std::string_view pad,
            const std::string& length, int mode) {
    if (!is_number(length)) {
        if (left)
            report_error(run, 1, "LEFT_PAD length value is not a number >%s<", length.c_str());
        else
            report_error(run, 1, "RIGHT_PAD length value is not a number >%s<", length.c_str());
        return std::nullopt;
    }
    long n = to_integer(run, length);
    if (n > kMaxPadLength) {
        if (left)
            report_error(run, 1, "LEFT_PAD length value is too large >%s<", length.c_str());
        else
            report_error(run, 1, "RIGHT_PAD length value is too large >%s<", length.c_str());
        return std::nullopt;
    }
    std::string_view unit = " ";
    if (!pad.empty())
        unit = pad.substr(0, mode ? static_cast<std::size_t>(utf8_sequence_length(pad, 0)) : 1);
    std::size_t have = mode ? utf8_count(text) : text.size();
    std::size_t want = n < 0 ? 0 : static_cast<std::size_t>(n);
    if (have >= want) return std::string(text);
    std::string fill;
    if (unit.size() == 1) {
        fill.assign(want - have, unit[0]);
    } else {
        fill.reserve((want - have) * unit.size());
        for (std::size_t i = have; i < want; ++i) fill += unit;
    }
    return left ? fill + std::string(text) : std::string(text) + fill;
}

Text fn_delete(Run& run, std::string_view text, const Text& start, const Text& length) {
    auto s = integer_argument(run, start);
    if (!s) {
        errno = 0;
        report_error(run, 3, "Null or invalid value for starts in DELETE");
        return std::nullopt;
    }
    if (*s < 1) {
        report_error(run, 1, "Starts value for DELETE is invalid");
        return std::nullopt;
    }
    auto n = integer_argument(run, length);
    if (!n) {
        errno = 0;
        report_error(run, 3, "Null or invalid value for length in DELETE");
        return std::nullopt;
    }
    if (*n < 1) {
        report_error(run, 1, "Length value for DELETE is invalid");
        return std::nullopt;
    }
    std::string result(text);
    auto first = static_cast<std::size_t>(*s - 1);
    if (first < result.size()) result.erase(first, static_cast<std::size_t>(*n));
    return result;
}

Text fn_replace_string(Run& run, std::string_view text, std::string_view search,
                       std::string_view replacement) {
    if (search.empty()) {
        report_error(run, 1, "REPLACE_STRING has empty search parameter");
        return std::nullopt;
    }
    std::string result;
    std::size_t pos = 0;
    for (;;) {
        std::size_t found = find_nocase(text, search, pos);
        if (found == std::string_view::npos) break;
        result.append(text.substr(pos, found - pos));
        result.append(replacement);
        pos = found + search.size();
    }
    result.append(text.substr(pos));
    return result;
}

Text fn_asc(std::string_view text, int mode) {
    if (text.empty()) return std::string("0");
    if (!mode) return strfmt("%d", static_cast<int>(static_cast<std::int8_t>(text[0])));
    auto n = static_cast<std::size_t>(utf8_sequence_length(text, 0));
    auto lead = static_cast<unsigned char>(text[0]);
    if (n == 1) return strfmt("%d", static_cast<int>(lead));
    // The lead byte keeps 7 - n bits of the code point, each continuation byte 6.
    long code = lead & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i)
        code = (code << 6) | (static_cast<unsigned char>(text[i]) & 0x3F);
    return strfmt("%ld", code);
}

Text fn_chr(std::string_view n, int mode) {
    long code = leading_integer(n);
    std::string out;
    if (!mode) {
        // Only the low byte of the number fits in one byte, as a char would keep it.
        auto byte = static_cast<unsigned char>(code & 0xFF);
        if (byte != 0) out += static_cast<char>(byte);
        return out;
    }
    if (code <= 0 || code > 0x10FFFF) return out;
    auto put = [&out](long bits) { out += static_cast<char>(static_cast<unsigned char>(bits)); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | (code >> 6));
        put(0x80 | (code & 0x3F));
    } else if (code <= 0xFFFF) {
        put(0xE0 | (code >> 12));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | (code >> 18));
        put(0x80 | ((code >> 12) & 0x3F));
        put(0x80 | ((code >> 6) & 0x3F));
        put(0x80 | (code & 0x3F));
    }
    return out;
}

}  // namespace morvel
