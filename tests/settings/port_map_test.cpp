#include "settings/port_map.h"

#include <gtest/gtest.h>

#include "settings/temp_folder.h"

namespace orn {
namespace {

using test::read_bytes;
using test::TempFolder;
using test::write_bytes;

TEST(PortMap, ReadsValidEntriesOfPortsSection) {
  TempFolder folder;
  const std::string text =
      "[COM_SETTINGS]\r\n"
      "Number=2\r\n"
      "[ports]\r\n"
      "1=/dev/pts/3\r\n"
      "1=/dev/pts/9\r\n"
      "2 = /dev/serial/by-id/usb-\xCF\xF0\xE8\xE1\xEE\xF0\r\n"  // usb-Прибор
      "255=/dev/ttyS9\r\n"
      "0=/dev/zero\r\n"
      "256=/dev/null\r\n"
      "abc=/dev/null\r\n"
      "4=\r\n";
  write_bytes(folder.file("dev.dat"), text);
  const std::map<uint16_t, std::string> expected = {
      {1, "/dev/pts/3"}, {2, "/dev/serial/by-id/usb-Прибор"}, {255, "/dev/ttyS9"}};
  EXPECT_EQ(read_port_map(folder.path()), expected);
  EXPECT_EQ(read_bytes(folder.file("dev.dat")), text);  // never written
}

TEST(PortMap, MissingFileOrSectionGivesEmptyMap) {
  TempFolder folder;
  EXPECT_TRUE(read_port_map(folder.path()).empty());
  write_bytes(folder.file("dev.dat"), "[COM_SETTINGS]\r\nNumber=2\r\n");
  EXPECT_TRUE(read_port_map(folder.path()).empty());
}

TEST(PortMapOption, ParsesNumberAndPath) {
  struct Case {
    const char* text;
    uint16_t port;  // 0: the option is refused
    const char* path;
  };
  const Case cases[] = {
      {"1=/dev/pts/4", 1, "/dev/pts/4"},
      {"255=/dev/serial/by-id/a=b", 255, "/dev/serial/by-id/a=b"},
      {"0=/dev/pts/4", 0, ""},
      {"256=/dev/pts/4", 0, ""},
      {"x=/dev/pts/4", 0, ""},
      {"=/dev/pts/4", 0, ""},
      {"3=", 0, ""},
      {"3", 0, ""},
      {"-3=/dev/pts/4", 0, ""},
  };
  for (const Case& c : cases) {
    const PortMapOption r = parse_port_map_option(c.text);
    if (c.port == 0) {
      EXPECT_FALSE(r.error.empty()) << c.text;
      EXPECT_NE(r.error.find(c.text), std::string::npos) << r.error;
    } else {
      EXPECT_EQ(r.error, "") << c.text;
      EXPECT_EQ(r.port, c.port) << c.text;
      EXPECT_EQ(r.path, c.path) << c.text;
    }
  }
}

}  // namespace
}  // namespace orn
