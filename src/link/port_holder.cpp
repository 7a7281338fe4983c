#include "link/port_holder.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <memory>

namespace orn {
namespace {

struct DirCloser {
  void operator()(DIR* d) const { closedir(d); }
};
using Dir = std::unique_ptr<DIR, DirCloser>;

// The same character device: by its device number, so that links such as
// /dev/serial/by-id/... and the node they point to are one port.
bool same_device(const struct stat& a, const struct stat& b) {
  if (S_ISCHR(a.st_mode) && S_ISCHR(b.st_mode)) return a.st_rdev == b.st_rdev;
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool holds(const std::string& fd_folder, const struct stat& port) {
  Dir fds(opendir(fd_folder.c_str()));
  if (!fds) return false;
  while (const dirent* e = readdir(fds.get())) {
    struct stat st {};
    if (e->d_name[0] != '.' && stat((fd_folder + "/" + e->d_name).c_str(), &st) == 0 && same_device(st, port))
      return true;
  }
  return false;
}

}  // namespace

std::optional<PortHolder> find_port_holder(const std::string& path) {
  struct stat port {};
  if (stat(path.c_str(), &port) != 0) return std::nullopt;
  Dir proc(opendir("/proc"));
  if (!proc) return std::nullopt;
  while (const dirent* e = readdir(proc.get())) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    const std::string folder = std::string("/proc/") + e->d_name;
    if (!holds(folder + "/fd", port)) continue;
    PortHolder holder{static_cast<pid_t>(pid), {}};
    std::ifstream comm(folder + "/comm");
    std::getline(comm, holder.name);
    return holder;
  }
  return std::nullopt;
}

}  // namespace orn
