#pragma once
// Symbolic links in shared folders. In a folder that is sticky and writable by
// everyone (such as /tmp), another user may put a link under a name the tool
// uses, pointing at a file of ours; following it would make the tool read or
// rewrite that file. Such a link is followed only when it belongs to us or to
// the folder's owner: the rule of the kernel's fs.protected_symlinks, applied
// here whatever that setting is.
#include <sys/types.h>

#include <string>

namespace orn {

// The folder part of a path: "." for a bare name, "/" for a name in the root.
std::string folder_of(const std::string& path);

// Whether path is a symbolic link that the rule above does not let us follow.
bool is_foreign_link(const std::string& path);

// open(2) that refuses a foreign link (errno EACCES). A name that is no link
// is opened with O_NOFOLLOW, so a link put there after the check is not
// followed either.
int open_unless_foreign_link(const std::string& path, int flags, mode_t mode = 0);

}  // namespace orn
