#include "settings/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>

namespace orn {
namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;

bool writable(const std::string& path, const struct stat& st) {
  return (st.st_mode & kAnyWrite) != 0 && access(path.c_str(), W_OK) == 0;
}

std::string folder_of(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool write_all(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Creates a fresh file next to target with a random suffix; returns its
// descriptor (or -1) and leaves its name in tmp_path.
int create_temporary(const std::string& target, std::string& tmp_path) {
  static constexpr char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device rd;
  std::uniform_int_distribution<size_t> pick(0, sizeof kChars - 2);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmp_path = target + ".tmp";
    for (int i = 0; i < 8; ++i) tmp_path.push_back(kChars[pick(rd)]);
    const int fd = ::open(tmp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

void sync_folder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename is already visible
  ::close(fd);
}

}  // namespace

FileRead read_whole_file(const std::string& path) {
  FileRead r;
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    r.exists = errno != ENOENT && errno != ENOTDIR;
    if (r.exists) r.error = "Unable to read " + path;
    return r;
  }
  r.exists = true;
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      r.error = "Unable to read " + path;  // e.g. a folder of that name
      break;
    }
    r.bytes.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return r;
}

std::optional<std::string> write_file_atomically(const std::string& path, const std::string& bytes) {
  const std::string failure = "Unable to write to " + path;
  // A symbolic link keeps pointing at its target: the target is replaced.
  std::string target = path;
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return failure;
    target = resolved;
  }
  const std::string folder = folder_of(target);
  struct stat folder_st {};
  if (::stat(folder.c_str(), &folder_st) != 0 || !S_ISDIR(folder_st.st_mode) ||
      !writable(folder, folder_st)) {
    return failure;
  }
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && (!S_ISREG(st.st_mode) || !writable(target, st))) return failure;

  std::string tmp;
  const int fd = create_temporary(target, tmp);
  if (fd < 0) return failure;
  bool ok = write_all(fd, bytes);
  if (ok && exists) ok = ::fchmod(fd, st.st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
  if (!ok) {
    ::unlink(tmp.c_str());
    return failure;
  }
  sync_folder(folder);
  return std::nullopt;
}

}  // namespace orn
