#include "calib/adjustment.h"

#include <cmath>
#include <span>

#include "calib/calib_transfers.h"
#include "device/group_transfers.h"
#include "device/input_checks.h"
#include "device/protected_write.h"
#include "device/protection.h"
#include "device/settings_view.h"
#include "link/failure_report.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

constexpr const char* kOpenQuestion = "Данные нуля и диапазона канала возможно будут переписаны.";
constexpr const char* kReading = "Чтение измеренного значения, смещения и подстройки диапазона";
constexpr const char* kReadDone = "Прочитаны: измеренное значение, смещение и подстройка диапазона";
// The adjustments' own reading text has a blank before the comma.
constexpr const char* kAdjustReading = "Чтение измеренного значения , смещения и подстройки диапазона";
constexpr const char* kAccumulating = "Накапливаем результаты измерений";
constexpr const char* kSensorRead = "Чтение параметров датчика успешно осуществлено.";
constexpr uint32_t kZeroPauseMs = 250;
constexpr uint32_t kSpanPauseMs = 150;
constexpr uint16_t kErrorBits = 0x0FFF;
constexpr double kSameAsShift = 0.00001;

bool ask_critical(Prompt& prompt, const char* text) {
  return prompt.ask(text, kCriticalCaption, PromptIcon::Warning);
}

// A field's number as a single-precision value; nothing for text and for
// what a float cannot hold.
std::optional<float> field_number(const std::string& text) {
  const auto x = scan_real(text);
  if (!x) return std::nullopt;
  const auto f = static_cast<float>(*x);
  if (!std::isfinite(f)) return std::nullopt;
  return f;
}

// The display unit to kPa, as the adjustments compute.
long double to_kpa_of(float x, const DeviceImage& image) {
  return to_kpa(x, image.unit, image.diapminkpa, image.diapmaxkpa);
}

}  // namespace

// What tells the two writes apart.
struct Adjustment::Kind {
  PanelField value_field;
  PanelField target_field;
  const char* question;
  const char* writing;
  const char* written;
  const char* success;
  const char* failed;
  std::span<const Transfer> writes;  // kOffsetWrites or kSpanWrites
  const char* journal_name;
};

ValueItem value_item(float value, uint16_t error_word, uint16_t statp) {
  return {format_number(value, NumberFormat::Value), (error_word & kErrorBits) != 0,
          std::string(unit_status_caption(statp_unit(statp)))};
}

float weighted_average(float average, float x, uint16_t n) {
  if (n <= 1) return x;
  const double weight = n;
  return static_cast<float>(x / weight + average * (weight - 1) / weight);
}

std::optional<float> check_span_range(const DeviceImage& image, Prompt& prompt) {
  float d = image.diap_usr;
  // A value that is not a number counts as too small.
  if (!(image.diap_usr >= 0.98)) {
    d = 0.98f;
    if (!ask_critical(prompt, "Величина diap_usr слишком мала.")) return std::nullopt;
  }
  if (image.diap_usr > 1.02) {
    d = 1.02f;
    if (!ask_critical(prompt, "Величина diap_usr слишком велика.")) return std::nullopt;
  }
  if (image.diap < 0.95 && !ask_critical(prompt, "Величина diap слишком мала.")) return std::nullopt;
  if (image.diap > 1.05 && !ask_critical(prompt, "Величина diap слишком велика.")) return std::nullopt;
  return d;
}

bool parse_panel_fields(const PanelTexts& texts, DeviceImage& image, AdjustSettings& settings,
                        Prompt& prompt) {
  auto error = [&](const char* message) {
    prompt.tell(message, kInputErrorCaption, PromptIcon::Warning);
    return false;
  };
  const auto zero = field_number(texts.user_zero);
  const auto zero_kpa = zero ? std::optional<float>(static_cast<float>(to_kpa_of(*zero, image))) : std::nullopt;
  if (!zero_kpa || !std::isfinite(*zero_kpa))
    return error("Данные смещения не удается представить числом. Проверьте поле ввода.");
  image.shift_usr = *zero_kpa;

  const auto span = field_number(texts.user_span);
  image.diap_usr = span.value_or(0.0f);
  if (!span) return error("Данные подстройки не удается представить числом. Проверьте поле ввода.");
  const auto zero_target = parse_required_value(PanelField::ZeroTarget, texts.zero_target, prompt);
  settings.zero_target = zero_target.value_or(0.0f);
  if (!zero_target) return false;
  const auto span_target = parse_required_value(PanelField::SpanTarget, texts.span_target, prompt);
  settings.span_target = span_target.value_or(0.0f);
  return span_target.has_value();
}

