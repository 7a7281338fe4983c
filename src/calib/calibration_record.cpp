#include "calib/calibration_record.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "device/group_transfers.h"
#include "records/record_file.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

constexpr std::array<std::string_view, kCalibrationColumnCount> kHeader{
    "дата_время", "оператор", "порт", "адрес", "заводской_номер", "модель", "версия_ПО", "версия_конструкции",
    "диапазон_от", "диапазон_до", "единица", "вид", "точка", "точек", "эталон_или_требуемое", "показание",
    "записано", "погрешность_%_диапазона", "допуск_%_диапазона", "результат"};

CalibrationRow device_fields(const RecordDevice& d, std::string_view kind) {
  CalibrationRow row(kCalibrationColumnCount);
  row[kColWhen] = d.origin.when;
  row[kColOperator] = d.origin.operator_name;
  row[kColPort] = d.origin.port;
  row[kColAddress] = std::to_string(d.origin.address);
  row[kColFactoryNumber] = d.origin.factory_number;
  row[kColModel] = std::to_string(d.model);
  row[kColSoftVersion] = std::to_string(d.ver_soft);
  row[kColHardVersion] = std::to_string(d.ver_hard);
  row[kColRangeLow] = record_number(d.range.lower, 4);
  row[kColRangeHigh] = record_number(d.range.upper, 4);
  row[kColUnit] = std::string(unit_short_caption(d.range.unit));
  // The short caption may carry padding blanks.
  while (!row[kColUnit].empty() && row[kColUnit].back() == ' ') row[kColUnit].pop_back();
  row[kColKind] = std::string(kind);
  return row;
}

// The fields of one line; a quoted field may hold ";", doubled quotes and line breaks.
bool split_row(std::istream& in, CalibrationRow& row) {
  row.clear();
  std::string field;
  bool quoted = false, any = false;
  for (int c; (c = in.get()) != EOF;) {
    any = true;
    const char ch = static_cast<char>(c);
    if (quoted) {
      if (ch == '"') {
        if (in.peek() == '"') {
          field += '"';
          in.get();
        } else {
          quoted = false;
        }
      } else {
        field += ch;
      }
    } else if (ch == '"') {
      quoted = true;
    } else if (ch == ';') {
      row.push_back(std::move(field));
      field.clear();
    } else if (ch == '\n') {
      break;
    } else if (ch != '\r') {
      field += ch;
    }
  }
  if (!any) return false;
  row.push_back(std::move(field));
  return true;
}

bool is_check(const CalibrationRow& r) { return r[kColKind] == kKindAsFound || r[kColKind] == kKindAsLeft; }

// Whether rows [from, from + n) are one whole check: points 1..n of one kind and one start.
size_t check_length(std::span<const CalibrationRow> rows, size_t from) {
  const CalibrationRow& first = rows[from];
  size_t n = 1;
  while (from + n < rows.size()) {
    const CalibrationRow& r = rows[from + n];
    if (r[kColKind] != first[kColKind] || r[kColWhen] != first[kColWhen] || r[kColPoint] != std::to_string(n + 1))
      break;
    ++n;
  }
  return n;
}

bool complete_and_passed(std::span<const CalibrationRow> check) {
  if (check.empty() || check.front()[kColPoints] != std::to_string(check.size())) return false;
  for (const CalibrationRow& r : check) {
    if (r[kColResult] != kResultPass) return false;
  }
  return true;
}

}  // namespace

std::span<const std::string_view> calibration_header() { return kHeader; }

std::string_view kind_column(CheckKind kind) { return kind == CheckKind::AsFound ? kKindAsFound : kKindAsLeft; }

std::string record_number(double x, int decimals) {
  if (!std::isfinite(x)) return "";
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, x);
  // snprintf follows LC_NUMERIC; the file always uses ".".
  for (char& c : text) {
    if (c == ',') c = '.';
  }
  return text;
}

RecordDevice record_device(const std::string& port, uint16_t address, const DeviceImage& image) {
  return {record_origin(port, address, image), image.model, image.ver_soft, image.ver_hard, check_range(image)};
}

