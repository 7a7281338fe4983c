// The journal of writes against the simulated transmitter: the rows of a
// protected write that reached the device, for each way it can end.
#include "records/change_journal.h"

#include <gtest/gtest.h>

#include "device/protected_write.h"
#include "device/register_map.h"
#include "device/value_codec.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"
#include "support/frame_gate.h"
#include "support/journal_rows.h"
#include "support/master_rig.h"
#include "support/temp_folder.h"

namespace orn {
namespace {

struct GatedLine {
  sim::SimLine line;
  sim::SimSerialPort sim_port{line};
};

class ChangeJournalTest : public ::testing::Test, protected GatedLine, protected test::MasterRig<test::FrameGate> {
 protected:
  ChangeJournalTest() : MasterRig(sim_port) {}
  void SetUp() override {
    line.add(sim::TransmitterConfig{});
    ASSERT_TRUE(port.open(sim_port.device_path, 19200, kParityNone));
  }
  // Rows from the command on: "COMMAND;NAME;BEFORE;AFTER;OUTCOME".
  std::vector<std::string> rows() const {
    std::vector<std::string> out;
    for (const std::string& row : test::journal_rows(path)) {
      out.push_back(test::fields_from(row, 5));
      EXPECT_NE(row.find(";/dev/sim;1;1-2345;"), std::string::npos) << row;
    }
    return out;
  }
  // The sensor write of page 1 with the zero cut-off and the digits changed.
  WriteOutcome writeSensorSettings() {
    return write_sensor_settings_protected(context, image, [this] {
      image.nulcutoff = encode_percent(3.0);
      image.digits = 1;
      return true;
    });
  }

  test::TempFolder folder;
  std::string path = folder.file("changes.csv");
  test::ScriptedPrompt prompt;
  ChangeJournal journal{path, [](const DeviceImage& d) { return record_origin("/dev/sim", 1, d); }, prompt};
  NoProgress panel;
  DeviceImage image = [] {
    DeviceImage i;
    i.sn_hi = 1;
    i.sn_lo = 2345;
    i.digits = 2;
    return i;
  }();
  uint16_t never_read = 0;
  ProtectedWriteContext context{master, prompt, panel, never_read, &journal};
};

// The row of each register says where its own write stood when the command
// ended: NULCUTOFF goes out fourth, DIGITS last.
TEST_F(ChangeJournalTest, EachWayAWriteEndsIsItsRowsOutcome) {
  const uint16_t lock = reg_address("USERLOCK");
  const auto write_to = [](uint16_t address) {
    return [address](const std::vector<uint8_t>& r) {
      return r.size() > 3 && r[1] == 0x10 && (r[2] << 8 | r[3]) == address;
    };
  };
  StopFlag stop;
  master.set_stop(stop);
  const std::string left_unlocked = ", прибор оставлен без защиты от записи";
  const std::string may_be_unlocked = ", прибор мог остаться без защиты от записи";
  const std::string unanswered = "ошибка на шаге записи, значение могло не дойти до прибора (Ответа не было)";
  struct Case {
    const char* name;
    std::function<bool(const std::vector<uint8_t>&)> swallow;
    std::string nulcutoff;
    std::string digits;
  } cases[] = {
      {"written", nullptr, "записано, без проверки чтением", "записано, без проверки чтением"},
      {"the lock unanswered", [lock](const auto& r) { return test::writes_zeros_to(r, lock); },
       "записано, но не удалось установить защиту от записи (Ответа не было)" + may_be_unlocked,
       "записано, но не удалось установить защиту от записи (Ответа не было)" + may_be_unlocked},
      {"the cut-offs unanswered", write_to(reg_address("NULCUTOFF")), unanswered + left_unlocked,
       "не записано: команда прервана ошибкой" + left_unlocked},
      {"the digits unanswered", write_to(reg_address("DIGITS")),
       "записано, но команда завершилась ошибкой" + left_unlocked, unanswered + left_unlocked},
      {"a stop while the user text goes out",
       [&stop, text = write_to(reg_address("USERTEXT"))](const auto& r) {
         if (text(r)) stop.raise(SIGINT);
         return false;
       },
       "записано до остановки сигналом", "не записано: остановлено сигналом"},
      {"the unlock unanswered",
       [lock](const auto& r) { return r.size() > 3 && r[1] == 0x10 && (r[2] << 8 | r[3]) == lock && r[7] != 0; },
       "не записано: не удалось снять защиту от записи (Ответа не было)" + may_be_unlocked,
       "не записано: не удалось снять защиту от записи (Ответа не было)" + may_be_unlocked},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::remove(path.c_str());
    stop.raise(0);
    image.nulcutoff = 0;
    image.digits = 2;
    port.swallow = c.swallow;
    writeSensorSettings();
    EXPECT_EQ(rows(), (std::vector<std::string>{"запись параметров датчика;NULCUTOFF;0;1966;" + c.nulcutoff,
                                                 "запись параметров датчика;DIGITS;2;1;" + c.digits}));
  }
}

TEST_F(ChangeJournalTest, NothingSentIsNothingJournaled) {
  prompt.answers = {false};
  EXPECT_EQ(writeSensorSettings().step, WriteStep::Answered);
  EXPECT_EQ(write_device_gap_protected(context, image).step, WriteStep::Done);  // sends what it had: no change
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST_F(ChangeJournalTest, HeldRowsAreVerifiedByTheReadBack) {
  journal.hold();
  ASSERT_TRUE(writeSensorSettings().ok());
  EXPECT_FALSE(std::filesystem::exists(path));
  DeviceImage read_back = image;
  read_back.digits = 3;  // the device shows something else than was sent
  journal.settle(&read_back);
  EXPECT_EQ(rows(), (std::vector<std::string>{
                        "запись параметров датчика;NULCUTOFF;0;1966;записано и прочитано обратно",
                        "запись параметров датчика;DIGITS;2;1;записано, но прочитано другое значение: 3"}));
}

TEST_F(ChangeJournalTest, AJournalThatCannotBeWrittenIsToldAndTheWriteStands) {
  ASSERT_EQ(::mkdir(path.c_str(), 0700), 0);
  EXPECT_TRUE(writeSensorSettings().ok());
  size_t told = 0;
  for (const auto& r : prompt.records) {
    if (!r.question && r.caption == "Журнал изменений") {
      ++told;
      EXPECT_NE(r.text.find(path), std::string::npos) << r.text;
    }
  }
  EXPECT_EQ(told, 1u);  // once for the command, not once per row
}

}  // namespace
}  // namespace orn
