#include "core/strfmt.h"

#include <cstdio>

namespace morvel {

void vappendf(std::string& out, const char* fmt, va_list ap) {
    va_list copy;
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
