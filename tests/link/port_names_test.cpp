#include "link/port_names.h"

#include <gtest/gtest.h>

namespace orn {
namespace {

TEST(PortNames, DefaultPathsCoverThreeBlocksOf32) {
  const std::pair<uint16_t, const char*> cases[] = {
      {0, ""},           {1, "/dev/ttyS0"},      {32, "/dev/ttyS31"},    {33, "/dev/ttyUSB0"},
      {64, "/dev/ttyUSB31"}, {65, "/dev/ttyACM0"}, {96, "/dev/ttyACM31"}, {97, ""},
      {255, ""},         {256, ""},
  };
  const PortMap map;
  for (const auto& [n, path] : cases) {
    EXPECT_EQ(default_port_path(n), path) << n;
    EXPECT_EQ(map.path(n), path) << n;
  }
}

TEST(PortNames, OverridesReplaceAddOrHidePaths) {
  PortMap map({{1, "/dev/serial/by-id/usb-FTDI-if00-port0"}, {0, "/dev/null"}, {300, "/dev/x"}});
  EXPECT_EQ(map.path(1), "/dev/serial/by-id/usb-FTDI-if00-port0");
  EXPECT_EQ(map.overrides().size(), 1u);  // 0 and 300 are not port numbers
  EXPECT_EQ(map.path(0), "");

  EXPECT_TRUE(map.set(200, "/dev/pts/7"));
  EXPECT_EQ(map.path(200), "/dev/pts/7");
  EXPECT_TRUE(map.set(2, ""));
  EXPECT_EQ(map.path(2), "");
  EXPECT_FALSE(map.set(256, "/dev/pts/7"));
  EXPECT_EQ(map.path(3), "/dev/ttyS2");
}

TEST(PortNames, PortMapOption) {
  struct Case {
    const char* spec;
    bool ok;
    uint16_t n;
    const char* path;
  };
  const Case cases[] = {
      {"1=/dev/pts/3", true, 1, "/dev/pts/3"},
      {"255=/tmp/a=b", true, 255, "/tmp/a=b"},
      {"7=", false, 0, ""},
      {"0=/dev/pts/3", false, 0, ""},
      {"256=/dev/pts/3", false, 0, ""},
      {"70000=/dev/pts/3", false, 0, ""},
      {"-1=/dev/pts/3", false, 0, ""},
      {" 3=/dev/pts/3", false, 0, ""},
      {"3x=/dev/pts/3", false, 0, ""},
      {"=/dev/pts/3", false, 0, ""},
      {"3", false, 0, ""},
  };
  for (const Case& c : cases) {
    const auto m = parse_port_mapping(c.spec);
    EXPECT_EQ(m.has_value(), c.ok) << c.spec;
    if (c.ok) {
      EXPECT_EQ(m->port, c.n) << c.spec;
      EXPECT_EQ(m->path, c.path) << c.spec;
    }
  }
}

}  // namespace
}  // namespace orn
