#include "core/strfmt.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace morvel {

namespace {

// One conversion's text padded to its width: on the right with '-', with zeros after
// the sign with '0' (numbers only), with blanks on the left otherwise.
void append_padded(std::string& out, const char* text, std::size_t length, std::size_t width,
                   bool left, bool zeros) {
    if (width <= length) {
        out.append(text, length);
        return;
    }
    std::size_t pad = width - length;
    if (left) {
        out.append(text, length);
        out.append(pad, ' ');
    } else if (zeros) {
        std::size_t sign = length > 0 && text[0] == '-' ? 1 : 0;
        out.append(text, sign);
        out.append(pad, '0');
        out.append(text + sign, length - sign);
    } else {
        out.append(pad, ' ');
        out.append(text, length);
    }
}

template <typename T>
void append_integer(std::string& out, T value, std::size_t width, bool left, bool zeros) {
    std::array<char, 24> digits;
    auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    append_padded(out, digits.data(), static_cast<std::size_t>(result.ptr - digits.data()), width,
                  left, zeros);
}

// The formats printer commands and messages mostly use, written without the C
// library's formatter: %d, %i, %u, %s, %c, %f and %% with an optional l, ll or z length,
// an optional width and the flags '-' and '0'. Returns false, leaving out as it was, at
// the first other conversion (precision, '*', floating point, ...), for vsnprintf to do.
bool append_simple(std::string& out, const char* fmt, va_list ap) {
    const std::size_t old = out.size();
    for (const char* p = fmt; *p;) {
        // Commands are short: a plain scan finds the next conversion soonest.
        const char* percent = p;
        while (*percent && *percent != '%') ++percent;
        out.append(p, static_cast<std::size_t>(percent - p));
        if (!*percent) break;
        p = percent + 1;
        bool left = false;
        bool zeros = false;
        for (;; ++p) {
            if (*p == '-')
                left = true;
            else if (*p == '0')
                zeros = true;
            else
                break;
        }
        std::size_t width = 0;
        while (*p >= '0' && *p <= '9') width = width * 10 + static_cast<std::size_t>(*p++ - '0');
        int longs = 0;
        bool size = false;
        if (*p == 'z') {
            size = true;
            ++p;
        } else {
            while (*p == 'l' && longs < 2) {
                ++longs;
                ++p;
            }
        }
        const bool plain = !size && longs == 0;
        bool known = true;
        switch (*p) {
            case 'd':
            case 'i':
                if (size)
                    append_integer(out, va_arg(ap, long), width, left, zeros);
                else if (longs == 2)
                    append_integer(out, va_arg(ap, long long), width, left, zeros);
                else if (longs == 1)
                    append_integer(out, va_arg(ap, long), width, left, zeros);
                else
                    append_integer(out, va_arg(ap, int), width, left, zeros);
                break;
            case 'u':
                if (size)
                    append_integer(out, va_arg(ap, std::size_t), width, left, zeros);
                else if (longs == 2)
                    append_integer(out, va_arg(ap, unsigned long long), width, left, zeros);
                else if (longs == 1)
                    append_integer(out, va_arg(ap, unsigned long), width, left, zeros);
                else
                    append_integer(out, va_arg(ap, unsigned), width, left, zeros);
                break;
            case 's': {
                if (!plain || zeros) {
                    known = false;
                    break;
                }
                const char* text = va_arg(ap, const char*);
                if (text)
                    append_padded(out, text, std::strlen(text), width, left, false);
                else
                    known = false;  // the C library's "(null)"
                break;
            }
            case 'c': {
                if (!plain || zeros) {
                    known = false;
                    break;
                }
                const char c = static_cast<char>(va_arg(ap, int));
                append_padded(out, &c, 1, width, left, false);
                break;
            }
            case 'f': {
                // Six decimals, correctly rounded like the C library's, for finite
                // values; infinities and NaNs keep the C library's spelling.
                const double x = va_arg(ap, double);
                std::array<char, 400> digits;
                auto result =
                    std::isfinite(x) && !size && longs < 2 && !left && !zeros && width == 0
                        ? std::to_chars(digits.data(), digits.data() + digits.size(), x,
                                        std::chars_format::fixed, 6)
                        : std::to_chars_result{nullptr, std::errc::value_too_large};
                if (result.ec != std::errc())
                    known = false;
                else
                    out.append(digits.data(), result.ptr);
                break;
            }
            case '%':
                if (plain && !left && !zeros && width == 0)
                    out.push_back('%');
                else
                    known = false;
                break;
            default:
                known = false;
        }
        if (!known) {
            out.resize(old);
            return false;
        }
        ++p;
    }
    return true;
}

}  // namespace

void vappendf(std::string& out, const char* fmt, va_list ap) {
    va_list copy;
    va_copy(copy, ap);
    bool done = append_simple(out, fmt, copy);
    va_end(copy);
    if (done) return;
    va_copy(copy, ap);
    int n = std::vsnprintf(nullptr, 0, fmt, copy);
    va_end(copy);
    if (n <= 0) return;
    std::size_t old = out.size();
    out.resize(old + static_cast<std::size_t>(n) + 1);
    std::vsnprintf(out.data() + old, static_cast<std::size_t>(n) + 1, fmt, ap);
    out.resize(old + static_cast<std::size_t>(n));
}

void appendf(std::string& out, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    vappendf(out, fmt, ap);
    va_end(ap);
}

std::string vstrfmt(const char* fmt, va_list ap) {
    std::string s;
    vappendf(s, fmt, ap);
    return s;
}

std::string strfmt(const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    std::string s = vstrfmt(fmt, ap);
    va_end(ap);
    return s;
}

std::string vstrfmt_bounded(std::size_t size, const char* fmt, va_list ap) {
    std::string s = vstrfmt(fmt, ap);
    if (size > 0 && s.size() > size - 1) s.resize(size - 1);
    return s;
}

}  // namespace morvel
