#include "calib/calibration_check.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "measure/measured_value.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

constexpr uint16_t kErrorBits = 0x0FFF;
constexpr double kRangeMargin = 0.10;

// The whole text as a finite number, "." as the decimal point whatever the locale.
std::optional<double> strict_number(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double x = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), x);
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || !std::isfinite(x)) return std::nullopt;
  return x;
}

std::string number_text(double x) {
  std::string s = format_number(x, NumberFormat::Value);
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

}  // namespace

std::optional<std::vector<float>> parse_check_points(std::string_view list, std::string& error) {
  std::vector<float> points;
  if (list.empty()) {
    error = "не указаны точки проверки";
    return std::nullopt;
  }
  for (size_t from = 0;;) {
    const size_t comma = list.find(',', from);
    const std::string_view item = list.substr(from, comma == std::string_view::npos ? comma : comma - from);
    const auto x = strict_number(item);
    if (!x || !std::isfinite(static_cast<float>(*x))) {
      error = "точка проверки \"" + std::string(item) + "\" не число";
      return std::nullopt;
    }
    const auto f = static_cast<float>(*x);
    for (float p : points) {
      if (p == f) {
        error = "точка проверки " + number_text(f) + " повторяется";
        return std::nullopt;
      }
    }
    points.push_back(f);
    if (points.size() > kMaxCheckPoints) {
      error = "точек проверки не более " + std::to_string(kMaxCheckPoints);
      return std::nullopt;
    }
    if (comma == std::string_view::npos) break;
    from = comma + 1;
  }
  return points;
}

std::optional<double> parse_tolerance(std::string_view text, std::string& error) {
  const auto x = strict_number(text);
  if (!x || !(*x > 0) || *x > kMaxTolerancePercent) {
    error = "допуск \"" + std::string(text) + "\" должен быть числом больше 0 и не больше 100 (% диапазона)";
    return std::nullopt;
  }
  return *x;
}

std::string points_outside_range(const std::vector<float>& points, float lower, float upper) {
  const double margin = (static_cast<double>(upper) - lower) * kRangeMargin;
  for (float p : points) {
    if (p < lower - margin || p > upper + margin)
      return "точка проверки " + number_text(p) + " вне диапазона датчика " + number_text(lower) + " .. " +
             number_text(upper);
  }
  return "";
}

CheckRange check_range(const DeviceImage& image) {
  const uint16_t unit = image.unit;
  return {unit, static_cast<float>(from_kpa(image.diapminkpa, unit, image.diapminkpa, image.diapmaxkpa)),
          static_cast<float>(from_kpa(image.diapmaxkpa, unit, image.diapminkpa, image.diapmaxkpa))};
}

PointResult judge_point(float reference, double reading, double span, double tolerance) {
  PointResult r{reference, reading, 0.0, false};
  if (!(std::fabs(span) > 0) || !std::isfinite(reading)) {
    r.error_pct = NAN;
    return r;
  }
  r.error_pct = (reading - reference) / std::fabs(span) * 100.0;
  // A hair of rounding must not turn an error equal to the tolerance into a fail.
  r.pass = std::fabs(r.error_pct) <= tolerance + 1e-9;
  return r;
}

bool CheckOutcome::passed() const {
  if (end != CheckEnd::Completed || points.empty()) return false;
  for (const PointResult& p : points) {
    if (!p.pass) return false;
  }
  return true;
}

CheckOutcome run_check(ModbusMaster& master, const DeviceImage& image, const CheckPlan& plan, CheckDriver& driver) {
  CheckOutcome out;
  out.points.reserve(plan.points.size());
  const CheckRange range = check_range(image);
  const std::string_view unit = unit_short_caption(range.unit);
  MeasuredValue record;
  auto stopped = [&] {
    out.end = CheckEnd::Stopped;
    out.message = "Проверка остановлена.";
    return out;
  };
  for (size_t i = 0; i < plan.points.size(); ++i) {
    if (master.stopping()) return stopped();
    if (!driver.confirm_point(i, plan.points.size(), plan.points[i], unit)) {
      if (master.stopping()) return stopped();
      out.end = CheckEnd::Cancelled;
      out.message = "Проверка отменена.";
      return out;
    }
    if (plan.settle_ms > 0) master.pump().wait(plan.settle_ms);
    double sum = 0;
    const unsigned n = plan.samples == 0 ? 1 : plan.samples;
    for (unsigned k = 0; k < n; ++k) {
      if (master.stopping()) return stopped();
      if (k > 0) master.pump().wait(plan.sample_pause_ms);
      if (master.stopping()) return stopped();
      const ExchangeResult r = read_measurement(master, MeasureBlock::Measurement, record);
      if (r.stopped()) return stopped();
      if (!r.ok()) {
        out.end = CheckEnd::Fault;
        out.fault = r;
        return out;
      }
      if ((record.izmerr & kErrorBits) != 0) {
        out.end = CheckEnd::Fault;
        out.message = "Прибор сообщает об ошибке измерения (IZMERR 0x" +
                      [&] {
                        char t[8];
                        std::snprintf(t, sizeof t, "%04X", static_cast<unsigned>(record.izmerr));
                        return std::string(t);
                      }() +
                      "): проверка прервана.";
        return out;
      }
      if (statp_unit(record.statp) != range.unit) {
        out.end = CheckEnd::Fault;
        out.message = "Прибор измеряет не в тех единицах, что прочитаны в настройках датчика: проверка прервана.";
        return out;
      }
      sum += record.pizmf;
      driver.sample(k + 1, record.pizmf, sum / (k + 1));
    }
    out.points.push_back(judge_point(plan.points[i], sum / n, range.span(), plan.tolerance));
    if (std::string error = driver.point_done(i, out.points.back()); !error.empty()) {
      out.end = CheckEnd::Fault;
      out.message = std::move(error);
      return out;
    }
  }
  out.end = CheckEnd::Completed;
  return out;
}

std::string_view verdict_text(bool passed) { return passed ? "годен" : "не годен"; }

std::string_view check_kind_text(CheckKind kind) { return kind == CheckKind::AsFound ? "as-found" : "as-left"; }

}  // namespace orn
