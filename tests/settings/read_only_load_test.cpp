// Loading dev.dat and to.dat without writing back: a tool that only reads the
// settings must not create, complete or rewrite them.
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/dev_dat.h"
#include "support/temp_folder.h"
#include "settings/to_dat.h"

namespace orn {
namespace {

TEST(ReadOnlyLoad, FillsTheValuesAndLeavesTheFolderAsItWas) {
  test::TempFolder folder;
  LinkParams link;
  ExchangeSettings exchange;
  DevDatDevice device;
  RateTimeouts timeouts;

  // No files: the built-in defaults, and nothing is created.
  link.address = 99;
  timeouts.rttm[3] = 1;
  EXPECT_EQ(load_dev_dat(folder.path(), link, exchange, device, false), std::nullopt);
  EXPECT_EQ(load_to_dat(folder.path(), timeouts, false), std::nullopt);
  EXPECT_EQ(link.address, 1);
  EXPECT_EQ(link.rate_index, 7);
  EXPECT_EQ(exchange.use_log_file, 0);
  EXPECT_EQ(timeouts.rttm[3], 24);
  EXPECT_TRUE(std::filesystem::is_empty(folder.path()));

  // Incomplete files with values out of their limits: read and limited, bytes unchanged.
  const std::string dev =
      "; мой порт\r\n[COM_SETTINGS]\r\nNumber=5\r\nSettings=9600,E,8,1\r\n"
      "[DEVICE]\r\nNetAdrr=0\r\n[SETTINGS]\r\nReask_val=0\r\nTimeGapPrg=900\r\n";
  const std::string to = "[TIME_OUTS]\r\nRTTM9600=50\n";
  test::write_bytes(folder.file("dev.dat"), dev);
  test::write_bytes(folder.file("to.dat"), to);
  EXPECT_EQ(load_dev_dat(folder.path(), link, exchange, device, false), std::nullopt);
  EXPECT_EQ(load_to_dat(folder.path(), timeouts, false), std::nullopt);
  EXPECT_EQ(link.port, 5);
  EXPECT_EQ(link.rate_index, 6);
  EXPECT_EQ(link.parity, 2);
  EXPECT_EQ(link.address, 1);
  EXPECT_EQ(exchange.reask_val, 1);
  EXPECT_EQ(exchange.time_gap_prg, 255);
  EXPECT_EQ(timeouts.rttm[3], 50);
  EXPECT_EQ(test::read_bytes(folder.file("dev.dat")), dev);
  EXPECT_EQ(test::read_bytes(folder.file("to.dat")), to);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.path()),
                          std::filesystem::directory_iterator()),
            2);
}

}  // namespace
}  // namespace orn