ExchangeResult read_record_identity(ModbusMaster& master, DeviceImage& image, Progress& progress) {
  using Step = ExchangeResult (*)(ModbusMaster&, DeviceImage&);
  for (Step step : {Step{read_model}, Step{read_factory_number_and_date}, Step{read_versions}}) {
    if (const ExchangeResult r = step(master, image); !r.ok()) return r;
  }
  return read_sensor_settings(master, image, progress);
}

CalibrationRow point_row(const RecordDevice& device, const CheckPlan& plan, size_t index, const PointResult& p) {
  CalibrationRow row = device_fields(device, kind_column(plan.kind));
  row[kColPoint] = std::to_string(index + 1);
  row[kColPoints] = std::to_string(plan.points.size());
  row[kColReference] = record_number(p.reference, 4);
  row[kColReading] = record_number(p.reading, 4);
  row[kColError] = record_number(p.error_pct, 3);
  row[kColTolerance] = record_number(plan.tolerance, 3);
  row[kColResult] = std::string(p.pass ? kResultPass : kResultFail);
  return row;
}

CalibrationRow adjustment_row(const RecordDevice& device, AdjustmentKind kind, double required, double average,
                              double written) {
  CalibrationRow row = device_fields(device, kind == AdjustmentKind::Zero ? kKindZero : kKindSpan);
  row[kColReference] = record_number(required, 4);
  row[kColReading] = record_number(average, 4);
  row[kColWritten] = record_number(written, 6);
  row[kColResult] = std::string(kResultWritten);
  return row;
}

double written_adjustment(AdjustmentKind kind, const DeviceImage& image) {
  if (kind == AdjustmentKind::Span) return image.diap_usr;
  return static_cast<double>(from_kpa(image.shift_usr, image.unit, image.diapminkpa, image.diapmaxkpa));
}

std::optional<std::string> append_calibration_rows(const std::string& path, std::span<const CalibrationRow> rows) {
  for (const CalibrationRow& row : rows) {
    if (auto error = append_record(path, calibration_header(), row)) return error;
  }
  return std::nullopt;
}

std::optional<std::vector<CalibrationRow>> read_calibration_rows(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::vector<CalibrationRow> rows;
  CalibrationRow row;
  bool header = true;
  while (split_row(in, row)) {
    if (header) {
      header = false;
      continue;
    }
    if (row.size() == kCalibrationColumnCount) rows.push_back(row);
  }
  return rows;
}

std::optional<CertificateData> certificate_data(std::span<const CalibrationRow> all, std::string_view factory_number,
                                                std::string_view model) {
  std::vector<CalibrationRow> rows;
  for (const CalibrationRow& r : all) {
    if (r[kColFactoryNumber] == factory_number && r[kColModel] == model) rows.push_back(r);
  }
  // The start of the latest as-found check.
  std::optional<size_t> found;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i][kColKind] == kKindAsFound && rows[i][kColPoint] == "1") found = i;
  }
  CertificateData d;
  size_t from = 0;
  if (found) {
    const size_t n = check_length(rows, *found);
    d.as_found.assign(rows.begin() + static_cast<std::ptrdiff_t>(*found), rows.begin() + static_cast<std::ptrdiff_t>(*found + n));
    from = *found + n;
  }
  // After it: the adjustments and the latest as-left check.
  for (size_t i = from; i < rows.size(); ++i) {
    const CalibrationRow& r = rows[i];
    if (!is_check(r)) {
      d.adjustments.push_back(r);
    } else if (r[kColKind] == kKindAsLeft && r[kColPoint] == "1") {
      const size_t n = check_length(rows, i);
      d.as_left.assign(rows.begin() + static_cast<std::ptrdiff_t>(i), rows.begin() + static_cast<std::ptrdiff_t>(i + n));
      i += n - 1;
    }
  }
  const std::vector<CalibrationRow>& last = d.as_left.empty() ? d.as_found : d.as_left;
  if (last.empty()) return std::nullopt;
  d.passed = complete_and_passed(last);
  d.identity = last.front();
  return d;
}

}  // namespace orn
