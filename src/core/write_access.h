#pragma once
// Who besides the administrator can change a file or folder: a program that runs what
// a file says (a definition) trusts the file only when no one it does not trust can
// write it, replace it or give themselves the right to.
#include <sys/stat.h>
#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace morvel {

/// The user a program runs as, and the writers it trusts.
struct WriteTrust {
    uid_t self_uid = 0;                 ///< the user the program runs as
    std::vector<gid_t> self_groups;     ///< its groups, the primary one included
    uid_t trusted_owner = 0;            ///< the one owner trusted besides root
    std::vector<gid_t> trusted_groups;  ///< groups trusted to write (root's group always is)
};

/// The process's own user and groups; root and root's group trusted, and the group
/// named admin_group when it exists.
WriteTrust process_write_trust(const char* admin_group);

/// Why someone not trusted can write the file or folder described by st, with what to
/// change ("anyone can write it (chmod o-w)"); none when only trusted writers can.
/// The program's own user counts as untrusted unless it is root.
std::optional<std::string> untrusted_writer(const struct stat& st, const WriteTrust& trust);

}  // namespace morvel
