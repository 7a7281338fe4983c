#include "cli/cli_calib.h"


#include "calib/adjustment.h"
#include "calib/user_trims.h"
#include "cli/terminal_dialog.h"
#include "device/group_transfers.h"
#include "device/input_checks.h"
#include "link/failure_report.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

// The panel on a terminal: samples and results on the output, the status
// line on the error stream; the fields live here, as the panel's edits would.
class TerminalPanel final : public AdjustmentView {
 public:
  explicit TerminalPanel(CliContext& c) : c_(c) {}
  void set_status(std::string_view text) override {
    if (!text.empty()) c_.err << text << "\n" << std::flush;
  }
  void show_fields(const PanelTexts& fields, std::string_view unit_caption) override {
    fields_ = fields;
    unit_ = unit_caption;
  }
  PanelTexts field_texts() const override { return fields_; }
  void set_colour(PanelField, FieldColour) override {}
  void show_value(const ValueItem&) override {}
  void sample(unsigned number, float value, float average) override {
    c_.out << number << "  IZMPsensun=" << format_number(value, NumberFormat::Value)
           << " среднее=" << format_number(average, NumberFormat::Value) << "\n"
           << std::flush;
  }
  void enable_buttons(bool) override {}
  void show_panel(bool) override {}
  void show_sensor_settings() override {}

  PanelTexts& fields() { return fields_; }
  const std::string& unit() const { return unit_; }

 private:
  CliContext& c_;
  PanelTexts fields_;
  std::string unit_;
};

std::string trimmed(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

// The three fields separated by commas; none when there are not three.
std::optional<TrimTexts> split_trims(const std::string& list) {
  const size_t a = list.find(',');
  const size_t b = a == std::string::npos ? a : list.find(',', a + 1);
  if (b == std::string::npos || list.find(',', b + 1) != std::string::npos) return std::nullopt;
  return TrimTexts{list.substr(0, a), list.substr(a + 1, b - a - 1), list.substr(b + 1)};
}

int adjust(const CliOptions& o, ModbusMaster& master, CliContext& c, Prompt& prompt, Progress& progress) {
  DeviceImage image;
  MeasuredValue record;
  AdjustSettings settings;
  uint16_t never_read = 1;
  AdjustmentContext context{master, prompt, progress, never_read, image, record, settings, {}};
  TerminalPanel panel(c);
  Adjustment adjustment(context, panel);
  const bool zero = o.calib == CalibCommand::Zero;
  if (!adjustment.open()) return kCliExitFailure;

  // The required value and the number of samples as typed into the panel.
  (zero ? panel.fields().zero_target : panel.fields().span_target) = o.target;
  if (o.samples) (zero ? settings.zero_samples : settings.span_samples) = *o.samples;
  if ((zero ? adjustment.adjust_zero() : adjustment.adjust_span()) != AdjustEnd::Computed) return kCliExitFailure;
  if (zero) c.out << "shift_usr=" << trimmed(panel.fields().user_zero) << " " << panel.unit() << "\n";
  else c.out << "diap_usr=" << trimmed(panel.fields().user_span) << "\n";
  c.out << std::flush;
  if (!o.write) return kCliExitOk;
  return (zero ? adjustment.write_zero() : adjustment.write_span()) ? kCliExitOk : kCliExitFailure;
}

int trims(const CliOptions& o, ModbusMaster& master, CliContext& c, Prompt& prompt, Progress& progress) {
  DeviceImage image;
  uint16_t never_read = 1;
  if (o.trims) {
    const auto texts = split_trims(*o.trims);
    if (!texts) {
      c.err << "--set: ожидаются три значения через запятую: сдвиг шкалы, пользовательский ноль, подстройка\n";
      return kCliExitUsage;
    }
    // The checks need the range and the unit of the sensor settings.
    never_read = 0;
    const ExchangeResult r = read_sensor_settings(master, image, progress);
    if (!r.ok()) {
      report_exchange_failure(prompt, r);
      return kCliExitFailure;
    }
    ProtectedWriteContext pc{master, prompt, progress, never_read};
    if (!write_trim_fields(pc, image, *texts, image.unit).ok()) return kCliExitFailure;
  }
  if (!read_user_trims(master, prompt, progress, image, never_read).ok()) return kCliExitFailure;
  const TrimView v = trim_view(image);
  c.out << "shift_scale=" << trimmed(v.fields.shift_scale) << " " << v.unit_caption << "\n"
        << "shift_usr=" << trimmed(v.fields.shift_usr) << " " << v.unit_caption << "\n"
        << "diap_usr=" << trimmed(v.fields.diap_usr) << "\n"
        << std::flush;
  return kCliExitOk;
}

}  // namespace

int run_calib(const CliOptions& o, ModbusMaster& master, CliContext& c) {
  TerminalPrompt prompt(c.in, c.err, o.yes);
  StreamProgress progress(c.err);
  return o.calib == CalibCommand::Trims ? trims(o, master, c, prompt, progress)
                                        : adjust(o, master, c, prompt, progress);
}

}  // namespace orn
