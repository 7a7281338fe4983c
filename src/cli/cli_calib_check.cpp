#include <unistd.h>

#include <filesystem>
#include <string>

#include "calib/calibration_check.h"
#include "calib/calibration_record.h"
#include "cli/cli_calib.h"
#include "cli/terminal_dialog.h"
#include "link/failure_report.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

std::string shown(double x, int decimals) {
  const std::string s = record_number(x, decimals);
  return s.empty() ? "-" : s;
}

// The operator at the terminal: each point is confirmed with Enter (or at
// once with --yes); samples and results go to the output, the record rows to
// calibration.csv as each point completes.
class TerminalCheck final : public CheckDriver {
 public:
  TerminalCheck(CliContext& c, bool yes, const RecordDevice& device, const CheckPlan& plan, std::string path)
      : c_(c), yes_(yes), device_(device), plan_(plan), path_(std::move(path)) {}

  bool confirm_point(size_t index, size_t count, float reference, std::string_view unit) override {
    c_.err << "Точка " << index + 1 << " из " << count << ": подайте эталонное давление " << shown(reference, 4)
           << " " << unit;
    if (yes_) {
      c_.err << " (--yes)\n" << std::flush;
      return true;
    }
    c_.err << " и нажмите Enter (q - отменить) " << std::flush;
    std::string answer;
    if (c_.in == nullptr || !std::getline(*c_.in, answer)) {
      c_.err << "\n" << std::flush;
      return false;
    }
    return answer != "q" && answer != "Q" && answer != "й";
  }
  void sample(unsigned number, double value, double average) override {
    c_.out << "  " << number << "  PIZMF=" << shown(value, 4) << " среднее=" << shown(average, 4) << "\n"
           << std::flush;
  }
  std::string point_done(size_t index, const PointResult& p) override {
    c_.out << "Точка " << index + 1 << ": эталон " << shown(p.reference, 4) << " показание " << shown(p.reading, 4)
           << " погрешность " << shown(p.error_pct, 3) << " % допуск " << shown(plan_.tolerance, 3) << " % "
           << (p.pass ? kResultPass : kResultFail) << "\n"
           << std::flush;
    const CalibrationRow row = point_row(device_, plan_, index, p);
    return append_calibration_rows(path_, {&row, 1}).value_or("");
  }

 private:
  CliContext& c_;
  bool yes_;
  const RecordDevice& device_;
  const CheckPlan& plan_;
  std::string path_;
};

// A file that will not take what is to be written, said before anything is read.
std::string unwritable(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path p(path);
  const fs::path folder = p.has_parent_path() ? p.parent_path() : fs::path(".");
  if (fs::exists(p, ec)) {
    if (fs::is_directory(p, ec)) return "Файл " + path + " не может быть записан: это папка.";
    if (::access(path.c_str(), W_OK) != 0) return "Файл " + path + " не может быть записан: нет права на запись.";
    return "";
  }
  if (!fs::is_directory(folder, ec)) return "Файл " + path + " не может быть записан: нет папки " + folder.string() + ".";
  if (::access(folder.c_str(), W_OK) != 0)
    return "Файл " + path + " не может быть записан: нет права на запись в папку " + folder.string() + ".";
  return "";
}

}  // namespace

bool read_record_identity(ModbusMaster& master, DeviceImage& image, Prompt& prompt, Progress& progress) {
  const ExchangeResult r = read_record_identity(master, image, progress);
  if (!r.ok()) report_exchange_failure(prompt, r);
  return r.ok();
}

int run_calib_check(const CliOptions& o, ModbusMaster& master, CliContext& c, Prompt& prompt, Progress& progress,
                    const std::string& port_path, uint16_t address) {
  const std::string record_path = c.folder + "/" + kCalibrationFileName;
  // Every file is checked before the device is read.
  for (const std::string* path : {&record_path, o.report ? &*o.report : nullptr}) {
    if (path == nullptr) continue;
    if (std::string why = unwritable(*path); !why.empty()) {
      c.err << why << "\n";
      return kCliExitFailure;
    }
  }
  CheckPlan plan;
  plan.points = o.points;
  if (o.samples) plan.samples = *o.samples;
  plan.tolerance = o.tolerance;
  plan.settle_ms = o.settle_s * 1000;
  plan.kind = o.as_left ? CheckKind::AsLeft : CheckKind::AsFound;

  DeviceImage image;
  if (!read_record_identity(master, image, prompt, progress)) return kCliExitFailure;
  const CheckRange range = check_range(image);
  if (std::string outside = points_outside_range(plan.points, range.lower, range.upper); !outside.empty()) {
    c.err << "orn20mb-cli: " << outside << "\n";
    return kCliExitUsage;
  }
  // One start time for every row of the check: the rows of one check belong together.
  const RecordDevice device = record_device(port_path, address, image);
  c.err << "Проверка " << kind_column(plan.kind) << ": прибор " << device.origin.factory_number << ", модель "
        << device.model << ", диапазон " << shown(range.lower, 4) << " .. " << shown(range.upper, 4) << " "
        << unit_short_caption(range.unit) << ", допуск " << shown(plan.tolerance, 3) << " % диапазона\n"
        << std::flush;
  TerminalCheck driver(c, o.yes, device, plan, record_path);
  const CheckOutcome out = run_check(master, image, plan, driver);
  switch (out.end) {
    case CheckEnd::Completed: break;
    case CheckEnd::Fault:
      if (!out.message.empty()) c.err << out.message << "\n";
      else report_exchange_failure(prompt, out.fault);
      return kCliExitFailure;
    case CheckEnd::Cancelled:
    case CheckEnd::Stopped:
      c.err << out.message << "\n";
      return kCliExitFailure;
  }
  const bool passed = out.passed();
  c.out << "Итог: " << verdict_text(passed) << "\n" << std::flush;
  if (o.report) {
    const auto rows = read_calibration_rows(record_path);
    const auto data = rows ? certificate_data(*rows, device.origin.factory_number, std::to_string(device.model))
                           : std::nullopt;
    if (!data) {
      c.err << "Не удалось прочитать записи проверки из " << record_path << ".\n";
      return kCliExitFailure;
    }
    if (auto error = write_certificate(*o.report, *data)) {
      c.err << *error << "\n";
      return kCliExitFailure;
    }
    c.err << "Протокол записан в " << *o.report << "\n";
  }
  return passed ? kCliExitOk : 1;
}

}  // namespace orn
