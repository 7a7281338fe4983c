#include "link/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "link/foreign_link.h"

namespace orn {

std::FILE* open_for_append(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return nullptr;
  // Non-blocking, so that a FIFO put there since the check cannot hold us.
  const int fd =
      open_unless_foreign_link(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) return nullptr;
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return nullptr;
  }
  std::FILE* f = ::fdopen(fd, "ab");
  if (f == nullptr) ::close(fd);
  return f;
}

}  // namespace orn
