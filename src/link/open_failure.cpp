#include "link/open_failure.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "link/port_holder.h"

namespace orn {
namespace {

bool user_in_group(gid_t gid) {
  if (getegid() == gid) return true;
  const int n = getgroups(0, nullptr);
  if (n <= 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(n));
  const int got = getgroups(n, groups.data());
  for (int i = 0; i < got; ++i) {
    if (groups[static_cast<size_t>(i)] == gid) return true;
  }
  return false;
}

std::string group_name(gid_t gid) {
  char buf[1024];
  group g{};
  group* found = nullptr;
  if (getgrgid_r(gid, &g, buf, sizeof buf, &found) == 0 && found) return found->gr_name;
  return std::to_string(gid);
}

std::string user_name(uid_t uid) {
  char buf[1024];
  passwd p{};
  passwd* found = nullptr;
  if (getpwuid_r(uid, &p, buf, sizeof buf, &found) == 0 && found) return found->pw_name;
  return std::to_string(uid);
}

// Why access was denied, when the device's owner, group and mode tell.
std::string denial_advice(const struct stat& st) {
  const bool group_may = (st.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  if (group_may && !user_in_group(st.st_gid)) {
    const std::string name = group_name(st.st_gid);
    return " (пользователь не входит в группу " + name + ": sudo usermod -aG " + name +
           " $USER, затем войти в систему заново)";
  }
  if (group_may) return "";  // a member denied for another reason: only the system's text
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(st.st_mode & 07777));
  return " (права устройства не дают доступа: владелец " + user_name(st.st_uid) + ", группа " +
         group_name(st.st_gid) + ", режим " + mode + ")";
}

}  // namespace

std::string open_failure_reason(const std::string& path, int error) {
  std::string reason = std::strerror(error);
  struct stat st {};
  if ((error == EACCES || error == EPERM) && stat(path.c_str(), &st) == 0) reason += denial_advice(st);
  if (error == EBUSY) {
    if (const std::optional<PortHolder> holder = find_port_holder(path))
      reason += " (порт занят процессом " + holder->name + ", PID " + std::to_string(holder->pid) + ")";
  }
  return reason;
}

std::string open_failure_message(uint16_t port_number, const std::string& path, const std::string& reason) {
  std::string text = std::string(kPortOpenFailure) + "\n";
  if (path.empty()) return text + "COM" + std::to_string(port_number) + ": номеру порта не сопоставлено устройство";
  text += path;
  if (!reason.empty()) text += ": " + reason;
  return text;
}

}  // namespace orn
