#pragma once
// A folder shared by several users (sticky and writable by everyone, as /tmp
// is) in a fresh temporary folder, beside a folder of ours holding one file of
// ours. Links in the shared folder point at that file; a link that belongs to
// another user can only be made by root (lchown), so tests skip without it.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orn::test {

inline constexpr uid_t kOtherUser = 65534;  // nobody

class SharedFolder {
 public:
  explicit SharedFolder(mode_t mode = 01777) {
    std::string tmpl = (std::filesystem::temp_directory_path() / "orn-shared-XXXXXX").string();
    if (mkdtemp(tmpl.data()) == nullptr) return;
    root_ = tmpl;
    std::filesystem::create_directory(shared());
    ::chmod(shared().c_str(), mode);  // mkdir's mode would lose the bits the umask clears
    std::filesystem::create_directory(root_ + "/mine");
    std::ofstream(mine(), std::ios::binary) << kMine;
  }
  ~SharedFolder() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  SharedFolder(const SharedFolder&) = delete;
  SharedFolder& operator=(const SharedFolder&) = delete;

  std::string shared() const { return root_ + "/shared"; }
  std::string mine() const { return root_ + "/mine/file"; }
  std::string mine_now() const {
    std::ifstream in(mine(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // A link shared/name -> mine() owned by owner; false when it cannot be made.
  bool link(const std::string& name, uid_t owner) const {
    const std::string path = shared() + "/" + name;
    return ::symlink(mine().c_str(), path.c_str()) == 0 && ::lchown(path.c_str(), owner, static_cast<gid_t>(-1)) == 0;
  }
  // Gives the shared folder to owner; false when that is not allowed.
  bool give_folder(uid_t owner) const { return ::chown(shared().c_str(), owner, static_cast<gid_t>(-1)) == 0; }

  static constexpr const char* kMine = "mine\r\n";

 private:
  std::string root_;
};

}  // namespace orn::test
