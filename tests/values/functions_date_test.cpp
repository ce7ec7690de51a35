#include <gtest/gtest.h>
#include <stdlib.h>

#include <ctime>
#include <string>

#include "test_support.h"
#include "values/functions_internal.h"

namespace morvel {
namespace {

// Friday 15 March 2024, 12:30:00 UTC.
constexpr std::time_t kNow = 1710505800;

// Fixes the time zone for one test and restores the machine's afterwards.
class FunctionsDate : public ::testing::Test {
  protected:
    void SetUp() override {
        if (const char* tz = getenv("TZ")) saved_ = tz;
        use_zone("UTC0");
        c.run.clock = [] { return kNow; };
    }
    void TearDown() override {
        if (saved_)
            setenv("TZ", saved_->c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static void use_zone(const char* tz) {
        setenv("TZ", tz, 1);
        tzset();
    }
    Text date(const std::string& base, const std::string& x, const std::string& y = "") {
        return fn_date(c.run, base, x, y);
    }
    test::CapturedRun c;
    std::optional<std::string> saved_;
};

TEST_F(FunctionsDate, MonthsCarryIntoTheNextMonth) {
    EXPECT_EQ(date("31/01/2024", "+1m", "%d/%m/%Y"), "02/03/2024");
    EXPECT_EQ(date("31/01/2023", "+1m"), "03/03/2023");
    EXPECT_EQ(date("15/01/2024", "-1m"), "15/12/2023");
    EXPECT_EQ(date("15/01/2024", "+25m"), "15/02/2026");
    // An unsigned month counts from 1 and carries the year beyond 12.
    EXPECT_EQ(date("15/03/2024", "1m"), "15/01/2024");
    EXPECT_EQ(date("15/03/2024", "12m"), "15/12/2024");
    EXPECT_EQ(date("15/03/2024", "13m"), "15/01/2025");
}

TEST_F(FunctionsDate, WeekdaysAroundAFriday) {
    struct Case {
        const char* modify;
        const char* want;
    };
    const Case cases[] = {
        {"+1w", "18/03/2024"}, {"-1w", "11/03/2024"}, {"1w", "11/03/2024"}, {"5w", "15/03/2024"},
        {"+5w", "15/03/2024"}, {"-5w", "15/03/2024"}, {"0w", "10/03/2024"}, {"+0w", "17/03/2024"},
        {"9w", "16/03/2024"},  {"-6w", "09/03/2024"},
    };
    for (const Case& k : cases) EXPECT_EQ(date("15/03/2024", k.modify), k.want) << k.modify;
}

TEST_F(FunctionsDate, DaysAndYears) {
    EXPECT_EQ(date("25/12/2023", "+10d"), "04/01/2024");
    EXPECT_EQ(date("01/03/2024", "-1d"), "29/02/2024");
    EXPECT_EQ(date("15/02/2023", "31d"), "28/02/2023");
    EXPECT_EQ(date("15/02/2023", "0d"), "01/02/2023");
    EXPECT_EQ(date("29/02/2024", "+1y"), "01/03/2025");
    EXPECT_EQ(date("29/02/2024", "2000y"), "29/02/2000");
    // Tokens apply in order and normalise only at the end (or where a weekday is needed).
    EXPECT_EQ(date("15/01/2024", "+1m:1d"), "01/02/2024");
    EXPECT_EQ(date("31/01/2024", "+1m:5d"), "05/02/2024");
    EXPECT_EQ(date("15/01/2024", "+1D:+1M:+1Y"), "16/02/2025");
    // Empty tokens, unknown units and non-numbers are skipped.
    EXPECT_EQ(date("15/01/2024", "::x:+1q:abcd:+d:1.5d: 1d"), "15/01/2024");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST_F(FunctionsDate, CalendarDaysAcrossDaylightSaving) {
    use_zone("GMT0BST,M3.5.0/1,M10.5.0");
    // 27 October 2024 has 25 hours, 31 March 2024 has 23.
    EXPECT_EQ(date("27/10/2024", "+1d"), "28/10/2024");
    EXPECT_EQ(date("28/10/2024", "-1d"), "27/10/2024");
    EXPECT_EQ(date("31/03/2024", "+1d"), "01/04/2024");
    EXPECT_EQ(date("01/04/2024", "-1d"), "31/03/2024");
}

TEST_F(FunctionsDate, BaseDateForms) {
    EXPECT_EQ(date("15/03/24", ""), "15/03/2024");
    EXPECT_EQ(date("15/03/69", ""), "15/03/2069");
    EXPECT_EQ(date("15/03/70", ""), "15/03/1970");
    EXPECT_EQ(date("15032024", ""), "15/03/2024");
    EXPECT_EQ(date("31/02/2023", ""), "28/02/2023");
    EXPECT_EQ(date("30/02/2024", ""), "29/02/2024");
    EXPECT_EQ(date("00/03/2024", ""), "01/03/2024");
    // A month beyond 12 is carried by the calendar.
    EXPECT_EQ(date("01/13/2024", ""), "01/01/2025");
    for (const char* bad : {"", "15/03/202", "15-03-2024", "1503202x", "15/0x/2024", "15/03/2024 "})
        EXPECT_FALSE(read_base_date(bad)) << bad;
}

TEST_F(FunctionsDate, UnreadableBaseIsNow) {
    EXPECT_EQ(date("tomorrow", "", "%d/%m/%Y %H:%M"), "15/03/2024 12:30");
    EXPECT_EQ(date("", "+1d"), "16/03/2024");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
    EXPECT_EQ(fn_date(c.run, std::nullopt, "+1d", ""), "16/03/2024");
    EXPECT_EQ(c.log(), "Unable to evaluate base date in DATE function at line 0 of \n");
}

TEST_F(FunctionsDate, Comparisons) {
    struct Case {
        const char* a;
        const char* op;
        const char* b;
        const char* want;
    };
    const Case cases[] = {
        {"01/01/2024", "<", "02/01/2024", "1"},
        {"02/01/2024", "<", "01/01/2024", "0"},
        {"01/01/2024", "<=", "01/01/2024", "1"},
        {"01/01/2024", ">", "31/12/2023", "1"},
        {"01/01/2024", ">=", "02/01/2024", "0"},
        {"01/01/24", "=", "01012024", "1"},
        {"01/01/2024", "<>", "01/01/2024", "0"},
        {"01/01/2024", "=<", "01/01/2024", "0"},
        // An unreadable date is now, time of day included.
        {"x", "=", "y", "1"},
        {"15/03/2024", "<", "now", "1"},
        {"16/03/2024", ">", "now", "1"},
    };
    for (const Case& k : cases) EXPECT_EQ(date(k.a, k.op, k.b), k.want) << k.a << k.op << k.b;
}

TEST_F(FunctionsDate, NowAndFormats) {
    EXPECT_EQ(fn_date_now(c.run, std::nullopt), "15/03/2024");
    EXPECT_EQ(fn_date_now(c.run, std::string("%Y-%m-%d %H:%M:%S %a")), "2024-03-15 12:30:00 Fri");
    EXPECT_EQ(fn_date_now(c.run, std::string("")), "");
    use_zone("EST5");
    EXPECT_EQ(fn_date_now(c.run, std::string("%d %H")), "15 07");
    EXPECT_EQ(date("15/03/2024", "", "%j %A"), "075 Friday");
    EXPECT_EQ(c.run.MEMORY_ERROR, 0);
}

TEST_F(FunctionsDate, ResultLimit) {
    // 248 characters fit, 249 do not.
    EXPECT_EQ(fn_date_now(c.run, std::string(248, 'x')), std::string(248, 'x'));
    EXPECT_EQ(fn_date_now(c.run, std::string(249, 'x')), std::nullopt);
    EXPECT_EQ(date("15/03/2024", "", std::string(249, 'x')), std::nullopt);
    // Years beyond the calendar of the C library.
    EXPECT_EQ(date("15/03/2024", "+9999999999999y"), std::nullopt);
    EXPECT_EQ(c.log(),
              "Unable to get time/date for DATE function at line 0 of \n"
              "Unable to format time/date for DATE function at line 0 of \n"
              "Unable to format time/date for DATE function at line 0 of \n");
}

}  // namespace
}  // namespace morvel
