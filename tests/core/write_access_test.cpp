#include "core/write_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <optional>
#include <string>
#include <vector>

namespace morvel {
namespace {

constexpr uid_t kRoot = 0;
constexpr uid_t kAdmin = 500;  // an owner trusted besides root
constexpr uid_t kFilter = 7;   // the user the program runs as
constexpr uid_t kStranger = 1000;
constexpr gid_t kAdmins = 120;  // the administrators' group
constexpr gid_t kFilterGroup = 7;
constexpr gid_t kUsers = 100;

struct stat file(uid_t uid, gid_t gid, mode_t mode) {
    struct stat st {};
    st.st_uid = uid;
    st.st_gid = gid;
    st.st_mode = S_IFREG | mode;
    return st;
}

TEST(WriteAccess, OnlyRootTheTrustedOwnerAndTrustedGroupsMayWrite) {
    WriteTrust filter;
    filter.self_uid = kFilter;
    filter.self_groups = {kFilterGroup};
    filter.trusted_owner = kAdmin;
    filter.trusted_groups = {0, kAdmins, kFilterGroup};
    WriteTrust runs_as_owner = filter;
    runs_as_owner.trusted_owner = kFilter;
    WriteTrust as_root = filter;
    as_root.self_uid = kRoot;
    as_root.self_groups = {0};
    struct Case {
        const char* what;
        const WriteTrust& trust;
        struct stat st;
        const char* reason;  // a part of the reason; nullptr: trusted
    } cases[] = {
        {"root's, 0644", filter, file(kRoot, 0, 0644), nullptr},
        {"root's, 0755 folder", filter, file(kRoot, 0, 0755), nullptr},
        {"the trusted owner's", filter, file(kAdmin, kUsers, 0644), nullptr},
        {"administrators may write", filter, file(kRoot, kAdmins, 0664), nullptr},
        {"root's group may write", filter, file(kRoot, 0, 0664), nullptr},
        {"a stranger's", filter, file(kStranger, 0, 0444), "belongs to user 1000, not to root"},
        {"the filter user's", filter, file(kFilter, 0, 0444), "belongs to user 7, not to root"},
        {"the trusted owner runs it", runs_as_owner, file(kFilter, 0, 0444),
         "belongs to user 7, the user this program runs as (chown root)"},
        {"users may write", filter, file(kRoot, kUsers, 0664), "group 100 can write it"},
        {"users may not write", filter, file(kRoot, kUsers, 0644), nullptr},
        {"the filter's group may write", filter, file(kRoot, kFilterGroup, 0664),
         "the user this program runs as is in that group"},
        {"anyone may write", filter, file(kRoot, 0, 0666), "anyone can write it (chmod o-w)"},
        {"a sticky folder anyone may write", filter, file(kRoot, 0, 01777), "anyone can write"},
        {"root runs it over its own group", as_root, file(kRoot, 0, 0664), nullptr},
        {"root runs it over a stranger's", as_root, file(kStranger, 0, 0644), "user 1000"},
        {"root runs it, anyone may write", as_root, file(kRoot, 0, 0646), "anyone can write"},
    };
    for (const Case& c : cases) {
        std::optional<std::string> why = untrusted_writer(c.st, c.trust);
        if (!c.reason) {
            EXPECT_EQ(why, std::nullopt) << c.what;
        } else {
            ASSERT_TRUE(why.has_value()) << c.what;
            EXPECT_NE(why->find(c.reason), std::string::npos) << c.what << ": " << *why;
        }
    }
}

TEST(WriteAccess, TheProcessTrustsRootAndKnowsItsOwnUser) {
    WriteTrust trust = process_write_trust("no-such-group-here");
    EXPECT_EQ(trust.self_uid, geteuid());
    ASSERT_FALSE(trust.self_groups.empty());
    EXPECT_EQ(trust.self_groups.front(), getegid());
    EXPECT_EQ(trust.trusted_owner, 0u);
    EXPECT_EQ(trust.trusted_groups, std::vector<gid_t>{0});
    EXPECT_EQ(process_write_trust("root").trusted_groups, (std::vector<gid_t>{0, 0}));
}

}  // namespace
}  // namespace morvel
