#include "link/open_failure.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
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

// Temporary files stand in for device nodes: what matters is their group and mode.
struct FakeDevice {
  FakeDevice() {
    const int fd = mkstemp(path);
    if (fd >= 0) close(fd);
    made = fd >= 0;
  }
  ~FakeDevice() { std::remove(path); }
  bool set(gid_t gid, mode_t mode) const { return chown(path, static_cast<uid_t>(-1), gid) == 0 && chmod(path, mode) == 0; }
  char path[32] = "/tmp/orn_fake_tty_XXXXXX";
  bool made = false;
};

std::string nameOfUser(uid_t uid) {
  const passwd* p = getpwuid(uid);
  return p ? p->pw_name : std::to_string(uid);
}

std::string nameOfGroup(gid_t gid) {
  const group* g = getgrgid(gid);
  return g ? g->gr_name : std::to_string(gid);
}

// A denial names the group to join only when that group may read and write
// the device; a device only its owner may use says so instead.
TEST(OpenFailure, DeniedAccessSaysWhatTheDevicePermissionsAllow) {
  const group* dialout = getgrnam("dialout");
  if (!dialout || getegid() == dialout->gr_gid) GTEST_SKIP() << "no foreign dialout group here";
  FakeDevice device;
  ASSERT_TRUE(device.made);
  const std::string denied = std::strerror(EACCES);
  const std::string owner = nameOfUser(geteuid());
  struct Case {
    gid_t gid;
    mode_t mode;
    std::string advice;
  } cases[] = {
      {dialout->gr_gid, 0660, " (пользователь не входит в группу dialout: sudo usermod -aG dialout $USER, затем войти в систему заново)"},
      {dialout->gr_gid, 0600, " (права устройства не дают доступа: владелец " + owner + ", группа dialout, режим 0600)"},
      {dialout->gr_gid, 0640, " (права устройства не дают доступа: владелец " + owner + ", группа dialout, режим 0640)"},
      {getegid(), 0660, ""},
      {getegid(), 0600, " (права устройства не дают доступа: владелец " + owner + ", группа " + nameOfGroup(getegid()) + ", режим 0600)"},
  };
  for (const Case& c : cases) {
    if (!device.set(c.gid, c.mode)) GTEST_SKIP() << "cannot give a file a foreign group here";
    EXPECT_EQ(open_failure_reason(device.path, EACCES), denied + c.advice) << std::oct << c.mode;
  }
  // Other errors say only what failed.
  EXPECT_EQ(open_failure_reason(device.path, EIO), std::strerror(EIO));
  EXPECT_EQ(open_failure_reason("/nonexistent/ttyUSB9", ENOENT), std::strerror(ENOENT));
}

// A busy port names the process that holds it, as fuser finds it; a port no
// visible process holds gets the system's text alone.
TEST(OpenFailure, BusyPortNamesItsHolder) {
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  ASSERT_GE(master, 0);
  ASSERT_EQ(grantpt(master), 0);
  ASSERT_EQ(unlockpt(master), 0);
  const std::string slave = ptsname(master);
  EXPECT_EQ(open_failure_reason(slave, EBUSY), std::strerror(EBUSY));

  // Two processes have it open; the second locks it, as the programs of the
  // line do, and is the one named although the first comes first in /proc.
  struct Holder {
    pid_t pid;
    int ready[2];
  } holders[2];
  for (int i = 0; i < 2; ++i) {
    Holder& h = holders[i];
    ASSERT_EQ(pipe(h.ready), 0);
    h.pid = fork();
    ASSERT_GE(h.pid, 0);
    if (h.pid == 0) {
      const int fd = open(slave.c_str(), O_RDWR | O_NOCTTY);
      const bool locks = i == 1;
      prctl(PR_SET_NAME, locks ? "orn-locker" : "orn-opener");
      if (fd >= 0 && (!locks || flock(fd, LOCK_EX | LOCK_NB) == 0)) (void)!write(h.ready[1], "x", 1);
      pause();
      _exit(0);
    }
    char byte = 0;
    ASSERT_EQ(read(h.ready[0], &byte, 1), 1);
    if (i == 0) {
      EXPECT_EQ(open_failure_reason(slave, EBUSY), std::string(std::strerror(EBUSY)) +
                                                       " (порт занят процессом orn-opener, PID " +
                                                       std::to_string(h.pid) + ")");
    }
  }
  const std::string reason = open_failure_reason(slave, EBUSY);
  for (Holder& h : holders) {
    kill(h.pid, SIGKILL);
    waitpid(h.pid, nullptr, 0);
    close(h.ready[0]);
    close(h.ready[1]);
  }
  close(master);
  EXPECT_EQ(reason, std::string(std::strerror(EBUSY)) + " (порт занят процессом orn-locker, PID " +
                        std::to_string(holders[1].pid) + ")");
}

}  // namespace
}  // namespace orn
