#include "link/append_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "link/foreign_link.h"

namespace orn {
namespace {

bool write_all(int fd, std::string_view s) {
  while (!s.empty()) {
    const ssize_t n = ::write(fd, s.data(), s.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    s.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

bool append_to_file(const std::string& path, std::span<const std::string_view> parts) {
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
  // Non-blocking, so that a FIFO put there since the check cannot hold us.
  const int fd =
      open_unless_foreign_link(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) return false;
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
  for (std::string_view part : parts) ok = ok && write_all(fd, part);
  return ::close(fd) == 0 && ok;
}

}  // namespace orn
