#include "settings/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <random>
#include <string_view>

#include "link/foreign_link.h"

namespace orn {
namespace {

constexpr mode_t kAnyWrite = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr std::string_view kTempMark = ".tmp";
constexpr std::string_view kTempChars = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kTempSuffixLength = 8;

bool writable(const std::string& path, const struct stat& st) {
  return (st.st_mode & kAnyWrite) != 0 && access(path.c_str(), W_OK) == 0;
}

std::string name_of(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool same_file(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
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

// Opens path without blocking (a FIFO would wait for a writer) and keeps the
// descriptor only when it is a regular file. Another user's link in a shared
// folder is not followed.
int open_regular(const std::string& path, int flags) {
  const int fd = open_unless_foreign_link(path, flags | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return -1;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

// A name that create_temporary makes for the file called name.
bool is_temporary_of(std::string_view candidate, std::string_view name) {
  if (candidate.size() != name.size() + kTempMark.size() + kTempSuffixLength) return false;
  if (!candidate.starts_with(name) || candidate.substr(name.size(), kTempMark.size()) != kTempMark)
    return false;
  for (char c : candidate.substr(name.size() + kTempMark.size())) {
    if (kTempChars.find(c) == std::string_view::npos) return false;
  }
  return true;
}

// Removes temporary files of target that a killed save left behind. A save in
// progress holds a lock on its temporary file, so only orphans are removed.
void remove_orphans(const std::string& folder, const std::string& target) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const std::string name = name_of(target);
  while (const dirent* e = ::readdir(dir)) {
    if (!is_temporary_of(e->d_name, name)) continue;
    const std::string path = folder + "/" + e->d_name;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY);
    if (fd < 0) continue;
    struct stat held {}, named {};
    if (::fstat(fd, &held) == 0 && S_ISREG(held.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 &&
        ::lstat(path.c_str(), &named) == 0 && same_file(held, named)) {
      ::unlink(path.c_str());
    }
    ::close(fd);
  }
  ::closedir(dir);
}

// Creates a fresh file next to target with a random suffix and locks it for the
// length of the save; returns its descriptor (or -1 with errno) and leaves its
// name in tmp_path.
int create_temporary(const std::string& target, std::string& tmp_path) {
  std::random_device rd;
  std::uniform_int_distribution<size_t> pick(0, kTempChars.size() - 1);
  for (int attempt = 0; attempt < 100; ++attempt) {
    tmp_path = target + std::string(kTempMark);
    for (size_t i = 0; i < kTempSuffixLength; ++i) tmp_path.push_back(kTempChars[pick(rd)]);
    const int fd = ::open(tmp_path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return -1;
    }
    // Another save's clean-up may have taken the fresh name before the lock.
    struct stat held {}, named {};
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &held) == 0 && ::lstat(tmp_path.c_str(), &named) == 0 &&
        same_file(held, named)) {
      return fd;
    }
    ::close(fd);
  }
  errno = EEXIST;
  return -1;
}

void sync_folder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the rename is already visible
  ::close(fd);
}

// Returns 0, or the errno of the step that failed.
int replace_through_temporary(const std::string& target, const std::string& bytes, const struct stat* old) {
  std::string tmp;
  const int fd = create_temporary(target, tmp);
  if (fd < 0) return errno;
  bool ok = write_all(fd, bytes);
  if (ok && old != nullptr) ok = ::fchmod(fd, old->st_mode & 07777) == 0;
  if (ok) ok = ::fsync(fd) == 0;
  // Renamed while still open and locked, so no clean-up can take it first.
  if (ok) ok = ::rename(tmp.c_str(), target.c_str()) == 0;
  const int error = ok ? 0 : errno;
  if (!ok) ::unlink(tmp.c_str());
  ::close(fd);
  if (ok) sync_folder(folder_of(target));
  return error;
}

// Rewrites the file where it is; not atomic, so used only when the folder
// allows no temporary file. A failed write puts the old contents back.
bool rewrite_in_place(const std::string& target, const std::string& bytes) {
  const FileRead old = read_whole_file(target);
  if (old.error) return false;
  const int fd = open_regular(target, O_WRONLY);
  if (fd < 0) return false;
  auto put = [fd](const std::string& b) {
    return ::lseek(fd, 0, SEEK_SET) == 0 && write_all(fd, b) &&
           ::ftruncate(fd, static_cast<off_t>(b.size())) == 0 && ::fsync(fd) == 0;
  };
  const bool ok = put(bytes);
  if (!ok) put(old.bytes);
  return (::close(fd) == 0) && ok;
}

}  // namespace

FileRead read_whole_file(const std::string& path) {
  FileRead r;
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) {
    r.exists = errno != ENOENT && errno != ENOTDIR;
    if (r.exists) r.error = "Unable to read " + path;
    return r;
  }
  r.exists = true;
  const int fd = S_ISREG(st.st_mode) ? open_regular(path, O_RDONLY) : -1;
  if (fd < 0) {
    r.error = "Unable to read " + path;  // e.g. a folder or a FIFO of that name
    return r;
  }
  char buf[4096];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      r.error = "Unable to read " + path;
      break;
    }
    r.bytes.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return r;
}

std::optional<std::string> write_file_atomically(const std::string& path, const std::string& bytes) {
  const std::string failure = "Unable to write to " + path;
  if (is_foreign_link(path)) return failure;
  // A symbolic link keeps pointing at its target: the target is replaced.
  std::string target = path;
  struct stat lst {};
  if (::lstat(path.c_str(), &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved) == nullptr) return failure;
    target = resolved;
  }
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && (!S_ISREG(st.st_mode) || !writable(target, st))) return failure;

  const std::string folder = folder_of(target);
  struct stat folder_st {};
  if (::stat(folder.c_str(), &folder_st) != 0 || !S_ISDIR(folder_st.st_mode)) return failure;
  if (writable(folder, folder_st)) {
    remove_orphans(folder, target);
    const int error = replace_through_temporary(target, bytes, exists ? &st : nullptr);
    if (error == 0) return std::nullopt;
    // Only a folder that refuses new files leaves the in-place rewrite.
    if (error != EACCES && error != EPERM && error != EROFS) return failure;
  }
  if (!exists || !rewrite_in_place(target, bytes)) return failure;
  return std::nullopt;
}

void make_writable(const std::string& path) {
  struct stat st {};
  if (!is_foreign_link(path) && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & S_IWUSR) == 0)
    ::chmod(path.c_str(), (st.st_mode & 07777) | S_IWUSR);
}

}  // namespace orn
