#include "calib/user_trims.h"

#include <cmath>

#include "calib/calib_transfers.h"
#include "device/input_checks.h"
#include "device/settings_view.h"
#include "link/failure_report.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

constexpr const char* kReading = "Чтение  смещения и подстройки диапазона";
constexpr double kShiftScaleLimit = 0.301;
constexpr double kShiftUsrLimit = 0.021;
constexpr double kDiapUsrMin = 0.979;
constexpr double kDiapUsrMax = 1.021;

// The number a field holds, as the single-precision value it is kept in.
std::optional<float> field_float(const std::string& text) {
  const auto x = scan_real(text);
  if (!x) return std::nullopt;
  return static_cast<float>(*x);
}

float offset_to_kpa(float x, const DeviceImage& image) {
  return static_cast<float>(to_kpa(x, image.unit, image.diapminkpa, image.diapmaxkpa));
}

}  // namespace

TrimView trim_view(const DeviceImage& image) {
  return {{trim_in_unit(image.shift_scale, image), trim_in_unit(image.shift_usr, image),
           format_number(image.diap_usr, NumberFormat::Trim)},
          std::string(unit_short_caption(image.unit))};
}

bool take_trim_fields(const TrimTexts& texts, DeviceImage& image, Prompt& prompt) {
  auto error = [&](const char* message) {
    prompt.tell(message, kInputErrorCaption, PromptIcon::Warning);
    return false;
  };
  const double lo = image.diapminkpa;
  const double hi = image.diapmaxkpa;
  // The range checks refuse an infinite value; an offset that becomes one in
  // kPa is refused like text, so that it never reaches the device.
  const auto scale = field_float(texts.shift_scale);
  if (!scale) return error("Данные смещения не удается представить числом. Проверьте поле ввода.");
  // The scale shift takes the magnitude of the value before subtracting lo.
  if ((std::fabs(static_cast<double>(*scale)) - lo) / (hi - lo) > kShiftScaleLimit)
    return error("Данные смещения шкалы выходят за допустимое значение. Проверьте значение.");
  const float scale_kpa = offset_to_kpa(*scale, image);
  if (!std::isfinite(scale_kpa)) return error("Данные смещения не удается представить числом. Проверьте поле ввода.");
  image.shift_scale = scale_kpa;

  const auto zero = field_float(texts.shift_usr);
  if (!zero)
    return error("Данные пользовательского смещения не удается представить числом. Проверьте поле ввода.");
  // The user zero takes the magnitude of the whole ratio.
  if (std::fabs((static_cast<double>(*zero) - lo) / (hi - lo)) > kShiftUsrLimit)
    return error("Данные пользовательского смещения выходят за допустимый диапазон. Проверьте значение.");
  const float zero_kpa = offset_to_kpa(*zero, image);
  if (!std::isfinite(zero_kpa))
    return error("Данные пользовательского смещения не удается представить числом. Проверьте поле ввода.");
  image.shift_usr = zero_kpa;

  const auto span = field_float(texts.diap_usr);
  if (!span)
    return error("Данные пользовательской подстройки не удается представить числом. Проверьте поле ввода.");
  if (*span < kDiapUsrMin || *span > kDiapUsrMax)
    return error("Данные пользовательской подстройки выходят за допустимый диапазон. Проверьте значение.");
  image.diap_usr = *span;
  return true;
}

void take_trim_fields_unchecked(const TrimTexts& texts, DeviceImage& image) {
  image.shift_scale = offset_to_kpa(field_float(texts.shift_scale).value_or(0.0f), image);
  image.shift_usr = offset_to_kpa(field_float(texts.shift_usr).value_or(0.0f), image);
  image.diap_usr = field_float(texts.diap_usr).value_or(0.0f);
}

ExchangeResult read_user_trims(ModbusMaster& master, Prompt& prompt, Progress& panel, DeviceImage& image,
                               uint16_t& settings_never_read) {
  panel.show(kReading);
  settings_never_read = 0;
  ExchangeResult r = read_unit(master, image);
  if (r.ok()) r = read_offset_group(master, image);
  if (r.ok()) r = read_span_group(master, image);
  panel.hide();
  if (!r.ok()) report_exchange_failure(prompt, r);
  return r;
}

WriteOutcome write_trim_fields(ProtectedWriteContext& c, DeviceImage& image, const TrimTexts& texts,
                               uint16_t unit_item) {
  return write_user_trims_protected(c, image, [&] {
    image.unit = unit_item;
    return take_trim_fields(texts, image, c.prompt);
  });
}

}  // namespace orn
