#include "link/port_holder.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cstdio>
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

// The process whose lock on the node keeps others out, from /proc/locks:
// "1: FLOCK  ADVISORY  WRITE 7200 00:19:3 0 EOF", the node as major:minor
// of its file system in hex, then its inode.
pid_t lock_holder(const struct stat& node) {
  std::ifstream locks("/proc/locks");
  std::string line;
  while (std::getline(locks, line)) {
    char kind[16] = {}, mode[16] = {}, access[16] = {};
    long pid = 0;
    unsigned maj = 0, min = 0;
    unsigned long ino = 0;
    if (std::sscanf(line.c_str(), "%*d: %15s %15s %15s %ld %x:%x:%lu", kind, mode, access, &pid, &maj, &min, &ino) ==
            7 &&
        pid > 0 && maj == major(node.st_dev) && min == minor(node.st_dev) && ino == node.st_ino)
      return static_cast<pid_t>(pid);
  }
  return 0;
}

std::string command_name(const std::string& proc_folder) {
  std::string name;
  std::ifstream comm(proc_folder + "/comm");
  std::getline(comm, name);
  return name;
}

}  // namespace

std::optional<PortHolder> find_port_holder(const std::string& path) {
  struct stat port {};
  if (stat(path.c_str(), &port) != 0) return std::nullopt;
  // The lock's owner first: other processes may keep the node open without using it.
  if (const pid_t pid = lock_holder(port))
    return PortHolder{pid, command_name("/proc/" + std::to_string(pid))};
  Dir proc(opendir("/proc"));
  if (!proc) return std::nullopt;
  while (const dirent* e = readdir(proc.get())) {
    char* end = nullptr;
    const long pid = std::strtol(e->d_name, &end, 10);
    if (pid <= 0 || *end != '\0') continue;
    const std::string folder = std::string("/proc/") + e->d_name;
    if (!holds(folder + "/fd", port)) continue;
    return PortHolder{static_cast<pid_t>(pid), command_name(folder)};
  }
  return std::nullopt;
}

}  // namespace orn
