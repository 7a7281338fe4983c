#include "settings/port_map.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

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

}  // namespace
}  // namespace orn
