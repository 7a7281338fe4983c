#pragma once
// The calibration check: at each test point the operator applies a reference
// pressure and confirms, then the measured value is averaged over N samples
// and compared with the reference in percent of the span. A check before an
// adjustment is the as-found record, one after it the as-left record.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/device_image.h"
#include "link/faults.h"
#include "link/modbus_master.h"

namespace orn {

enum class CheckKind : uint8_t { AsFound, AsLeft };

inline constexpr size_t kMaxCheckPoints = 21;
inline constexpr uint16_t kMaxCheckSamples = 1000;
inline constexpr double kMaxTolerancePercent = 100.0;
inline constexpr uint32_t kMaxSettleSeconds = 3600;

struct CheckPlan {
  std::vector<float> points;  // references, in the display unit
  uint16_t samples = 10;      // readings averaged at each point
  double tolerance = 0.5;     // permitted error, % of span
  uint32_t settle_ms = 0;     // wait after a confirmation before the first sample
  uint32_t sample_pause_ms = 200;
  CheckKind kind = CheckKind::AsFound;
};

// "0,25,50" into points; nothing and an error text for an empty list, an
// item that is no finite number, more than kMaxCheckPoints items or a repeat.
std::optional<std::vector<float>> parse_check_points(std::string_view list, std::string& error);
// A tolerance in % of span, above 0 and at most 100.
std::optional<double> parse_tolerance(std::string_view text, std::string& error);
// Points outside the sensor range (in the display unit, with a margin of 10 %
// of the span) are refused: a typing error, not a test point. "" when all fit.
std::string points_outside_range(const std::vector<float>& points, float lower, float upper);

// The sensor range in the display unit and the span the error is taken from.
struct CheckRange {
  uint16_t unit = 0;
  float lower = 0;
  float upper = 0;
  double span() const { return static_cast<double>(upper) - lower; }
};
CheckRange check_range(const DeviceImage& image);

struct PointResult {
  float reference = 0;
  double reading = 0;    // average of the samples
  double error_pct = 0;  // (reading - reference) / span * 100
  bool pass = false;
};

// Error in % of span and the verdict; a span of 0 fails every point.
PointResult judge_point(float reference, double reading, double span, double tolerance);

// The operator's side of a check: the window's dialog or the terminal.
class CheckDriver {
 public:
  virtual ~CheckDriver() = default;
  // Point index (0-based) of count: the reference is applied. False: the
  // check is cancelled, nothing more is read.
  virtual bool confirm_point(size_t index, size_t count, float reference, std::string_view unit) = 0;
  virtual void sample(unsigned number, double value, double average) = 0;
  // A point measured; a non-empty text (a record that cannot be written) ends
  // the check as a fault with that message.
  virtual std::string point_done(size_t index, const PointResult& result) = 0;
};

enum class CheckEnd : uint8_t {
  Completed,  // every point measured
  Cancelled,  // a confirmation was declined
  Stopped,    // a stop signal or the window's stop
  Fault,      // an exchange failed or the device reported a measuring error
};

struct CheckOutcome {
  CheckEnd end = CheckEnd::Fault;
  std::vector<PointResult> points;  // the points measured, in order
  ExchangeResult fault;             // the failed read (end == Fault)
  std::string message;              // why it ended early, in the user's language
  bool passed() const;              // completed and every point passed
};

// Runs the check on the device's measured value. The image must hold the
// sensor settings (unit and range). The points are allocated before the
// first read; a stop is checked before every sample.
CheckOutcome run_check(ModbusMaster& master, const DeviceImage& image, const CheckPlan& plan, CheckDriver& driver);

// "годен" or "не годен".
std::string_view verdict_text(bool passed);
std::string_view check_kind_text(CheckKind kind);  // "as-found", "as-left"

}  // namespace orn
