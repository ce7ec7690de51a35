// Number functions: INT, MODULUS and the picture layout of FORMAT.
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "core/messages.h"
#include "core/strfmt.h"
#include "run.h"
#include "values/functions_internal.h"
#include "values/value.h"

namespace morvel {

namespace {

bool is_digit(char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
}

bool is_digit_position(char c) {
    return c == '9' || c == '*' || c == 'Z';
}

// Reports a picture that cannot hold the number; the caller then returns the picture.
void report_too_small(Run& run, const std::string& picture, const std::string& digits) {
    report_error(run, 1, "Format string is to small to hold the number in FORMAT");
    report_error(run, 0, "FORMAT(\"%s\", %s)", picture.c_str(), digits.c_str());
}

// Checks the picture: one ".", one "-", and no "9" or "*" after a "Z" in either half (each
// read from its outer end toward the "."). Reports and returns false when it fails.
bool picture_is_valid(Run& run, const std::string& picture, std::size_t dot) {
    bool seen_dot = false, seen_minus = false;
    for (char c : picture) {
        if (c == '.') {
            if (seen_dot) {
                report_error(run, 1, "Multiple decimal places in FORMAT");
                return false;
            }
            seen_dot = true;
        } else if (c == '-') {
            if (seen_minus) {
                report_error(run, 1, "Multiple minus signs in FORMAT");
                return false;
            }
            seen_minus = true;
        }
    }
    auto z_first = [&](std::size_t from, std::size_t to, int step) {
        bool z = false;
        for (std::size_t i = from; i != to; i += static_cast<std::size_t>(step)) {
            char c = picture[i];
            if (c == 'Z')
                z = true;
            else if ((c == '9' || c == '*') && z)
                return true;
        }
        return false;
    };
    std::size_t left_end = dot == std::string::npos ? picture.size() : dot;
    bool bad = z_first(0, left_end, 1);
    if (!bad && dot != std::string::npos) bad = z_first(picture.size() - 1, dot, -1);
    if (bad) {
        report_error(run, 0, "Got a 9 or * after a Z in FORMAT");
        // The fixed message above has no position; this line gives the statement's.
        std::string where;
        appendf(where,
                "In FORMAT(\"%.60s\", ...) each Z stands nearer the point than every 9 and * "
                "(99Z, not ZZ9); the statement is",
                picture.c_str());
        write_message(run, where, true);
        return false;
    }
    return true;
}

// Drops the blanks between a leading non-digit (a currency sign, a fill "*") and the first
// digit, "." or "-", keeping the blanks in front of everything.
std::string squeeze(const std::string& text) {
    auto numeric = [](char c) { return is_digit(c) || c == '.' || c == '-'; };
    std::string out;
    int phase = 0;  // 0 leading blanks, 1 after a non-digit, 2 from the first digit on
    for (char c : text) {
        if (phase == 0) {
            out += c;
            if (c != ' ') phase = numeric(c) ? 2 : 1;
        } else if (phase == 1) {
            if (c == ' ') continue;
            out += c;
            if (numeric(c)) phase = 2;
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace

long leading_integer(std::string_view text) {
    std::string s(text);
    return std::strtol(s.c_str(), nullptr, 10);
}

Text fn_int(const std::string& x) {
    if (!is_number(x)) return x;
    return strfmt("%ld", leading_integer(x));
}

Text fn_modulus(const std::string& a, const std::string& b) {
    if (!is_number(a) || !is_number(b)) return std::string();
    long divisor = leading_integer(b);
    if (divisor == 0) return std::string();
    // LONG_MIN % -1 overflows; every number divides by -1 without remainder.
    if (divisor == -1) return std::string("0");
    return strfmt("%ld", leading_integer(a) % divisor);
}

Text fn_format(Run& run, const std::string& picture, const Text& number) {
    if (!number) {
        errno = 0;  // a level 3 report adds the system text, and no system call failed
        report_error(run, 3, "Number in FORMAT is NULL");
        return picture;
    }
    // Amounts arrive as printed ("1,234.50-"): keep the number and move a trailing sign.
    std::string kept;
    for (char c : *number)
        if (is_digit(c) || c == '-' || c == '.') kept += c;
    if (!kept.empty() && kept.back() == '-') {
        kept.pop_back();
        kept.insert(kept.begin(), '-');
    }
    if (!is_number(kept)) {
        report_error(run, 1, "Number in format is not a valid number - (%s)", kept.c_str());
        return std::nullopt;
    }
    double x = kept.empty() ? 0.0 : std::strtod(kept.c_str(), nullptr);
    bool negative = x < 0;

    std::size_t dot = picture.find('.');
    if (!picture_is_valid(run, picture, dot)) return picture;
    std::size_t left_end = dot == std::string::npos ? picture.size() : dot;
    int ip = 0, fp = 0;
    for (std::size_t i = 0; i < picture.size(); ++i)
        if (is_digit_position(picture[i])) ++(i < left_end ? ip : fp);

    // A "." only goes into the digit text when there are fraction digits to follow it, so
    // a picture ending in "." keeps all its integer positions.
    std::string digits = strfmt("%0*.*f", ip + fp + (fp > 0 ? 1 : 0), fp, std::fabs(x) + 1e-14);
    std::size_t digits_dot = digits.find('.');
    std::string int_digits = digits.substr(0, digits_dot);
    std::string frac_digits = digits_dot == std::string::npos ? "" : digits.substr(digits_dot + 1);
    // A picture without integer positions still holds a number below 1.
    if (ip == 0 && int_digits == "0") int_digits.clear();
    if (int_digits.size() > static_cast<std::size_t>(ip)) {
        report_too_small(run, picture, digits);
        return picture;
    }

    std::string out = picture;
    std::size_t k = 0;
    bool placed = false;
    for (std::size_t i = 0; i < left_end; ++i) {
        char c = picture[i];
        if (c == '9' || c == '*' || c == 'Z') {
            char d = int_digits[k++];
            if (c != 'Z' && !placed && d == '0')
                out[i] = c == '9' ? ' ' : '*';
            else
                out[i] = d;
            if (d != '0') placed = true;
        } else if (c == ',') {
            out[i] = !placed || i == 0 || out[i - 1] == ' ' ? ' ' : ',';
        } else if (c == '-') {
            out[i] = negative ? '-' : ' ';
        }
    }
    if (dot != std::string::npos) {
        // The fraction fills from its end, so its trailing zeros are the ones suppressed.
        k = frac_digits.size();
        placed = false;
        for (std::size_t i = picture.size() - 1; i > dot; --i) {
            char c = picture[i];
            if (c == '9' || c == '*' || c == 'Z') {
                char d = frac_digits[--k];
                if (c != 'Z' && !placed && d == '0')
                    out[i] = c == '9' ? ' ' : '*';
                else
                    out[i] = d;
                if (d != '0') placed = true;
            } else if (c == ',') {
                out[i] = !placed || i == picture.size() - 1 || out[i + 1] == ' ' ? ' ' : ',';
            } else if (c == '-') {
                out[i] = negative ? '-' : ' ';
            }
        }
    }

    if (negative && picture.find('-') == std::string::npos) {
        std::size_t first = out.find_first_not_of(' ');
        if (first != std::string::npos) {
            if (first > 0) {
                out[first - 1] = '-';
            } else if (is_digit(out[0])) {
                // The sign would overwrite a digit of the amount: the picture is too small.
                report_too_small(run, picture, digits);
                return picture;
            } else {
                out[0] = '-';
            }
        }
    }
    std::string result = squeeze(out);
    if (result.size() < picture.size()) result.insert(0, picture.size() - result.size(), ' ');
    return result;
}

}  // namespace morvel
