#include "output/undelivered.h"

#include <gtest/gtest.h>

namespace morvel {
namespace {

TEST(Undelivered, KeptNamesSayWhatTheFileIs) {
    struct Case {
        const char* dir;
        const char* program;
        int kind;
        int attempt;
        const char* expected;
    };
    const Case cases[] = {
        {"/tmp/", "printer", 0, 1, "/tmp/morvel-undelivered-printer.pcl"},
        {"./", "listing", 1, 1, "./morvel-undelivered-listing.txt"},
        {"", "feed", 3, 1, "morvel-undelivered-feed.xml"},
        {"/tmp/", "printer", 0, 2, "/tmp/morvel-undelivered-printer-2.pcl"},
    };
    for (const Case& k : cases)
        EXPECT_EQ(undelivered_file_name(k.dir, k.program, k.kind, k.attempt), k.expected);
}

}  // namespace
}  // namespace morvel