std::optional<float> parse_required_value(PanelField target, const std::string& text, Prompt& prompt) {
  const auto x = field_number(text);
  if (!x)
    prompt.tell(target == PanelField::ZeroTarget
                    ? "Данные для подстройки смещения нуля не удается представить числом. Проверьте поле ввода."
                    : "Данные для подстройки не удается представить числом. Проверьте поле ввода.",
                kInputErrorCaption, PromptIcon::Warning);
  return x;
}

PanelTexts panel_texts(const DeviceImage& image, const AdjustSettings& settings) {
  return {trim_in_unit(image.shift_usr, image), format_number(settings.zero_target, NumberFormat::Trim),
          format_number(image.diap_usr, NumberFormat::Trim), format_number(settings.span_target, NumberFormat::Trim)};
}

void Adjustment::show_all() {
  v_.show_fields(panel_texts(c_.image, c_.settings), unit_short_caption(c_.image.unit));
}

void Adjustment::whiten_fields() {
  for (PanelField f : {PanelField::UserZero, PanelField::ZeroTarget, PanelField::UserSpan, PanelField::SpanTarget})
    v_.set_colour(f, FieldColour::White);
}

void Adjustment::fail(const ExchangeResult& r) {
  report_exchange_failure(c_.prompt, r);
  v_.enable_buttons(true);
}

bool Adjustment::open(bool unlock) {
  whiten_fields();
  if (!c_.prompt.ask(kOpenQuestion, kQuestionCaption, PromptIcon::Warning)) return false;
  v_.set_status(kReading);
  v_.enable_buttons(false);
  v_.show_panel(true);
  c_.master.pump().dispatch();

  if (!check_identity(c_.master).accepted() && !c_.prompt.ask(kIdentityQuestion, kQuestionCaption, PromptIcon::Warning)) {
    v_.enable_buttons(true);
    return false;
  }
  c_.settings_never_read = 0;
  using Step = ExchangeResult (*)(ModbusMaster&, DeviceImage&);
  if (unlock) {
    unlocked_ = true;
    if (const ExchangeResult r = unlock_device(c_.master); !r.ok()) {
      fail(r);
      return false;
    }
  }
  for (Step step : {Step{read_offset_group}, Step{read_span_group}, Step{read_unit}}) {
    const ExchangeResult r = step(c_.master, c_.image);
    if (!r.ok()) {
      fail(r);
      return false;
    }
  }
  read_ = c_.image;
  if (!read_and_show_value()) return false;
  whiten_fields();
  active_ = true;
  v_.set_status(kReadDone);
  return true;
}

bool Adjustment::read() {
  whiten_fields();
  v_.enable_buttons(false);
  v_.set_status(kReading);
  const ExchangeResult r = read_offset_and_span();
  if (!r.ok()) {
    fail(r);
    return false;
  }
  if (!read_and_show_value()) return false;
  v_.set_status(kReadDone);
  return true;
}

ExchangeResult Adjustment::read_offset_and_span() {
  ExchangeResult r = read_offset_group(c_.master, c_.image);
  if (r.ok()) r = read_span_group(c_.master, c_.image);
  if (r.ok()) read_ = c_.image;
  return r;
}

bool Adjustment::read_and_show_value() {
  // Here a read that needed a retry counts as a fault as well.
  const ExchangeResult r = read_measurement(c_.master, MeasureBlock::Measurement, c_.record);
  if (r.faults != 0 || r.exception != 0 || r.unchecked) {
    fail(r);
    return false;
  }
  show_all();
  v_.show_value(value_item(c_.record.pizmf, c_.record.izmerr, c_.record.statp));
  v_.enable_buttons(true);
  return true;
}

