// Trace file bytes written by real transactions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "link/modbus_master.h"
#include "support/fakes.h"
#include "support/scripted_port.h"
#include "support/shared_folder.h"
#include "support/master_rig.h"

namespace orn {
namespace {

using test::with_crc;

// The rig's fixed clock stands at 08.12.2026 12:05:03.007.
class TraceTest : public ::testing::Test, protected test::MasterRig<test::ScriptedPort> {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orn-trace-XXXXXX";
    dir = mkdtemp(tmpl);
    exchange.use_log_file = 1;
    exchange.log_file_name = dir + "/COM.txt";
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  std::string contents() const {
    std::ifstream f(exchange.log_file_name, std::ios::binary);
    std::stringstream s;
    s << f.rdbuf();
    return s.str();
  }

  std::string dir;
};

TEST_F(TraceTest, ReadRecordsRequestAndAnswer) {
  port.answers = {with_crc({0x01, 0x03, 0x02, 0x00, 0x07})};
  uint16_t value = 0, exception = 0;
  master.read_holding_registers(0x0000, 1, &value, exception);
  EXPECT_EQ(contents(),
            "\r\n____________________________\r\n"
            "08 12 2026 12-05-03.007 \r\n"
            "Attempt:0\r\n"
            "Send:\r\n"
            " 01 03 00 00 00 01 84 0a"
            "\r\n"
            "08 12 2026 12-05-03.007 \r\n"
            "Answ:\r\n"
            " 01 03 02 00 07 f9 86");
}

TEST_F(TraceTest, WriteWithTwoAttemptsMarksTheRepeatedOne) {
  link.port = 3;
  link.address = 1;
  link.rate_index = 6;
  link.parity = 2;
  port.answers = {{}, with_crc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})};
  const uint16_t one = 1;
  uint16_t exception = 0;
  master.write_multiple_registers(0x0416, 1, &one, exception, "BLINK");
  const std::string request =
      "\r\n____________________________\r\n"
      "COM_port 3, NET_num 1  9600 Ser_par 2\r\n\r\n"
      "08 12 2026 12-05-03.007 \r\n"
      "BLINK\r\n"
      "Send:\r\n"
      " 01 10 04 16 00 01 02 00 01 20 a6";
  EXPECT_EQ(contents(),
            request +
                "\r\n\r\n08 12 2026 12:05:03.007 \r\nAttempt:0\r\nAnsw:\r\n" + request +
                "\r\n\r\n08 12 2026 12:05:03.007 \r\n"
                "Attempt:1                                        *************\r\n"
                "Answ:\r\n"
                " 01 10 04 16 00 01 e1 3d");
}

TEST_F(TraceTest, LabelIsDataAndUnknownRateIsLeftOut) {
  link.rate_index = 42;
  port.answers = {with_crc({0x01, 0x10, 0x04, 0x16, 0x00, 0x01})};
  const uint16_t one = 1;
  uint16_t exception = 0;
  master.write_multiple_registers(0x0416, 1, &one, exception, "%s%n%d");
  const std::string c = contents();
  EXPECT_NE(c.find("COM_port 1, NET_num 1  Ser_par 0\r\n"), std::string::npos);
  EXPECT_NE(c.find("\r\n%s%n%d\r\n"), std::string::npos);
}

// The trace is a Windows-1251 file like every other file of the tool; the
// labels name registers in Russian.
TEST_F(TraceTest, LabelIsWrittenInWindows1251) {
  port.answers = {with_crc({0x01, 0x10, 0x06, 0x26, 0x00, 0x01})};
  const uint16_t digits = 2;
  uint16_t exception = 0;
  master.write_multiple_registers(0x0626, 1, &digits, exception, "число цифр после запятой");
  EXPECT_NE(contents().find("03.007 \r\n"
                            "\xf7\xe8\xf1\xeb\xee \xf6\xe8\xf4\xf0 \xef\xee\xf1\xeb\xe5 "
                            "\xe7\xe0\xef\xff\xf2\xee\xe9\r\nSend:\r\n"),
            std::string::npos);
}

TEST_F(TraceTest, OnlyTheValueOneSwitchesTheTraceOn) {
  exchange.use_log_file = 2;
  port.answers = {with_crc({0x01, 0x03, 0x02, 0x00, 0x07})};
  uint16_t value = 0, exception = 0;
  master.read_holding_registers(0x0000, 1, &value, exception);
  EXPECT_FALSE(std::filesystem::exists(exchange.log_file_name));
}

TEST_F(TraceTest, NoAnswerCheckModeStillTracesBothRecords) {
  link.address = 255;
  port.answers = {{}};
  uint16_t value = 0, exception = 0;
  master.read_holding_registers(0x0000, 1, &value, exception);
  EXPECT_EQ(contents(),
            "\r\n____________________________\r\n08 12 2026 12-05-03.007 \r\nAttempt:0\r\nSend:\r\n"
            " ff 03 00 00 00 01 91 d4\r\n08 12 2026 12-05-03.007 \r\nAnsw:\r\n");
}

TEST_F(TraceTest, AFileThatCannotBeOpenedIsSkippedSilently) {
  // A FIFO nobody reads would block the open forever.
  ASSERT_EQ(mkfifo((dir + "/fifo").c_str(), 0644), 0);
  for (const std::string& name : {dir + "/missing/folder/COM.txt", dir + "/fifo"}) {
    exchange.log_file_name = name;
    port.answers = {with_crc({0x01, 0x03, 0x02, 0x00, 0x07})};
    uint16_t value = 0, exception = 0;
    EXPECT_EQ(master.read_holding_registers(0x0000, 1, &value, exception), 0) << name;
    EXPECT_EQ(value, 7) << name;
  }
}

// Another user's link named COM.txt in a shared folder is an unopenable trace:
// the records are skipped, the file it points at is untouched.
TEST_F(TraceTest, AnotherUsersLinkInASharedFolderIsNotFollowed) {
  test::SharedFolder shared;
  if (!shared.link("COM.txt", test::kOtherUser)) GTEST_SKIP() << "a link of another user needs root";
  exchange.log_file_name = shared.shared() + "/COM.txt";
  port.answers = {with_crc({0x01, 0x03, 0x02, 0x00, 0x07})};
  uint16_t value = 0, exception = 0;
  EXPECT_EQ(master.read_holding_registers(0x0000, 1, &value, exception), 0);
  EXPECT_EQ(value, 7);
  EXPECT_EQ(shared.mine_now(), test::SharedFolder::kMine);
}

}  // namespace
}  // namespace orn
