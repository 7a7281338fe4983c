// The configuration groups and their protected writes against the simulated
// transmitter, through the real master and an in-memory line.
#include <gtest/gtest.h>

#include "device/group_transfers.h"
#include "device/protected_write.h"
#include "device/register_map.h"
#include "device/value_codec.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"
#include "support/sim_master_rig.h"

namespace orn {
namespace {

class ConfigurationTest : public ::testing::Test, protected test::SimMasterRig {
 protected:
  void SetUp() override {
    line.add(sim::TransmitterConfig{});
    ASSERT_TRUE(port.open(port.device_path, 19200, kParityNone));
  }
  sim::Transmitter& device() { return line.device(0); }
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const auto& r : prompt.records) out.push_back(r.text);
    return out;
  }
  bool told(const std::string& text) const {
    for (const auto& r : prompt.records)
      if (!r.question && r.text == text) return true;
    return false;
  }
  size_t asked(const std::string& text) const {
    size_t n = 0;
    for (const auto& r : prompt.records) n += r.question && r.text == text;
    return n;
  }
  // What the program does when the device takes new exchange parameters.
  void switch_link() {
    adopt_device_link(image, link);
    port.close();
    ASSERT_TRUE(port.open(port.device_path, baud_for_rate_index(link.rate_index), link.parity));
  }

  test::ScriptedPrompt prompt;
  NoProgress panel;
  DeviceImage image;
  uint16_t never_read = 1;
  uint16_t init_flag = 0;
  ProtectedWriteContext context{master, prompt, panel, never_read};
};

TEST_F(ConfigurationTest, ExchangePageReadFillsTheImage) {
  ASSERT_TRUE(read_exchange_page(master, image).ok());
  EXPECT_EQ(image.adr, 1);
  EXPECT_EQ(image.rate, 7);
  EXPECT_EQ(image.parity, 0);
  EXPECT_EQ(image.sn_hi, 1);  // the simulator's number 12345
  EXPECT_EQ(image.sn_lo, 2345);
  EXPECT_EQ(image.model, device().read_register(reg_address("MODEL"), 0));
  EXPECT_EQ(image.ver_soft, device().read_register(reg_address("VER_SOFT"), 0));
  EXPECT_EQ(image.day, device().read_register(reg_address("DAY"), 0));
}

TEST_F(ConfigurationTest, SensorSettingsWrittenReadBackEqual) {
  ASSERT_TRUE(read_sensor_settings(master, image, panel).ok());
  image.unit = 6;
  image.t90 = 50;
  image.nulcutoff = encode_percent(1.5);
  image.xsqr |= 0x0001;
  image.digits = 2;
  pack_text("Линия 3", image.user_text.data(), image.user_text.size());
  const WriteOutcome out = write_sensor_settings_protected(context, image, [] { return true; });
  ASSERT_TRUE(out.ok());
  EXPECT_TRUE(told("Запись параметров датчика успешно осуществлена."));
  EXPECT_FALSE(device().user_open());  // locked again

  DeviceImage back;
  ASSERT_TRUE(read_sensor_settings(master, back, panel).ok());
  EXPECT_EQ(back.unit, 6);
  EXPECT_EQ(back.t90, 50);
  EXPECT_EQ(back.nulcutoff, image.nulcutoff);
  EXPECT_EQ(back.xsqr, image.xsqr);
  EXPECT_EQ(back.digits, 2);
  EXPECT_EQ(back.user_text, image.user_text);
}

TEST_F(ConfigurationTest, IdentityMismatchAsksAndYesGoesOn) {
  device().poke(reg_address("ID_ZERO"), 1);
  image.time_gap_dev = 25;
  ASSERT_TRUE(write_device_gap_protected(context, image).ok());
  EXPECT_EQ(asked(kIdentityQuestion), 1u);
  EXPECT_EQ(device().read_register(reg_address("TimeGapDev"), 0), 25);

  prompt.records.clear();
  prompt.answers = {true, false};  // confirmation yes, identity no
  image.time_gap_dev = 50;
  EXPECT_EQ(write_device_gap_protected(context, image).step, WriteStep::Answered);
  EXPECT_EQ(device().read_register(reg_address("TimeGapDev"), 0), 25);
}

TEST_F(ConfigurationTest, DeviceGapAndUserTrimsReachTheDeviceAndComeBack) {
  image.time_gap_dev = 10;
  ASSERT_TRUE(write_device_gap_protected(context, image).ok());
  DeviceImage back;
  ASSERT_TRUE(read_device_gap(master, back).ok());
  EXPECT_EQ(back.time_gap_dev, 10);

  image.shift_usr = 0.25f;
  image.shift_scale = -1.5f;
  image.diap_usr = 1.01f;
  ASSERT_TRUE(write_user_trims_protected(context, image, [] { return true; }).ok());
  EXPECT_EQ(device().stored_float(reg_address("shift_usr")), 0.25f);
  EXPECT_EQ(device().stored_float(reg_address("shift_scale")), -1.5f);
  EXPECT_EQ(device().stored_float(reg_address("diap_usr")), 1.01f);
  EXPECT_FALSE(device().user_open());
}

TEST_F(ConfigurationTest, AFailedWriteLeavesTheDeviceUnlockedWithoutResult) {
  exchange.retry_mask = 0;
  ASSERT_TRUE(read_sensor_settings(master, image, panel).ok());
  image.unit = 40;  // the device refuses a unit above 11
  const WriteOutcome out = write_sensor_settings_protected(context, image, [] { return true; });
  EXPECT_EQ(out.step, WriteStep::Writes);
  EXPECT_TRUE(out.result.faults & kFaultException);
  EXPECT_TRUE(device().user_open());
  EXPECT_FALSE(told("Запись параметров датчика успешно осуществлена."));
}

