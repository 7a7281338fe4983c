#include "link/open_failure.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

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

}  // namespace

std::string open_failure_reason(const std::string& path, int error) {
  std::string reason = std::strerror(error);
  struct stat st {};
  if ((error == EACCES || error == EPERM) && stat(path.c_str(), &st) == 0 && !user_in_group(st.st_gid)) {
    const std::string name = group_name(st.st_gid);
    reason += " (пользователь не входит в группу " + name + ": sudo usermod -aG " + name +
              " $USER, затем войти в систему заново)";
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
