#include "link/open_failure.h"

#include <grp.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace orn {
namespace {

TEST(OpenFailure, MessageHasTheFixedFirstLineThenPathAndReason) {
  EXPECT_EQ(open_failure_message(33, "/dev/ttyUSB0", "Permission denied"),
            "Невозможно открыть последовательный порт\n/dev/ttyUSB0: Permission denied");
  EXPECT_EQ(open_failure_message(33, "/dev/ttyUSB0", ""), "Невозможно открыть последовательный порт\n/dev/ttyUSB0");
  EXPECT_EQ(open_failure_message(200, "", "ignored"),
            "Невозможно открыть последовательный порт\nCOM200: номеру порта не сопоставлено устройство");
}

// A device of a group the user is not in, as /dev/ttyUSB0 (group dialout) is
// for a user who was never added to it.
TEST(OpenFailure, DeniedAccessNamesTheGroupToJoin) {
  group* dialout = getgrnam("dialout");
  if (!dialout) GTEST_SKIP() << "no dialout group here";
  char path[] = "/tmp/orn_fake_tty_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  const bool member = getegid() == dialout->gr_gid;
  if (chown(path, static_cast<uid_t>(-1), dialout->gr_gid) != 0 || member) {
    std::remove(path);
    GTEST_SKIP() << "cannot make a file of a foreign group here";
  }
  const std::string denied = std::strerror(EACCES);
  std::string reason = open_failure_reason(path, EACCES);
  EXPECT_EQ(reason, denied + " (пользователь не входит в группу dialout: sudo usermod -aG dialout $USER, "
                             "затем войти в систему заново)");
  // Other errors, and a denial on a device of the user's own group, say only what failed.
  EXPECT_EQ(open_failure_reason(path, EBUSY), std::strerror(EBUSY));
  ASSERT_EQ(chown(path, static_cast<uid_t>(-1), getegid()), 0);
  EXPECT_EQ(open_failure_reason(path, EACCES), denied);
  std::remove(path);
  EXPECT_EQ(open_failure_reason(path, ENOENT), std::strerror(ENOENT));
}

}  // namespace
}  // namespace orn