// A stop raised at any pause of a protected write: no write group starts
// after it, and once the unlock went out the lock follows, so the device is
// locked again and the outcome says the command was stopped.
TEST_F(ConfigurationTest, AStopEndsAProtectedWriteWithTheDeviceLockedAgain) {
  ASSERT_TRUE(read_sensor_settings(master, image, panel).ok());
  image.digits = static_cast<uint16_t>(device().read_register(reg_address("DIGITS"), 0) + 1);
  for (size_t stop_at_wait = 0; stop_at_wait < 12; ++stop_at_wait) {
    SCOPED_TRACE(stop_at_wait);
    StopFlag stop;
    master.set_stop(stop);
    const size_t first_wait = pump.waits.size();
    pump.on_dispatch = [&] {
      if (pump.waits.size() - first_wait == stop_at_wait + 1) stop.raise(2);
    };
    never_read = 0;
    const WriteOutcome out = write_sensor_settings_protected(context, image, [] { return true; });
    pump.on_dispatch = nullptr;
    EXPECT_EQ(out.step, WriteStep::Stopped);
    EXPECT_FALSE(out.may_be_unlocked());
    EXPECT_FALSE(device().user_open());
    EXPECT_NE(device().read_register(reg_address("DIGITS"), 0), image.digits);  // the last group never went
    EXPECT_FALSE(told("Запись параметров датчика успешно осуществлена."));
  }
}

TEST_F(ConfigurationTest, AnInputErrorSendsNothing) {
  const uint64_t before = pump.now_ms;
  const WriteOutcome out = write_sensor_settings_protected(context, image, [] { return false; });
  EXPECT_EQ(out.step, WriteStep::Inputs);
  EXPECT_EQ(pump.now_ms, before);  // not even the identity read's pause
}

TEST_F(ConfigurationTest, ExchangeWriteMovesDeviceAndProgram) {
  ASSERT_TRUE(read_exchange_params(master, image).ok());
  image.adr = 5;
  image.rate = 9;  // 57600
  image.parity = 2;
  const WriteOutcome out = write_exchange_params_protected(context, image, init_flag, [this] { switch_link(); });
  ASSERT_TRUE(out.ok());
  EXPECT_TRUE(out.result.ok());  // the lock already ran at the new settings
  EXPECT_EQ(device().link(), (sim::LinkSettings{5, 57600, 2}));
  EXPECT_EQ(link.address, 5);
  EXPECT_EQ(link.rate_index, 9);
  EXPECT_FALSE(device().user_open());
  EXPECT_TRUE(told("Запись параметров обмена модуля успешно осуществлена."));
  DeviceImage again;
  EXPECT_TRUE(read_exchange_params(master, again).ok());
}

TEST_F(ConfigurationTest, ExchangeWriteInInitStateKeepsTheProgramsLinkAndWarns) {
  device().set_init(true);
  image.adr = 5;
  image.rate = 9;
  bool switched = false;
  ASSERT_TRUE(write_exchange_params_protected(context, image, init_flag, [&] { switched = true; }).ok());
  EXPECT_EQ(init_flag, 1);
  EXPECT_FALSE(switched);
  const auto t = texts();
  ASSERT_GE(t.size(), 2u);
  EXPECT_EQ(t.back(), "Прибор находится в состоянии INIT. Будьте внимательны с необходимыми параметрами обмена.");
  EXPECT_EQ(t[t.size() - 2], "Запись параметров обмена модуля успешно осуществлена.");
}

TEST(AdoptDeviceLink, RateOutsideTheListGives19200) {
  struct Case {
    uint16_t rate, expected;
  } cases[] = {{3, 3}, {10, 10}, {2, 7}, {11, 7}, {0, 7}};
  for (const Case& c : cases) {
    DeviceImage image;
    image.rate = c.rate;
    image.adr = 9;
    image.parity = 1;
    LinkParams link;
    link.port = 4;
    adopt_device_link(image, link);
    EXPECT_EQ(link.rate_index, c.expected) << c.rate;
    EXPECT_EQ(link.address, 9);
    EXPECT_EQ(link.parity, 1);
    EXPECT_EQ(link.port, 4);
  }
}

TEST_F(ConfigurationTest, FactorySettingsWithARetriedFsetLocksWithoutSuccess) {
  // The fifth pause is the one before the FSET write: its first answer is lost.
  bool pushed = false;
  pump.on_dispatch = [&] {
    if (!pushed && pump.waits.size() == 5) {
      line.faults().push({sim::FaultKind::Silence, 0});
      pushed = true;
    }
  };
  const WriteOutcome out = restore_factory_settings(context, image);
  EXPECT_TRUE(out.ok());
  EXPECT_TRUE(pushed);
  EXPECT_FALSE(device().user_open());  // locked
  EXPECT_FALSE(told("Параметры прибора скопированы в область заводских установок."));

  prompt.records.clear();
  EXPECT_TRUE(restore_factory_settings(context, image).ok());
  EXPECT_TRUE(told("Параметры прибора скопированы в область заводских установок."));
}

TEST_F(ConfigurationTest, NeverReadQuestionIsAskedOnceEvenWhenAnsweredNo) {
  prompt.answers = {false};
  EXPECT_EQ(write_sensor_settings_protected(context, image, [] { return true; }).step, WriteStep::Answered);
  EXPECT_EQ(restore_factory_settings(context, image).step, WriteStep::Done);
  EXPECT_EQ(asked(kNeverReadQuestion), 1u);
}

}  // namespace
}  // namespace orn
