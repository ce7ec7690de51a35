#include "core/write_access.h"

#include <grp.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "core/strfmt.h"

namespace morvel {

namespace {

bool contains(const std::vector<gid_t>& groups, gid_t gid) {
    return std::find(groups.begin(), groups.end(), gid) != groups.end();
}

// The group's database record needs a buffer of a size the system chooses; it grows
// until the record fits.
std::optional<gid_t> group_id(const char* name) {
    if (!name || !*name) return std::nullopt;
    std::vector<char> buffer(1024);
    struct group record {};
    struct group* found = nullptr;
    while (getgrnam_r(name, &record, buffer.data(), buffer.size(), &found) == ERANGE &&
           buffer.size() < (1u << 20))
        buffer.resize(buffer.size() * 2);
    if (!found) return std::nullopt;
    return found->gr_gid;
}

}  // namespace

WriteTrust process_write_trust(const char* admin_group) {
    WriteTrust trust;
    trust.self_uid = geteuid();
    trust.self_groups.push_back(getegid());
    int count = getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        count = getgroups(count, groups.data());
        if (count > 0)
            trust.self_groups.insert(trust.self_groups.end(), groups.begin(),
                                     groups.begin() + count);
    }
    trust.trusted_owner = 0;
    trust.trusted_groups.push_back(0);
    if (std::optional<gid_t> admin = group_id(admin_group)) trust.trusted_groups.push_back(*admin);
    return trust;
}

std::optional<std::string> untrusted_writer(const struct stat& st, const WriteTrust& trust) {
    bool self_is_root = trust.self_uid == 0;
    // An owner can always give themselves the right to write.
    if (st.st_uid != 0 && st.st_uid != trust.trusted_owner)
        return strfmt("it belongs to user %u, not to root (chown root)",
                      static_cast<unsigned>(st.st_uid));
    if (st.st_uid == trust.self_uid && !self_is_root)
        return strfmt("it belongs to user %u, the user this program runs as (chown root)",
                      static_cast<unsigned>(st.st_uid));
    if (st.st_mode & S_IWGRP) {
        unsigned gid = static_cast<unsigned>(st.st_gid);
        if (st.st_gid != 0 && !contains(trust.trusted_groups, st.st_gid))
            return strfmt(
                "group %u can write it (chmod g-w, or chgrp to the administrators' group)", gid);
        if (!self_is_root && contains(trust.self_groups, st.st_gid))
            return strfmt(
                "group %u can write it and the user this program runs as is in that "
                "group (chmod g-w)",
                gid);
    }
    if (st.st_mode & S_IWOTH) return std::string("anyone can write it (chmod o-w)");
    return std::nullopt;
}

}  // namespace morvel
