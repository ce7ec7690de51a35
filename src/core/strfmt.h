#pragma once
// printf-style formatting into std::string. Formats are literals so the
// compiler checks every argument; user text goes in through "%s" only.
#include <cstdarg>
#include <cstddef>
#include <string>

namespace morvel {

/// Formats like printf into a new string.
[[gnu::format(printf, 1, 2)]] std::string strfmt(const char* fmt, ...);

/// Formats like vprintf into a new string.
[[gnu::format(printf, 1, 0)]] std::string vstrfmt(const char* fmt, va_list ap);

/// Appends printf-style output to out.
[[gnu::format(printf, 2, 3)]] void appendf(std::string& out, const char* fmt, ...);

/// Appends vprintf-style output to out.
[[gnu::format(printf, 2, 0)]] void vappendf(std::string& out, const char* fmt, va_list ap);

/// Formats into a text bounded like a C buffer of `size` bytes: at most size - 1 characters.
[[gnu::format(printf, 2, 0)]] std::string vstrfmt_bounded(std::size_t size, const char* fmt,
                                                          va_list ap);

}  // namespace morvel
