// The calibration check: its inputs, the verdict of a point, the check run
// on the simulated transmitter through the real master (averages, a device
// reporting a measuring error, a stop), and the record read back into a
// certificate.
#include "calib/calibration_check.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <csignal>
#include <functional>

#include "calib/calibration_record.h"
#include "device/group_transfers.h"
#include "records/record_file.h"
#include "support/fakes.h"
#include "support/sim_master_rig.h"
#include "support/temp_folder.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

TEST(CheckInputs, PointListsAreStrictNumbers) {
  struct Case {
    const char* text;
    std::vector<float> points;  // empty: refused
    const char* error;
  };
  const Case cases[] = {
      {"0,25.5, 50", {0.0f, 25.5f, 50.0f}, ""},
      {"-10", {-10.0f}, ""},
      {"", {}, "не указаны точки проверки"},
      {"0,,1", {}, "точка проверки \"\" не число"},
      {"0,1x", {}, "точка проверки \"1x\" не число"},
      {"0,1e999", {}, "не число"},
      {"nan", {}, "не число"},
      {"0,25,0", {}, "точка проверки 0.0000 повторяется"},
      {"0,1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21", {}, "точек проверки не более 21"},
  };
  for (const Case& c : cases) {
    std::string error;
    const auto points = parse_check_points(c.text, error);
    if (c.points.empty()) {
      EXPECT_FALSE(points) << c.text;
      EXPECT_NE(error.find(c.error), std::string::npos) << c.text << ": " << error;
    } else {
      ASSERT_TRUE(points) << c.text << ": " << error;
      EXPECT_EQ(*points, c.points) << c.text;
    }
  }
  std::string error;
  EXPECT_EQ(parse_tolerance("0.25", error), 0.25);
  for (const char* bad : {"0", "-1", "100.5", "0,5", "", "inf"}) EXPECT_FALSE(parse_tolerance(bad, error)) << bad;
  EXPECT_EQ(points_outside_range({0.0f, 275.0f}, 0.0f, 250.0f), "");
  EXPECT_NE(points_outside_range({-26.0f}, 0.0f, 250.0f), "");
}

TEST(CheckVerdict, ErrorInPercentOfSpanAgainstTheTolerance) {
  struct Case {
    double reading;
    double span;
    double error;
    bool pass;
  };
  const Case cases[] = {
      {101.25, 250, 0.5, true},     // exactly at the tolerance
      {101.2625, 250, 0.505, false},
      {98.75, 250, -0.5, true},
      {97.0, 250, -1.2, false},
      {100.0, 0, NAN, false},  // no span: nothing can pass
  };
  for (const Case& c : cases) {
    const PointResult r = judge_point(100.0f, c.reading, c.span, 0.5);
    if (std::isnan(c.error)) EXPECT_TRUE(std::isnan(r.error_pct));
    else EXPECT_NEAR(r.error_pct, c.error, 1e-9) << c.reading;
    EXPECT_EQ(r.pass, c.pass) << c.reading;
  }
}

// A driver that confirms every point and keeps what it was shown.
class ScriptedCheck final : public CheckDriver {
 public:
  bool confirm_point(size_t index, size_t, float, std::string_view unit) override {
    confirmed.push_back(index);
    shown_unit = unit;
    return index != cancel_at;
  }
  void sample(unsigned number, double value, double) override {
    samples.push_back(value);
    if (on_sample) on_sample(number);
  }
  std::string point_done(size_t, const PointResult&) override { return record_error; }

  std::vector<size_t> confirmed;
  std::vector<double> samples;
  std::string shown_unit;
  size_t cancel_at = SIZE_MAX;
  std::string record_error;
  std::function<void(unsigned)> on_sample;
};

class CheckOnSimulator : public ::testing::Test, protected test::SimMasterRig {
 protected:
  void start(sim::TransmitterConfig config) {
    line.add(config);
    ASSERT_TRUE(port.open(port.device_path, 19200, kParityNone));
    pump.on_dispatch = [this] {
      port.now_ms += pump.now_ms - pumped_;
      pumped_ = pump.now_ms;
    };
    ASSERT_TRUE(read_sensor_settings(master, image, panel).ok());
  }
  uint64_t pumped_ = 0;
  NoProgress panel;
  DeviceImage image;
  ScriptedCheck driver;
  CheckPlan plan;
};

TEST_F(CheckOnSimulator, EachPointIsTheMeanOfItsSamples) {
  sim::TransmitterConfig config;
  config.pressure.model = sim::PressureModel::Noise;
  config.pressure.kpa = 100.0;
  config.pressure.noise = 1.0;
  config.pressure.sample_ms = 1;
  start(config);
  plan.points = {100.0f, 101.0f};
  plan.samples = 8;
  plan.tolerance = 0.5;
  const CheckOutcome out = run_check(master, image, plan, driver);
  ASSERT_EQ(out.end, CheckEnd::Completed) << out.message;
  ASSERT_EQ(out.points.size(), 2u);
  ASSERT_EQ(driver.samples.size(), 16u);
  EXPECT_EQ(driver.shown_unit, "кПа");
  for (size_t p = 0; p < 2; ++p) {
    double sum = 0;
    for (size_t k = 0; k < 8; ++k) sum += driver.samples[p * 8 + k];
    EXPECT_NEAR(out.points[p].reading, sum / 8, 1e-9);
    EXPECT_NEAR(out.points[p].error_pct, (sum / 8 - plan.points[p]) / 250.0 * 100.0, 1e-9);
  }
  // Distinct samples: the noise moved between them, so they were read apart.
  EXPECT_NE(driver.samples[0], driver.samples[1]);
}

