// DATE: the current date, dates moved by modify texts, and date comparisons.
// Dates are local calendar dates, normalised by mktime.
#include <cctype>
#include <climits>
#include <ctime>

#include "core/messages.h"
#include "run.h"
#include "values/functions_internal.h"
#include "values/text_util.h"
#include "values/value.h"

namespace morvel {

namespace {

// strftime results are bounded at 248 characters.
constexpr std::size_t kDateTextSize = 249;

// A local date and time whose fields may have left their ranges (31 February, month 13)
// until it is normalised. Wide fields so that no modify token overflows them.
struct DateFields {
    long long year = 1970;  ///< full year
    long long mon = 0;      ///< 0 = January
    long long mday = 1;
    long long hour = 0, min = 0, sec = 0;
    int wday = 0;  ///< valid after normalise
};

DateFields fields_of(const std::tm& tm) {
    DateFields f;
    f.year = tm.tm_year + 1900LL;
    f.mon = tm.tm_mon;
    f.mday = tm.tm_mday;
    f.hour = tm.tm_hour;
    f.min = tm.tm_min;
    f.sec = tm.tm_sec;
    f.wday = tm.tm_wday;
    return f;
}

// The fields as the C library's broken-down time (fields checked to fit an int by the caller
// or by normalise), daylight saving left for mktime to find.
std::tm tm_of(const DateFields& f) {
    std::tm tm{};
    tm.tm_year = static_cast<int>(f.year - 1900);
    tm.tm_mon = static_cast<int>(f.mon);
    tm.tm_mday = static_cast<int>(f.mday);
    tm.tm_hour = static_cast<int>(f.hour);
    tm.tm_min = static_cast<int>(f.min);
    tm.tm_sec = static_cast<int>(f.sec);
    tm.tm_isdst = -1;
    return tm;
}

// Normalises the fields through mktime (31 February becomes 2 or 3 March); false when the
// date lies outside what the C library can represent.
bool normalise(DateFields& f, std::time_t* when = nullptr) {
    auto fits = [](long long v) { return v >= INT_MIN / 2 && v <= INT_MAX / 2; };
    if (!fits(f.year - 1900) || !fits(f.mon) || !fits(f.mday)) return false;
    std::tm tm = tm_of(f);
    std::time_t t = std::mktime(&tm);
    if (t == static_cast<std::time_t>(-1)) return false;
    f = fields_of(tm);
    if (when) *when = t;
    return true;
}

DateFields now_fields(Run& run) {
    std::time_t t = run.clock();
    std::tm tm{};
    localtime_r(&t, &tm);
    return fields_of(tm);
}

// A date argument: the base date it names, or now when it names none.
DateFields date_or_now(Run& run, std::string_view text) {
    auto base = read_base_date(text);
    if (!base) return now_fields(run);
    DateFields f;
    f.year = base->year;
    f.mon = base->month - 1;
    f.mday = base->day;
    return f;
}

// Formats with strftime into the bounded result; false when it does not fit.
bool format_date(const DateFields& f, const std::string& format, std::string& out) {
    std::tm tm = tm_of(f);
    tm.tm_wday = f.wday;
    // Normalising again fills the day of the year and the time zone for %j, %Z and the like.
    std::mktime(&tm);
    out.assign(kDateTextSize, '\0');
    // The format is the definition's own strftime text; strftime only reads the tm fields.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
    std::size_t n = std::strftime(out.data(), out.size(), format.c_str(), &tm);
#pragma GCC diagnostic pop
    out.resize(n);
    return n > 0 || format.empty();
}

long long floor_div(long long a, long long b) {
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// Carries the month into the year while it leaves 0-11.
void carry_month(DateFields& f) {
    long long years = floor_div(f.mon, 12);
    f.year += years;
    f.mon -= years * 12;
}

// Applies one modify token: [+|-]digits unit. Returns false only when the date had to be
// normalised on the way and could not be; tokens that are not of that form are skipped.
bool apply_token(DateFields& f, std::string_view token) {
    if (token.size() < 2) return true;
    char unit = fold_lower(token.back());
    std::string_view body = token.substr(0, token.size() - 1);
    int sign = 0;
    if (body[0] == '+' || body[0] == '-') {
        sign = body[0] == '+' ? 1 : -1;
        body.remove_prefix(1);
    }
    if (body.empty()) return true;
    for (char c : body)
        if (!std::isdigit(static_cast<unsigned char>(c))) return true;
    // Far more digits than any calendar needs: saturate, and let mktime refuse the result.
    long long n = body.size() > 12 ? 999999999999LL : std::stoll(std::string(body));
    switch (unit) {
        case 'd':
            if (sign != 0) {
                // Calendar days, not 86400-second steps, so a daylight-saving change at
                // midnight cannot keep or skip a date.
                f.mday += sign * n;
                return normalise(f);
            }
            f.mday = clamp_day(static_cast<int>(n > INT_MAX ? INT_MAX : n),
                               static_cast<int>(f.mon < 0    ? 1
                                                : f.mon > 11 ? 12
                                                             : f.mon + 1),
                               static_cast<long>(f.year));
            return true;
        case 'm':
            // An unsigned month counts from 1, like the months of base dates.
            f.mon = sign != 0 ? f.mon + sign * n : n - 1;
            carry_month(f);
            return true;
        case 'w': {
            if (!normalise(f)) return false;
            int want = n > 6 ? 6 : static_cast<int>(n);
            if (want == f.wday) return true;
            if (sign == 0)
                f.mday += want - f.wday;
            else if (sign > 0)
                f.mday += (want - f.wday + 7) % 7;
            else
                f.mday -= (f.wday - want + 7) % 7;
            return true;
        }
        case 'y':
            f.year = sign != 0 ? f.year + sign * n : n;
            return true;
        default:
            return true;
    }
}

}  // namespace

std::optional<BaseDate> read_base_date(std::string_view text) {
    std::string_view dd, mm, yy;
    bool slashes = text.size() >= 6 && text[2] == '/' && text[5] == '/';
    if (text.size() == 10 && slashes) {
        dd = text.substr(0, 2), mm = text.substr(3, 2), yy = text.substr(6, 4);
    } else if (text.size() == 8 && slashes) {
        dd = text.substr(0, 2), mm = text.substr(3, 2), yy = text.substr(6, 2);
    } else if (text.size() == 8) {
        dd = text.substr(0, 2), mm = text.substr(2, 2), yy = text.substr(4, 4);
    } else {
        return std::nullopt;
    }
    for (std::string_view part : {dd, mm, yy})
        if (!is_number(part)) return std::nullopt;
    BaseDate d;
    d.month = static_cast<int>(leading_integer(mm));
    d.year = static_cast<int>(leading_integer(yy));
    if (yy.size() == 2) d.year += d.year >= 70 ? 1900 : 2000;
    d.day = clamp_day(static_cast<int>(leading_integer(dd)), d.month, d.year);
    return d;
}

Text fn_date_now(Run& run, const Text& format) {
    DateFields now = now_fields(run);
    std::string out;
    if (!format_date(now, format ? *format : std::string("%d/%m/%Y"), out)) {
        report_error(run, 1, "Unable to get time/date for DATE function");
        return std::nullopt;
    }
    return out;
}

Text fn_date(Run& run, const Text& base, const std::string& x, const std::string& y) {
    DateFields date;
    if (base) {
        date = date_or_now(run, *base);
    } else {
        report_error(run, 1, "Unable to evaluate base date in DATE function");
        date = now_fields(run);
    }
    if (!x.empty() && (x[0] == '<' || x[0] == '>' || x[0] == '=')) {
        DateFields other = date_or_now(run, y);
        std::time_t a = 0, b = 0;
        if (!normalise(date, &a) || !normalise(other, &b)) return std::nullopt;
        bool r = false;
        if (x == "<")
            r = a < b;
        else if (x == "<=")
            r = a <= b;
        else if (x == ">")
            r = a > b;
        else if (x == ">=")
            r = a >= b;
        else if (x == "=")
            r = a == b;
        else if (x == "<>")
            r = a != b;
        return std::string(r ? "1" : "0");
    }
    bool ok = true;
    std::size_t start = 0;
    while (ok && start <= x.size()) {
        std::size_t end = x.find(':', start);
        if (end == std::string::npos) end = x.size();
        ok = apply_token(date, std::string_view(x).substr(start, end - start));
        start = end + 1;
    }
    std::string out;
    if (!ok || !normalise(date) || !format_date(date, y.empty() ? "%d/%m/%Y" : y, out)) {
        report_error(run, 1, "Unable to format time/date for DATE function");
        return std::nullopt;
    }
    return out;
}

}  // namespace morvel