bool Adjustment::read_and_show_block() {
  const ExchangeResult r = read_intermediate_block(c_.master, c_.image);
  if (!r.ok()) {
    report_exchange_failure(c_.prompt, r);
    return false;
  }
  const IntermediateResults& b = c_.image.intermediate;
  v_.show_value(value_item(b.izmp_sensun, b.exerr, b.statp));
  return true;
}

std::optional<AdjustEnd> Adjustment::accumulate(float& average, uint16_t n, uint32_t pause_ms) {
  for (unsigned taken = 0;;) {
    if (!active_) {
      v_.set_status("");
      return AdjustEnd::Left;
    }
    if (!read_and_show_block()) return AdjustEnd::Failed;
    c_.master.pump().dispatch();
    const float x = c_.image.intermediate.izmp_sensun;
    average = weighted_average(average, x, n);
    v_.sample(++taken, x, average);
    if (taken >= n) return std::nullopt;
    c_.master.pump().wait(pause_ms);
  }
}

AdjustEnd Adjustment::adjust(PanelField value, PanelField target, AdjustEnd (Adjustment::*run)()) {
  if (!active_) return AdjustEnd::Failed;
  v_.set_colour(value, FieldColour::White);
  v_.set_colour(target, FieldColour::White);
  parse_panel_fields(v_.field_texts(), c_.image, c_.settings, c_.prompt);
  v_.enable_buttons(false);
  const AdjustEnd end = (this->*run)();
  v_.enable_buttons(true);
  return end;
}

AdjustEnd Adjustment::adjust_zero() {
  return adjust(PanelField::UserZero, PanelField::ZeroTarget, &Adjustment::run_zero);
}

AdjustEnd Adjustment::adjust_span() {
  return adjust(PanelField::UserSpan, PanelField::SpanTarget, &Adjustment::run_span);
}

// The first intermediate block read and shown; then sampling starts unless
// the panel was left meanwhile.
std::optional<AdjustEnd> Adjustment::start_sampling() {
  if (!read_and_show_block()) return AdjustEnd::Failed;
  show_all();
  whiten_fields();
  if (!active_) {
    v_.set_status("");
    return AdjustEnd::Left;
  }
  v_.set_status(kAccumulating);
  return std::nullopt;
}

AdjustEnd Adjustment::run_zero() {
  v_.set_status(kAdjustReading);
  c_.master.pump().dispatch();
  const ExchangeResult r = read_offset_and_span();
  if (!r.ok()) {
    report_exchange_failure(c_.prompt, r);
    return AdjustEnd::Failed;
  }
  if (!check_span_range(c_.image, c_.prompt)) return AdjustEnd::Failed;
  if (auto ended = start_sampling()) return *ended;
  float average = c_.record.pizmf;
  if (auto ended = accumulate(average, c_.settings.zero_samples, kZeroPauseMs)) return *ended;
  average_ = average;

  v_.set_status("Расчитываем смещение");
  DeviceImage& im = c_.image;
  im.shift_usr = static_cast<float>(to_kpa_of(c_.settings.zero_target, im) - to_kpa_of(average, im) +
                                    im.shift_scale + im.shift_usr);
  show_all();
  v_.set_colour(PanelField::UserZero, FieldColour::Lime);
  v_.set_status("Смещение рассчитано, его можно записать");
  return AdjustEnd::Computed;
}

