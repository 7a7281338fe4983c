#include "link/foreign_link.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orn {
namespace {

// link is the lstat of path, a symbolic link.
bool may_follow(const std::string& path, const struct stat& link) {
  struct stat folder {};
  if (::stat(folder_of(path).c_str(), &folder) != 0) return false;  // no folder to judge by
  constexpr mode_t kShared = S_ISVTX | S_IWOTH;
  if ((folder.st_mode & kShared) != kShared) return true;
  return link.st_uid == ::geteuid() || link.st_uid == folder.st_uid;
}

}  // namespace

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool is_foreign_link(const std::string& path) {
  struct stat st {};
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode) && !may_follow(path, st);
}

int open_unless_foreign_link(const std::string& path, int flags, mode_t mode) {
  struct stat st {};
  const bool link = ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
  if (link && !may_follow(path, st)) {
    errno = EACCES;
    return -1;
  }
  return ::open(path.c_str(), link ? flags : flags | O_NOFOLLOW, mode);
}

}  // namespace orn
