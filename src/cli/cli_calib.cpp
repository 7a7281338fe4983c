#include "cli/cli_calib.h"

#include "calib/adjustment.h"
#include "calib/calibration_record.h"
#include "calib/user_trims.h"
#include "cli/cli_config.h"
#include "cli/terminal_dialog.h"
#include "cli/write_report.h"
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

// The terminal's answers, remembering a No: a declined write is not a failed one.
class AnswerWatch final : public Prompt {
 public:
  explicit AnswerWatch(Prompt& prompt) : prompt_(prompt) {}
  bool ask(const std::string& text, const std::string& caption, PromptIcon icon) override {
    const bool yes = prompt_.ask(text, caption, icon);
    declined_ |= !yes;
    return yes;
  }
  void tell(const std::string& text, const std::string& caption, PromptIcon icon) override {
    prompt_.tell(text, caption, icon);
  }
  bool declined() const { return declined_; }

 private:
  Prompt& prompt_;
  bool declined_ = false;
};

// The display unit's conversions need the range of the sensor settings.
bool read_range(ModbusMaster& master, DeviceImage& image, Prompt& prompt, Progress& progress) {
  const ExchangeResult r = read_sensor_settings(master, image, progress);
  if (!r.ok()) report_exchange_failure(prompt, r);
  return r.ok();
}

// Closes the protection an adjustment opened, also after a stop, and tells
// how it ended; returns the exit status.
int close_protection(WriteOutcome out, const WrittenGroup& names, ModbusMaster& master, CliContext& c) {
  send_lock(master, out);
  if (out.step == WriteStep::Done && !out.lock.ok()) {
    out.step = WriteStep::Lock;
    out.result = out.lock;
  }
  if (!out.lock.ok()) {
    if (auto m = failure_message(out.lock)) c.err << m->text << "\n";
  }
  if (master.stop().raised() && out.step != WriteStep::Done && out.step != WriteStep::Lock) out.step = WriteStep::Stopped;
  // calib ends with 3 after a No as well.
  const int status = tell_own_write_end(out, names, c);
  return status == kCliExitDeclined ? kCliExitFailure : status;
}

int adjust(const CliOptions& o, ModbusMaster& master, CliContext& c, Prompt& terminal, Progress& progress,
           const std::string& port_path, uint16_t address) {
  const bool zero = o.calib == CalibCommand::Zero;
  AnswerWatch prompt(terminal);
  // An unreadable required value ends the command before anything is sent.
  const auto target = parse_required_value(zero ? PanelField::ZeroTarget : PanelField::SpanTarget, o.target, prompt);
  if (!target) return kCliExitFailure;

  DeviceImage image;
  MeasuredValue record;
  AdjustSettings settings;
  uint16_t never_read = 0;  // read just below
  const std::string record_path = c.folder + "/" + kCalibrationFileName;
  // A value to be written is recorded: the record names the device.
  if (!(o.write ? read_record_identity(master, image, prompt, progress) : read_range(master, image, prompt, progress)))
    return kCliExitFailure;
  std::optional<std::string> record_error;
  AdjustmentContext context{master, prompt, progress, never_read, image, record, settings, {}};
  context.journal = c.journal;
  context.written = [&](PanelField field, float required, float average) {
    const AdjustmentKind kind = field == PanelField::UserZero ? AdjustmentKind::Zero : AdjustmentKind::Span;
    const CalibrationRow row = adjustment_row(record_device(port_path, address, image), kind, required, average,
                                              written_adjustment(kind, image));
    record_error = append_calibration_rows(record_path, {&row, 1});
  };
  TerminalPanel panel(c);
  Adjustment adjustment(context, panel);
  // Only a write needs the protection open; the command closes it again.
  const WrittenGroup names{zero ? "значения смещения" : "значения подстройки диапазона",
                           zero ? "запись смещения" : "запись подстройки диапазона",
                           zero ? "подстройка нуля" : "подстройка диапазона"};
  WriteOutcome out;
  auto ended_at = [&](WriteStep step) {
    out.step = step;
    out.unlock_sent = adjustment.unlocked();
    return out.unlock_sent ? close_protection(out, names, master, c) : kCliExitFailure;
  };
  if (!adjustment.open(o.write)) return ended_at(prompt.declined() ? WriteStep::Answered : WriteStep::Inputs);

  // The required value and the number of samples as typed into the panel.
  (zero ? panel.fields().zero_target : panel.fields().span_target) = o.target;
  if (o.samples) (zero ? settings.zero_samples : settings.span_samples) = *o.samples;
  if ((zero ? adjustment.adjust_zero() : adjustment.adjust_span()) != AdjustEnd::Computed)
    return ended_at(prompt.declined() ? WriteStep::Answered : WriteStep::Inputs);
  if (zero) c.out << "shift_usr=" << trimmed(panel.fields().user_zero) << " " << panel.unit() << "\n";
  else c.out << "diap_usr=" << trimmed(panel.fields().user_span) << "\n";
  c.out << std::flush;
  if (!o.write) return kCliExitOk;
  // A value computed before a stop is not written.
  if (master.stopping()) return ended_at(WriteStep::Stopped);
  if (!(zero ? adjustment.write_zero() : adjustment.write_span()))
    return ended_at(prompt.declined() ? WriteStep::Answered : WriteStep::Writes);
  const int status = ended_at(WriteStep::Done);
  // The value is in the device; a record that could not take it is a failure of its own.
  if (record_error) {
    c.err << *record_error << "\n";
    return kCliExitFailure;
  }
  return status;
}

int trims(const CliOptions& o, ModbusMaster& master, CliContext& c, Prompt& prompt, Progress& progress) {
  DeviceImage image;
  std::optional<TrimTexts> texts;
  if (o.trims) {
    texts = split_trims(*o.trims);
    if (!texts) {
      c.err << "--set: ожидаются три значения через запятую: сдвиг шкалы, пользовательский ноль, подстройка\n";
      return kCliExitUsage;
    }
  }
  // The checks and the fields in the display unit need the range and the unit.
  uint16_t never_read = 0;
  if (!read_range(master, image, prompt, progress)) return kCliExitFailure;
  if (texts) {
    // The trims as they are, for the journal's "before".
    if (!read_user_trims(master, prompt, progress, image, never_read).ok()) return kCliExitFailure;
    ProtectedWriteContext pc{master, prompt, progress, never_read, c.journal};
    const WriteOutcome out = write_trim_fields(pc, image, *texts, image.unit);
    if (const int status = tell_write_end(out, kUserTrimsGroup, c)) return status;
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

int run_calib(const CliOptions& o, ModbusMaster& master, CliContext& c, const std::string& port_path,
              uint16_t address) {
  TerminalPrompt prompt(c.in, c.err, o.yes);
  StreamProgress progress(c.err);
  switch (o.calib) {
    case CalibCommand::Trims: return trims(o, master, c, prompt, progress);
    case CalibCommand::Check: return run_calib_check(o, master, c, prompt, progress, port_path, address);
    case CalibCommand::Zero:
    case CalibCommand::Span: break;
  }
  return adjust(o, master, c, prompt, progress, port_path, address);
}

}  // namespace orn
