#pragma once
// Which process holds a device open, found as fuser finds it: through the
// locks and the open files under /proc. Only the processes this user may inspect are seen.
#include <sys/types.h>

#include <optional>
#include <string>

namespace orn {

struct PortHolder {
  pid_t pid = 0;
  std::string name;  // the command name of /proc/PID/comm
};

// The process that holds a lock on path, else the first with its device open,
// or nothing when none can be seen.
std::optional<PortHolder> find_port_holder(const std::string& path);

}  // namespace orn
