#pragma once
// calibration.csv: one row per point of every calibration check and one per
// written zero or span adjustment, appended to the file in the current
// folder, never rewritten. The certificate is built back from these rows.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "calib/calibration_check.h"
#include "device/device_image.h"
#include "device/progress.h"
#include "link/modbus_master.h"
#include "records/record_identity.h"

namespace orn {

inline constexpr const char* kCalibrationFileName = "calibration.csv";

// The columns, in file order; their names are the header row.
enum CalibrationColumn : size_t {
  kColWhen, kColOperator, kColPort, kColAddress, kColFactoryNumber, kColModel, kColSoftVersion,
  kColHardVersion, kColRangeLow, kColRangeHigh, kColUnit, kColKind, kColPoint, kColPoints,
  kColReference, kColReading, kColWritten, kColError, kColTolerance, kColResult,
  kCalibrationColumnCount
};
std::span<const std::string_view> calibration_header();

// The kind column.
inline constexpr std::string_view kKindAsFound = "до подстройки";
inline constexpr std::string_view kKindAsLeft = "после подстройки";
inline constexpr std::string_view kKindZero = "подстройка нуля";
inline constexpr std::string_view kKindSpan = "подстройка диапазона";
inline constexpr std::string_view kResultPass = "годен";
inline constexpr std::string_view kResultFail = "не годен";
inline constexpr std::string_view kResultWritten = "записано";

std::string_view kind_column(CheckKind kind);

// What every row says of the device: its origin and identity as read.
struct RecordDevice {
  RecordOrigin origin;
  uint16_t model = 0;
  uint16_t ver_soft = 0;
  uint16_t ver_hard = 0;
  CheckRange range;
};
RecordDevice record_device(const std::string& port, uint16_t address, const DeviceImage& image);

// Reads what every row names: model, factory number, versions and the sensor
// settings (unit and range); the first failure.
ExchangeResult read_record_identity(ModbusMaster& master, DeviceImage& image, Progress& progress);

using CalibrationRow = std::vector<std::string>;

// The row of one measured point (index 0-based) of a check; each is appended
// as its point completes, so a check that ended early leaves fewer rows than
// its point count says.
CalibrationRow point_row(const RecordDevice& device, const CheckPlan& plan, size_t index, const PointResult& result);

enum class AdjustmentKind : uint8_t { Zero, Span };
// One written adjustment: the required value and the average of the samples
// (display unit), the value written (user zero in the display unit, or the
// span factor).
CalibrationRow adjustment_row(const RecordDevice& device, AdjustmentKind kind, double required, double average,
                              double written);

// The value an adjustment wrote, as the row holds it: the user zero in the
// display unit, or the span factor.
double written_adjustment(AdjustmentKind kind, const DeviceImage& image);

// Appends rows one by one; stops at the first that cannot be written and
// returns its reason, naming the file.
std::optional<std::string> append_calibration_rows(const std::string& path, std::span<const CalibrationRow> rows);

// The rows of a file as written (header skipped); rows of another column
// count are skipped. Nothing when the file cannot be read.
std::optional<std::vector<CalibrationRow>> read_calibration_rows(const std::string& path);

// A certificate's content, from the record of one device: the latest
// as-found check, the adjustments after it and the latest as-left check after
// those.
struct CertificateData {
  std::vector<CalibrationRow> as_found;
  std::vector<CalibrationRow> adjustments;
  std::vector<CalibrationRow> as_left;
  bool passed = false;  // the last check complete and every point passed
  // Of the last check: when, who, the tolerance.
  CalibrationRow identity;
};
// Nothing when the rows hold no check of the device (factory number and model).
std::optional<CertificateData> certificate_data(std::span<const CalibrationRow> rows, std::string_view factory_number,
                                                std::string_view model);

// A number as the file writes it: "." as the decimal point, no padding.
std::string record_number(double x, int decimals);

}  // namespace orn
