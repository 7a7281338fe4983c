#include "settings/to_dat.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/temp_folder.h"

namespace orn {
namespace {

using test::read_bytes;
using test::TempFolder;
using test::write_bytes;

constexpr const char* kCreated =
    "[TIME_OUTS]\r\n"
    "RTTM1200=192\r\n"
    "RTTM2400=96\r\n"
    "RTTM4800=48\r\n"
    "RTTM9600=24\r\n"
    "RTTM19200=24\r\n"
    "RTTM38400=24\r\n"
    "RTTM57600=24\r\n"
    "RTTM115200=12\r\n"
    "RTTMDF=192\r\n"
    "RIT1200=192\r\n"
    "RIT2400=96\r\n"
    "RIT4800=48\r\n"
    "RIT9600=24\r\n"
    "RIT19200=24\r\n"
    "RIT38400=24\r\n"
    "RIT57600=24\r\n"
    "RIT115200=12\r\n"
    "RITDF=192\r\n";

class ToDatTest : public ::testing::Test {
 protected:
  TempFolder folder;
  std::string path = folder.file("to.dat");
  RateTimeouts got;
};

TEST_F(ToDatTest, MissingFileIsCreatedWithDefaults) {
  // Values in memory that the file must replace.
  for (auto& v : got.rttm) v = 1;
  for (auto& v : got.rit) v = 1;
  got.rttm_df = got.rit_df = 1;
  ASSERT_EQ(load_to_dat(folder.path(), got), std::nullopt);
  EXPECT_EQ(read_bytes(path), kCreated);
  const RateTimeouts defaults;
  for (size_t i = 0; i < 8; ++i) {
    EXPECT_EQ(got.rttm[i], defaults.rttm[i]) << i;
    EXPECT_EQ(got.rit[i], defaults.rit[i]) << i;
  }
  EXPECT_EQ(got.rttm_df, 192);
  EXPECT_EQ(got.rit_df, 192);
}

TEST_F(ToDatTest, HandEditedValuesAreReadAndRewritten) {
  write_bytes(path,
              "; edited by hand\r\n"
              "[time_outs]\r\n"
              "rttm9600=$10\r\n"
              "RIT1200=abc\r\n"
              "RTTMDF=70000\r\n"
              "RIT115200=5\r\n");
  ASSERT_EQ(load_to_dat(folder.path(), got), std::nullopt);
  EXPECT_EQ(got.rttm[3], 16);
  EXPECT_EQ(got.rit[0], 192);
  EXPECT_EQ(got.rttm_df, 4464);
  EXPECT_EQ(got.rit[7], 5);
  EXPECT_EQ(read_bytes(path),
            "; edited by hand\r\n"
            "[time_outs]\r\n"
            "rttm9600=16\r\n"
            "RIT1200=192\r\n"
            "RTTMDF=4464\r\n"
            "RIT115200=5\r\n"
            "RTTM1200=192\r\n"
            "RTTM2400=96\r\n"
            "RTTM4800=48\r\n"
            "RTTM19200=24\r\n"
            "RTTM38400=24\r\n"
            "RTTM57600=24\r\n"
            "RTTM115200=12\r\n"
            "RIT2400=96\r\n"
            "RIT4800=48\r\n"
            "RIT9600=24\r\n"
            "RIT19200=24\r\n"
            "RIT38400=24\r\n"
            "RIT57600=24\r\n"
            "RITDF=192\r\n");
}

TEST_F(ToDatTest, ReadOnlyFileIsReportedAndKept) {
  const std::string text = "[TIME_OUTS]\r\nRIT9600=30\r\n";
  write_bytes(path, text);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(load_to_dat(folder.path(), got), "Unable to write to " + path);
  EXPECT_EQ(read_bytes(path), text);
  EXPECT_EQ(got.rit[3], 30);
}

}  // namespace
}  // namespace orn
