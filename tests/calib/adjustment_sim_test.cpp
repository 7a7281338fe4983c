// The zero and span adjustment against the simulated transmitter, through the
// real master and an in-memory line. The simulator's IZMPsensun is linear in
// shift_usr and diap_usr, so a written adjustment brings it to the target.
#include "calib/adjustment.h"

#include <gtest/gtest.h>

#include <cmath>

#include "calib/calib_transfers.h"
#include "device/input_checks.h"
#include "device/register_map.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/fakes.h"
#include "support/sim_master_rig.h"

namespace orn {
namespace {

// The panel as plain data: what was shown, with every status line kept.
class RecordingView final : public AdjustmentView {
 public:
  void set_status(std::string_view text) override { statuses.emplace_back(text); }
  void show_fields(const PanelTexts& f, std::string_view unit) override {
    fields = f;
    unit_caption = unit;
  }
  PanelTexts field_texts() const override { return fields; }
  void set_colour(PanelField f, FieldColour c) override { colours[static_cast<size_t>(f)] = c; }
  void show_value(const ValueItem& v) override { value = v; }
  void sample(unsigned, float x, float) override { samples.push_back(x); }
  void enable_buttons(bool on) override { buttons = on; }
  void show_panel(bool shown) override { panel = shown; }
  void show_sensor_settings() override { ++settings_shown; }

  std::vector<std::string> statuses;
  PanelTexts fields;
  std::string unit_caption;
  std::array<FieldColour, 4> colours{};
  ValueItem value;
  std::vector<float> samples;
  bool buttons = true;
  bool panel = false;
  int settings_shown = 0;
};

class AdjustmentTest : public ::testing::Test, protected test::SimMasterRig {
 protected:
  void start(double kpa, double noise = 0.0, double sensor_offset = 0.0) {
    sim::TransmitterConfig config;
    config.pressure.kpa = kpa;
    config.pressure.model = noise > 0 ? sim::PressureModel::Noise : sim::PressureModel::Constant;
    config.pressure.noise = noise;
    config.sensor_offset_kpa = sensor_offset;
    line.add(config);
    ASSERT_TRUE(port.open(port.device_path, 19200, kParityNone));
    // The pumped waits pass on the simulator's clock too.
    pump.on_dispatch = [this] {
      port.now_ms += pump.now_ms - pumped_;
      pumped_ = pump.now_ms;
    };
  }
  sim::Transmitter& device() { return line.device(0); }
  float device_float(std::string_view reg) { return device().stored_float(reg_address(reg)); }
  size_t asked(const std::string& text) const {
    size_t n = 0;
    for (const auto& r : prompt.records) n += r.question && r.text == text;
    return n;
  }
  bool told(const std::string& text) const {
    for (const auto& r : prompt.records)
      if (!r.question && r.text == text) return true;
    return false;
  }
  float sensun_now() {
    EXPECT_TRUE(read_intermediate_block(master, image).ok());
    return image.intermediate.izmp_sensun;
  }

