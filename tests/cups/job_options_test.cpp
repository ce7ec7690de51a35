#include "cups/job_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace morvel {
namespace {

struct OptionsCase {
    const char* text;
    std::vector<JobOption> expected;
};

bool operator==(const JobOption& a, const JobOption& b) {
    return a.name == b.name && a.value == b.value;
}

TEST(JobOptions, ReadsPairsAsThePrintServerWritesThem) {
    const OptionsCase cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"a=1 b=2", {{"a", "1"}, {"b", "2"}}},
        {"  a=1\t\tb=2  ", {{"a", "1"}, {"b", "2"}}},
        {"morvel-definition='/etc/my jobs/a.def'", {{"morvel-definition", "/etc/my jobs/a.def"}}},
        {R"(t="say \"hi\"" u=x)", {{"t", R"(say "hi")"}, {"u", "x"}}},
        {R"(p=a\ b\\c)", {{"p", R"(a b\c)"}}},
        {"p=pre'mid dle'post", {{"p", "premid dlepost"}}},
        {"col={a=1 b={c=2}} next=3", {{"col", "{a=1 b={c=2}}"}, {"next", "3"}}},
        {"flag other=1", {{"flag", "true"}, {"other", "1"}}},
        {"empty= x=1", {{"empty", ""}, {"x", "1"}}},
        {"open='never closed", {{"open", "never closed"}}},
        {"brace={never closed", {{"brace", "{never closed"}}},
        {"trail=\\", {{"trail", "\\"}}},
    };
    for (const OptionsCase& c : cases) {
        std::vector<JobOption> got = parse_job_options(c.text);
        EXPECT_EQ(got.size(), c.expected.size()) << c.text;
        for (std::size_t i = 0; i < got.size() && i < c.expected.size(); ++i)
            EXPECT_TRUE(got[i] == c.expected[i])
                << c.text << ": [" << i << "] " << got[i].name << "=" << got[i].value;
    }
}

TEST(JobOptions, FindsTheLastPairOfANameIgnoringCase) {
    auto options = parse_job_options("Morvel-Definition=/a.def copies=2 morvel-definition=/b.def");
    EXPECT_EQ(find_job_option(options, "morvel-definition"), "/b.def");
    EXPECT_EQ(find_job_option(options, "COPIES"), "2");
    EXPECT_EQ(find_job_option(options, "morvel-output"), std::nullopt);
    EXPECT_EQ(find_job_option(options, "copie"), std::nullopt);
}

}  // namespace
}  // namespace morvel
