#include "records/record_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "link/foreign_link.h"

namespace orn {
namespace {

template <typename Text>
std::string row_text(std::span<const Text> fields) {
  std::string row;
  for (size_t i = 0; i < fields.size(); ++i) row += (i ? ";" : "") + csv_field(fields[i]);
  return row + "\n";
}

std::string failure(const std::string& path, int error) {
  return "Не удалось дописать запись в файл " + path + ": " + std::strerror(error) + ".";
}

std::string not_a_file(const std::string& path) {
  return "Не удалось дописать запись в файл " + path + ": это не обычный файл.";
}

}  // namespace

std::string csv_field(std::string_view text) {
  if (text.find_first_of(";\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (const char ch : text) {
    if (ch == '"') quoted += '"';
    quoted += ch;
  }
  return quoted + "\"";
}

std::optional<std::string> append_record(const std::string& path, std::span<const std::string_view> header,
                                         std::span<const std::string> fields) {
  struct stat st {};
  // A FIFO or a device of that name is refused before the open could block on it.
  if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return not_a_file(path);
  const int fd =
      open_unless_foreign_link(path, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK | O_NOCTTY, 0666);
  if (fd < 0) return failure(path, errno);
  // The lock makes "is it empty, then the header" one step against another
  // writer of the same file (the window and a CLI run in one folder).
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return not_a_file(path);
  }
  if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &st) != 0) {
    const int error = errno;
    ::close(fd);
    return failure(path, error);
  }
  const std::string text = (st.st_size == 0 ? row_text(header) : std::string()) + row_text(fields);
  // One write per row, so a row is on disk whole or not at all; a short write
  // (a full disk) is taken back.
  const ssize_t written = ::write(fd, text.data(), text.size());
  const int error = written < 0 ? errno : (static_cast<size_t>(written) == text.size() ? 0 : ENOSPC);
  if (written > 0 && error != 0 && ::ftruncate(fd, st.st_size) != 0) {
    // Nothing more can be done when even that fails; the error is reported below.
  }
  const bool closed = ::close(fd) == 0;
  if (error != 0) return failure(path, error);
  if (!closed) return failure(path, errno);
  return std::nullopt;
}

}  // namespace orn