  uint64_t pumped_ = 0;
  test::ScriptedPrompt prompt;
  NoProgress panel;
  DeviceImage image;
  MeasuredValue record;
  AdjustSettings settings;
  uint16_t never_read = 1;
  int polling_stops = 0;
  AdjustmentContext context{master, prompt, panel, never_read, image, record, settings,
                            [this] { ++polling_stops; }};
  RecordingView view;
  Adjustment adjustment{context, view};
};

TEST_F(AdjustmentTest, OpenReadsEverythingAndMakesThePanelActive) {
  start(100.0);
  ASSERT_TRUE(adjustment.open());
  EXPECT_TRUE(adjustment.active());
  EXPECT_TRUE(view.panel);
  EXPECT_TRUE(view.buttons);
  EXPECT_EQ(never_read, 0);
  EXPECT_TRUE(device().user_open());  // unlocked, and left so
  EXPECT_EQ(view.unit_caption, "кПа");
  EXPECT_EQ(view.fields.user_span, "1.000000     ");
  EXPECT_EQ(view.fields.span_target, "250.000000   ");
  EXPECT_EQ(view.value.text, "100.0000   ");
  EXPECT_EQ(view.statuses.back(), "Прочитаны: измеренное значение, смещение и подстройка диапазона");
}

// N = 0 and 1 take one sample that is the average; N = 2 weights the start
// value (PIZMF of the record) in: x2/2 + (x1/2 + PIZMF/2)/2.
TEST_F(AdjustmentTest, ZeroAverageIsTheRunningWeightedAverage) {
  start(100.0, 0.5);
  for (const uint16_t n : {uint16_t{0}, uint16_t{1}, uint16_t{2}}) {
    SCOPED_TRACE(n);
    settings.zero_samples = n;
    settings.zero_target = 100.0f;
    ASSERT_TRUE(adjustment.open());
    const float pizmf = record.pizmf;
    const float before = image.shift_usr + image.shift_scale;
    view.samples.clear();
    ASSERT_EQ(adjustment.adjust_zero(), AdjustEnd::Computed);
    ASSERT_EQ(view.samples.size(), n < 2 ? 1u : 2u);
    const float average = n < 2 ? view.samples[0]
                                : static_cast<float>(view.samples[1] / 2.0 +
                                                     static_cast<float>(view.samples[0] / 2.0 + pizmf / 2.0) / 2.0);
    // kPa: K is the identity.
    EXPECT_FLOAT_EQ(image.shift_usr, static_cast<float>(100.0 - average + before));
    EXPECT_EQ(view.colours[static_cast<size_t>(PanelField::UserZero)], FieldColour::Lime);
    EXPECT_EQ(view.statuses.back(), "Смещение рассчитано, его можно записать");
    EXPECT_EQ(device_float("shift_usr"), 0.0f);  // nothing written yet
  }
  EXPECT_NE(view.samples[0], view.samples[1]);  // the noise made the samples differ
}

// The offset that goes out is the one its field shows, six decimals, not the
// computed float; afterwards the device reads the target within its noise.
TEST_F(AdjustmentTest, WrittenZeroBringsTheReadingToTheTarget) {
  start(100.0, 0.05, 3.0);
  settings.zero_target = 100.0f;
  ASSERT_TRUE(adjustment.open());
  ASSERT_EQ(adjustment.adjust_zero(), AdjustEnd::Computed);
  ASSERT_TRUE(adjustment.write_zero());
  EXPECT_EQ(asked("Данные смещения будут переписаны."), 1u);
  EXPECT_TRUE(told("Запись смещения датчика успешно осуществлена."));
  EXPECT_EQ(view.statuses.back(), "Смещение записано");
  const auto shown = static_cast<float>(*scan_real(view.fields.user_zero));
  EXPECT_EQ(device_float("shift_usr"), shown);
  EXPECT_NEAR(sensun_now(), 100.0f, 0.1);
  // A value typed over the computed one is what goes out.
  view.fields.user_zero = "-2.75";
  ASSERT_TRUE(adjustment.write_zero());
  EXPECT_EQ(device_float("shift_usr"), -2.75f);
}

TEST_F(AdjustmentTest, WrittenSpanBringsTheReadingToTheTarget) {
  start(200.0, 0.05, 0.0);
  device().config().sensor_gain = 1.03;
  settings.span_target = 200.0f;
  ASSERT_TRUE(adjustment.open());
  ASSERT_EQ(adjustment.adjust_span(), AdjustEnd::Computed);
  EXPECT_EQ(polling_stops, 1);
  EXPECT_EQ(view.colours[static_cast<size_t>(PanelField::UserSpan)], FieldColour::Lime);
  EXPECT_EQ(view.statuses.back(), "Коррекция диапазона рассчитана, ее можно записать");
  ASSERT_TRUE(adjustment.write_span());
  EXPECT_TRUE(told("Запись подстройки диапазона датчика успешно осуществлена."));
  EXPECT_NEAR(device_float("diap_usr"), 1.0 / 1.03, 0.001);
  EXPECT_NEAR(sensun_now(), 200.0f, 0.1);
}

// diap_usr = 0.97 answered Yes: the span adjustment multiplies by 0.98.
TEST_F(AdjustmentTest, SpanBelowItsLimitWorksWithTheLimit) {
  start(200.0);
  device().poke_float(reg_address("diap_usr"), 0.97f);
  settings.span_samples = 4;
  ASSERT_TRUE(adjustment.open());
  ASSERT_EQ(adjustment.adjust_span(), AdjustEnd::Computed);
  EXPECT_EQ(asked("Величина diap_usr слишком мала."), 1u);
  const float average = view.samples.back();  // every sample the same
  EXPECT_FLOAT_EQ(image.diap_usr, static_cast<float>(250.0 / average * 0.98));

  prompt.answers = {false};
  EXPECT_EQ(adjustment.adjust_span(), AdjustEnd::Failed);
  EXPECT_TRUE(view.buttons);
}

TEST_F(AdjustmentTest, RequiredSpanEqualToTheShiftsGivesZero) {
  start(200.0);
  device().poke_float(reg_address("shift_usr"), 5.0f);
  settings.span_target = 5.0f;
  ASSERT_TRUE(adjustment.open());
  // The parser takes the required value from its field.
  view.fields.span_target = "5";
  ASSERT_EQ(adjustment.adjust_span(), AdjustEnd::Computed);
  EXPECT_EQ(image.diap_usr, 0.0f);
}

// The average equals the shifts: after Yes the division by zero shows an
// infinity, which "Записать" refuses as input instead of sending it.
TEST_F(AdjustmentTest, InfiniteSpanIsNeverWritten) {
  start(0.0);
  ASSERT_TRUE(adjustment.open());
  ASSERT_EQ(adjustment.adjust_span(), AdjustEnd::Computed);
  EXPECT_EQ(asked("Выберите другое требуемое значение или подстройтесь вручную."), 1u);
  EXPECT_TRUE(std::isinf(image.diap_usr));
  const size_t frames = port.sent.size();
  EXPECT_FALSE(adjustment.write_span());
  EXPECT_TRUE(told("Данные подстройки не удается представить числом. Проверьте поле ввода."));
  EXPECT_EQ(port.sent.size(), frames);
  // Typed beyond what a float holds: refused the same way.
  view.fields.user_span = "1e39";
  EXPECT_FALSE(adjustment.write_span());
  EXPECT_EQ(port.sent.size(), frames);
  EXPECT_EQ(device_float("diap_usr"), 1.0f);
  EXPECT_TRUE(view.buttons);
}

// A silent unit read during the opening: reported, the panel stays open but
// not active with its buttons enabled; its own read and its closing still work.
TEST_F(AdjustmentTest, OpeningThatFailsHalfWay) {
  start(100.0);
  bool silenced = false;
  pump.on_dispatch = [this, &silenced, chain = pump.on_dispatch] {
    chain();
    // Identity, the unlock's two writes, shift, shift_usr/shift_scale, diap and
    // diap_usr were sent: the next transaction is the unit read.
    if (port.sent.size() == 7 && !silenced) {
      for (int i = 0; i < 2; ++i) line.faults().push({sim::FaultKind::Silence, 0});
      silenced = true;
    }
  };
  EXPECT_FALSE(adjustment.open());
  EXPECT_TRUE(silenced);
  EXPECT_TRUE(told("Ответа не было."));
  EXPECT_FALSE(adjustment.active());
  EXPECT_TRUE(view.panel);
  EXPECT_TRUE(view.buttons);
  EXPECT_EQ(adjustment.adjust_zero(), AdjustEnd::Failed);
  EXPECT_TRUE(adjustment.read());
  EXPECT_TRUE(adjustment.close());
  EXPECT_FALSE(view.panel);
}

// Leaving the page clears the active flag; the running adjustment ends at
// its next sample with an empty status line and nothing changed.
TEST_F(AdjustmentTest, LeavingThePageEndsARunningAdjustment) {
  start(100.0, 0.5);
  ASSERT_TRUE(adjustment.open());
  const float shift_usr = image.shift_usr;
  pump.on_dispatch = [this, chain = pump.on_dispatch] {
    chain();
    if (view.samples.size() == 3) adjustment.leave();
  };
  EXPECT_EQ(adjustment.adjust_zero(), AdjustEnd::Left);
  EXPECT_EQ(view.samples.size(), 3u);
  EXPECT_EQ(view.statuses.back(), "");
  EXPECT_EQ(image.shift_usr, shift_usr);
  EXPECT_TRUE(view.buttons);
  // Not active any more: the adjustments and writes do nothing.
  const size_t frames = port.sent.size();
  EXPECT_EQ(adjustment.adjust_zero(), AdjustEnd::Failed);
  EXPECT_FALSE(adjustment.write_zero());
  EXPECT_EQ(port.sent.size(), frames);
  EXPECT_EQ(device_float("shift_usr"), 0.0f);
}

TEST_F(AdjustmentTest, CloseReadsTheSensorSettings) {
  start(100.0);
  ASSERT_TRUE(adjustment.open());
  never_read = 1;
  ASSERT_TRUE(adjustment.close());
  EXPECT_FALSE(adjustment.active());
  EXPECT_FALSE(view.panel);
  EXPECT_EQ(never_read, 0);
  EXPECT_EQ(view.settings_shown, 1);
  EXPECT_TRUE(told("Чтение параметров датчика успешно осуществлено."));
  EXPECT_EQ(image.diapmaxkpa, device_float("DIAPMAXKPA"));
}

}  // namespace
}  // namespace orn
