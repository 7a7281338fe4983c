#include "settings/atomic_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>

#include "support/temp_folder.h"
#include "support/shared_folder.h"

namespace orn {
namespace {

using test::read_bytes;
using test::TempFolder;
using test::write_bytes;

std::set<std::string> names_in(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.insert(e.path().filename());
  return names;
}

// A save killed between creating its temporary file and the rename leaves
// that file behind; the next save of the same file removes it. Temporary
// files of a save still running (locked), of other files, and files that
// merely look alike stay.
TEST(AtomicFile, NextSaveRemovesOrphanTemporaries) {
  TempFolder folder;
  const std::string path = folder.file("dev.dat");
  write_bytes(path, "old");
  for (const char* orphan : {"dev.dat.tmpab12cd34", "dev.dat.tmp00000000"})
    write_bytes(folder.file(orphan), std::string(4096, 'x'));
  const std::set<std::string> kept = {"dev.dat", "dev.dat.tmpzz99zz99", "to.dat.tmpab12cd34",
                                      "dev.dat.tmpAB12CD34", "dev.dat.tmpab12cd3", "dev.dat.tmp-notes"};
  for (const std::string& name : kept) {
    if (name != "dev.dat") write_bytes(folder.file(name), "keep");
  }
  const int running = ::open(folder.file("dev.dat.tmpzz99zz99").c_str(), O_RDONLY);
  ASSERT_GE(running, 0);
  ASSERT_EQ(::flock(running, LOCK_EX), 0);

  ASSERT_EQ(write_file_atomically(path, "new"), std::nullopt);
  ::close(running);
  EXPECT_EQ(read_bytes(path), "new");
  EXPECT_EQ(names_in(folder.path()), kept);
}

// In a shared folder another user's link to a file of ours is neither read,
// written nor made writable; our own link there keeps working.
TEST(AtomicFile, AnotherUsersLinkInASharedFolderIsNotFollowed) {
  test::SharedFolder folder;
  if (!folder.link("recent.prf", test::kOtherUser) || !folder.link("own.prf", ::geteuid()))
    GTEST_SKIP() << "a link of another user needs root";
  const std::string foreign = folder.shared() + "/recent.prf";
  const std::string own = folder.shared() + "/own.prf";

  ASSERT_EQ(::chmod(folder.mine().c_str(), 0444), 0);
  make_writable(foreign);
  struct stat st {};
  ASSERT_EQ(::stat(folder.mine().c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0444u);
  ASSERT_EQ(::chmod(folder.mine().c_str(), 0644), 0);

  const FileRead r = read_whole_file(foreign);
  EXPECT_TRUE(r.exists);
  EXPECT_EQ(r.error, "Unable to read " + foreign);
  EXPECT_EQ(r.bytes, "");
  EXPECT_EQ(write_file_atomically(foreign, "new"), "Unable to write to " + foreign);
  EXPECT_EQ(folder.mine_now(), test::SharedFolder::kMine);
  EXPECT_TRUE(std::filesystem::is_symlink(foreign));

  EXPECT_EQ(read_whole_file(own).bytes, test::SharedFolder::kMine);
  EXPECT_EQ(write_file_atomically(own, "new"), std::nullopt);
  EXPECT_EQ(folder.mine_now(), "new");
}

}  // namespace
}  // namespace orn