TEST_F(CheckOnSimulator, EndsEarlyOnAMeasuringErrorACancelAStopOrARecordThatFails) {
  sim::TransmitterConfig config;
  start(config);
  plan.points = {0.0f, 100.0f, 200.0f};
  plan.samples = 4;

  driver.cancel_at = 1;
  CheckOutcome out = run_check(master, image, plan, driver);
  EXPECT_EQ(out.end, CheckEnd::Cancelled);
  EXPECT_EQ(out.points.size(), 1u);
  EXPECT_FALSE(out.passed());

  driver = {};
  driver.record_error = "Не удалось дописать запись в файл calibration.csv: нет места.";
  out = run_check(master, image, plan, driver);
  EXPECT_EQ(out.end, CheckEnd::Fault);
  EXPECT_EQ(out.message, driver.record_error);
  EXPECT_EQ(driver.confirmed.size(), 1u);

  // A stop during the second sample: that sample completes, no other is read.
  driver = {};
  StopFlag stop;
  master.set_stop(stop);
  driver.on_sample = [&](unsigned n) {
    if (n == 2) stop.raise(SIGINT);
  };
  out = run_check(master, image, plan, driver);
  EXPECT_EQ(out.end, CheckEnd::Stopped);
  EXPECT_EQ(driver.samples.size(), 2u);
  EXPECT_TRUE(out.points.empty());
  StopFlag never;
  master.set_stop(never);

  driver = {};
  line.device(0).config().izmerr = 0x0004;
  out = run_check(master, image, plan, driver);
  EXPECT_EQ(out.end, CheckEnd::Fault);
  EXPECT_NE(out.message.find("IZMERR 0x0004"), std::string::npos) << out.message;
  EXPECT_TRUE(driver.samples.empty());
}

RecordDevice device_of(const std::string& factory) {
  RecordDevice d;
  d.origin = {"2026-12-11 10:00:00", "ivanov;\"старший\"", "/dev/ttyUSB0", 3, factory};
  d.model = 206;
  d.range = {kUnitKpa, 0.0f, 250.0f};
  return d;
}

TEST(CalibrationRecord, RowsReadBackAndTheCertificateTakesTheLatestRound) {
  test::TempFolder folder;
  const std::string path = folder.path() + "/calibration.csv";
  CheckPlan plan;
  plan.points = {0.0f, 250.0f};
  plan.tolerance = 0.5;
  std::vector<CalibrationRow> rows;
  auto check = [&](const RecordDevice& d, CheckKind kind, std::vector<double> readings, std::string when) {
    RecordDevice at = d;
    at.origin.when = std::move(when);
    plan.kind = kind;
    for (size_t i = 0; i < readings.size(); ++i)
      rows.push_back(point_row(at, plan, i, judge_point(plan.points[i], readings[i], 250.0, plan.tolerance)));
  };
  const RecordDevice ours = device_of("12-3456"), other = device_of("12-9999");
  check(ours, CheckKind::AsFound, {0.5, 250.0}, "2026-01-01 09:00:00");  // last year's round
  check(ours, CheckKind::AsLeft, {0.0, 250.0}, "2026-01-01 09:30:00");
  check(ours, CheckKind::AsFound, {2.0, 252.0}, "2026-12-11 10:00:00");
  check(other, CheckKind::AsFound, {0.0, 250.0}, "2026-12-11 10:01:00");
  rows.push_back(adjustment_row(ours, AdjustmentKind::Zero, 0.0, 2.0, -2.0));
  check(ours, CheckKind::AsLeft, {0.0}, "2026-12-11 10:10:00");  // ended after one point
  ASSERT_FALSE(append_calibration_rows(path, rows));

  const auto back = read_calibration_rows(path);
  ASSERT_TRUE(back);
  ASSERT_EQ(*back, rows);  // also the operator's ";" and quotes
  EXPECT_EQ(rows[0][kColOperator], "ivanov;\"старший\"");

  auto data = certificate_data(*back, "12-3456", "206");
  ASSERT_TRUE(data);
  ASSERT_EQ(data->as_found.size(), 2u);
  EXPECT_EQ(data->as_found[0][kColReading], "2.0000");
  ASSERT_EQ(data->adjustments.size(), 1u);
  EXPECT_EQ(data->adjustments[0][kColWritten], "-2.000000");
  EXPECT_EQ(data->as_left.size(), 1u);
  EXPECT_FALSE(data->passed);  // an as-left check of one point out of two

  check(ours, CheckKind::AsLeft, {0.0, 250.0}, "2026-12-11 10:20:00");
  ASSERT_FALSE(append_calibration_rows(path, std::span(rows).last(2)));
  data = certificate_data(*read_calibration_rows(path), "12-3456", "206");
  ASSERT_TRUE(data);
  EXPECT_EQ(data->as_left.size(), 2u);
  EXPECT_EQ(data->as_left[0][kColWhen], "2026-12-11 10:20:00");
  EXPECT_TRUE(data->passed);
  EXPECT_FALSE(certificate_data(*back, "77-7777", "206"));
}

TEST(CalibrationRecord, NumbersUseAPointUnderARussianLocale) {
  const char* previous = std::setlocale(LC_NUMERIC, nullptr);
  const std::string saved = previous ? previous : "C";
  if (std::setlocale(LC_NUMERIC, "ru_RU.UTF-8") == nullptr) GTEST_SKIP() << "no ru_RU.UTF-8 locale";
  EXPECT_EQ(record_number(-2.5, 3), "-2.500");
  std::setlocale(LC_NUMERIC, saved.c_str());
}

}  // namespace
}  // namespace orn
