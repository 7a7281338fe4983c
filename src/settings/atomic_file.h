#pragma once
// Whole-file reads and crash-safe whole-file writes for settings files.
#include <optional>
#include <string>

namespace orn {

struct FileRead {
  bool exists = false;
  std::string bytes;
  std::optional<std::string> error;  // set when the file exists but cannot be read
};

// Reads a regular file (or a link to one). Anything else of that name (a FIFO,
// a device, a folder) is refused with "Unable to read <path>" without opening
// it for reading, so a FIFO nobody writes to cannot block the caller. So is
// another user's link in a shared folder (link/foreign_link.h), here and in
// the two functions below.
FileRead read_whole_file(const std::string& path);

// Replaces the file at path with bytes: a temporary file in the same folder is
// written, flushed to disk and renamed over the original, so a reader sees the
// old or the new contents, never a mix. The original's permission bits are
// kept; a new file gets 0666 less the umask. When no temporary file can be
// made there (a read-only folder) but the file itself is writable, the file is
// rewritten in place instead. Temporary files left by a save that was killed
// are removed by the next save. A file that is read-only (no write permission
// for us, or no write bit at all, the way the Windows read-only attribute
// works even for an administrator) is refused, and so is anything that is not
// a regular file. On failure the original is untouched and the result is
// "Unable to write to <path>".
std::optional<std::string> write_file_atomically(const std::string& path, const std::string& bytes);

// Clears a read-only mark the way Windows clears its attribute: an existing
// regular file without the owner's write bit gets it, so it can be rewritten.
void make_writable(const std::string& path);

}  // namespace orn
