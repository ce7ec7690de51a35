#include "driver/banner.h"

#include <algorithm>

#include "core/messages.h"
#include "core/strfmt.h"
#include "run.h"

namespace morvel {

namespace {
constexpr const char* kVersion = "5.0(2020.1)";
constexpr const char* kBuild = "000.000";
}  // namespace

std::string banner_line(const std::string& text) {
    int n = static_cast<int>(text.size());
    if (n >= 63) return text;
    std::string line = "*";
    line.append(static_cast<std::size_t>(std::max((63 - n) / 2, 1)), ' ');
    line += text;
    line.append(static_cast<std::size_t>(std::max((64 - n) / 2, 1)), ' ');
    line += '*';
    return line;
}

std::string banner_time(std::time_t when) {
    // English names whatever the locale, like the C library's asctime.
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm tm{};
    localtime_r(&when, &tm);
    return strfmt("%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[tm.tm_wday % 7], kMonths[tm.tm_mon % 12],
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 1900 + tm.tm_year);
}

void write_banner(Run& run, std::time_t when) {
    std::string stars(65, '*');
    report_info(run, "%s", stars.c_str());
    report_info(run, "*                  MORVEL V%s Build %s                   *", kVersion,
                kBuild);
    report_info(run, "%s", banner_line(run.options.definition_name).c_str());
    report_info(run, "%s", banner_line(run.options.spool_name).c_str());
    report_info(run, "%s", banner_line(banner_time(when)).c_str());
    report_info(run, "%s", stars.c_str());
}

}  // namespace morvel