AdjustEnd Adjustment::run_span() {
  v_.set_status(kAdjustReading);
  ExchangeResult r = read_offset_and_span();
  if (!r.ok()) {
    report_exchange_failure(c_.prompt, r);
    return AdjustEnd::Failed;
  }
  if (c_.stop_polling) c_.stop_polling();
  c_.settings_never_read = 0;
  // A fault of the settings read is only reported.
  r = read_sensor_settings(c_.master, c_.image, c_.settings_panel);
  if (!r.ok()) report_exchange_failure(c_.prompt, r);
  const std::optional<float> d = check_span_range(c_.image, c_.prompt);
  if (!d) return AdjustEnd::Failed;
  if (auto ended = start_sampling()) return *ended;
  float average = c_.image.intermediate.izmp_sensun;
  if (auto ended = accumulate(average, c_.settings.span_samples, kSpanPauseMs)) return *ended;
  average_ = average;

  v_.set_status("Расчитываем коррекцию диапазона");
  DeviceImage& im = c_.image;
  const double s = static_cast<double>(im.shift) + im.shift_usr + im.shift_scale;
  if (std::fabs(average - s) < kSameAsShift &&
      !ask_critical(c_.prompt, "Выберите другое требуемое значение или подстройтесь вручную."))
    return AdjustEnd::Failed;
  // Answered Yes, the division may be by zero: the result is only shown, never written.
  im.diap_usr = static_cast<float>((to_kpa_of(c_.settings.span_target, im) - s) / (to_kpa_of(average, im) - s) * *d);
  show_all();
  v_.set_colour(PanelField::UserSpan, FieldColour::Lime);
  v_.set_status("Коррекция диапазона рассчитана, ее можно записать");
  return AdjustEnd::Computed;
}

bool Adjustment::write(const Kind& k) {
  v_.set_colour(k.value_field, FieldColour::White);
  v_.set_colour(k.target_field, FieldColour::White);
  v_.enable_buttons(false);
  if (!active_ || !c_.prompt.ask(k.question, kQuestionCaption, PromptIcon::Warning)) {
    v_.enable_buttons(true);
    return false;
  }
  v_.set_status(k.writing);
  // The value goes out as its field reads, not as it was computed.
  if (!parse_panel_fields(v_.field_texts(), c_.image, c_.settings, c_.prompt)) {
    v_.enable_buttons(true);
    return false;
  }
  WriteOutcome out;  // the panel's own unlock and lock are not part of this write: the outcome is the write's
  out.result = write_adjustment_group(c_.master, k.writes, c_.image, out.answered);
  const ExchangeResult& r = out.result;
  const bool failed = r.faults != 0 || r.exception != 0;
  if (c_.journal) {
    out.step = failed ? (r.stopped() ? WriteStep::Stopped : WriteStep::Writes) : WriteStep::Done;
    c_.journal->record(k.journal_name, changed_registers(k.writes, read_, c_.image), out, read_);
  }
  if (failed) {
    v_.enable_buttons(true);
    v_.set_status(k.failed);
    report_exchange_failure(c_.prompt, r);
    return false;
  }
  v_.set_status(k.written);
  read_ = c_.image;
  if (c_.written)
    c_.written(k.value_field,
               k.value_field == PanelField::UserZero ? c_.settings.zero_target : c_.settings.span_target, average_);
  c_.prompt.tell(k.success, kResultCaption, PromptIcon::Information);
  v_.enable_buttons(true);
  return true;
}

bool Adjustment::write_zero() {
  static constexpr Kind kZero{PanelField::UserZero, PanelField::ZeroTarget,
                              "Данные смещения будут переписаны.", "Запись смещения", "Смещение записано",
                              "Запись смещения датчика успешно осуществлена.",
                              "При записи смещения возникла ошибка", kOffsetWrites,
                              "подстройка нуля"};
  return write(kZero);
}

bool Adjustment::write_span() {
  static constexpr Kind kSpan{PanelField::UserSpan, PanelField::SpanTarget,
                              "Данные подстройки диапазона будут переписаны.", "Запись подстройки диапазона",
                              "Подстройка диапазона записана",
                              "Запись подстройки диапазона датчика успешно осуществлена.",
                              "При записи подстройки диапазона возникла ошибка", kSpanWrites,
                              "подстройка диапазона"};
  return write(kSpan);
}

bool Adjustment::close() {
  active_ = false;
  v_.show_panel(false);
  if (c_.stop_polling) c_.stop_polling();
  c_.settings_never_read = 0;
  const ExchangeResult r = read_sensor_settings(c_.master, c_.image, c_.settings_panel);
  if (!r.ok()) {
    report_exchange_failure(c_.prompt, r);
    return false;
  }
  v_.show_sensor_settings();
  c_.prompt.tell(kSensorRead, kResultCaption, PromptIcon::Information);
  return true;
}

}  // namespace orn
