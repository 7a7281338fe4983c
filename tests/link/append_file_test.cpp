// Appending through a symbolic link in a shared folder: another user's link
// must not make the tool write into a file of ours.
#include "link/append_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "support/shared_folder.h"

namespace orn {
namespace {

using test::kOtherUser;
using test::SharedFolder;

TEST(AppendFile, FollowsALinkOnlyWhereItsOwnerMayBeTrusted) {
  struct Case {
    const char* name;
    mode_t folder_mode;
    bool link_of_other;
    bool folder_of_other;
    bool followed;
  };
  const Case cases[] = {
      {"another user's link in a shared folder", 01777, true, false, false},
      {"our own link in a shared folder", 01777, false, false, true},
      {"the shared folder owner's link", 01777, true, true, true},
      {"another user's link in a folder without the sticky bit", 00777, true, false, true},
      {"another user's link in a sticky folder only we may write", 01755, true, false, true},
  };
  for (const Case& c : cases) {
    SharedFolder folder(c.folder_mode);
    const uid_t owner = c.link_of_other ? kOtherUser : ::geteuid();
    if (!folder.link("izm.txt", owner) || (c.folder_of_other && !folder.give_folder(kOtherUser)))
      GTEST_SKIP() << "a link of another user needs root";
    const std::string_view line[] = {"line"};
    EXPECT_EQ(append_to_file(folder.shared() + "/izm.txt", line), c.followed) << c.name;
    EXPECT_EQ(folder.mine_now(), std::string(SharedFolder::kMine) + (c.followed ? "line" : "")) << c.name;
  }
}

}  // namespace
}  // namespace orn
