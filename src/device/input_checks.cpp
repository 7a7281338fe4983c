#include "device/input_checks.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "device/value_codec.h"
#include "text/cp1251.h"

namespace orn {
namespace {

constexpr const char* kModelError = "Вводимые данные не получается представить целым числом.";
constexpr const char* kNoWrite = "Запись данных не будет производиться.";
constexpr const char* kNoWriteCaption = "Сообщение";
constexpr const char* kFactoryNumberError =
    "Вводимые данные заводского номера не получается представить целым числом.";
constexpr const char* kDelayError = "Вводимое время задержки не получается представить целым числом.";
constexpr const char* kHardwareError =
    "Вводимые данные версии железа не получается представить целым числом.";
constexpr const char* kSoftwareError = "Вводимые данные версии ПО не получается представить целым числом.";
constexpr const char* kUserTextError =
    "Пользовательский текст содержит символы, которых нет в кодировке прибора (Windows-1251). "
    "Проверьте поле ввода.";
constexpr const char* kLinearLimited =
    "Линейная область при корнеизвлечении будет ограничена 10%. Уточнение значения.";

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

void input_error(Prompt* prompt, const char* text) {
  if (prompt) prompt->tell(text, kInputErrorCaption, PromptIcon::Warning);
}

// An integer field into a register; false after its message.
bool take_integer(std::string_view text, uint16_t& target, Prompt* prompt, const char* message) {
  const auto v = parse_integer_field(text);
  if (!v) {
    input_error(prompt, message);
    return false;
  }
  target = *v;
  return true;
}

// A choice that stores its index; no choice leaves the register as it was.
void take_index(int item, uint16_t& target, int offset = 0) {
  if (item >= 0) target = static_cast<uint16_t>(item + offset);
}

void set_bit(uint16_t& reg, uint16_t bit, bool on) {
  reg = static_cast<uint16_t>(on ? (reg | bit) : (reg & ~bit));
}

}  // namespace

std::optional<uint16_t> parse_integer_field(std::string_view text) {
  text = trimmed(text);
  const bool negative = !text.empty() && text.front() == '-';
  if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
  if (text.empty() || !is_digit(text.front())) return std::nullopt;
  int64_t magnitude = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  const int64_t v = negative ? -magnitude : magnitude;
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    return std::nullopt;
  return static_cast<uint16_t>(static_cast<uint32_t>(v) & 0xFFFFu);
}

std::optional<double> scan_real(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
  std::string number;  // the accepted characters, with "." as the point
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) number += text[i++];
  size_t digits = 0;
  for (; i < text.size() && is_digit(text[i]); ++i, ++digits) number += text[i];
  if (i < text.size() && (text[i] == '.' || text[i] == ',')) {
    number += '.';
    for (++i; i < text.size() && is_digit(text[i]); ++i, ++digits) number += text[i];
  }
  if (digits == 0) return std::nullopt;
  // An exponent counts only with at least one digit after its sign.
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '-' || text[j] == '+')) exponent += text[j++];
    if (j < text.size() && is_digit(text[j])) {
      for (; j < text.size() && is_digit(text[j]); ++j) exponent += text[j];
      number += exponent;
    }
  }
  if (number.front() == '+') number.erase(0, 1);
  double value = 0;
  const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
  // Out of range: the scanner gives an infinity or zero of the right sign.
  if (ec == std::errc::result_out_of_range) {
    return number.find("e-") != std::string::npos ? 0.0
                                                   : (number.front() == '-' ? -HUGE_VAL : HUGE_VAL);
  }
  if (ec != std::errc()) return std::nullopt;
  return value;
}

bool copy_exchange_inputs(const ExchangeInputs& in, DeviceImage& image, Prompt& prompt) {
  if (!take_integer(in.model, image.model, &prompt, kModelError)) {
    prompt.tell(kNoWrite, kNoWriteCaption, PromptIcon::Information);
    return false;
  }
  if (!take_integer(in.sn_lo, image.sn_lo, &prompt, kFactoryNumberError)) return false;
  if (!take_integer(in.sn_hi, image.sn_hi, &prompt, kFactoryNumberError)) return false;
  take_index(in.day_item, image.day, 1);
  take_index(in.month_item, image.month, 1);
  take_index(in.year_item, image.year);
  image.rate = in.rate_item >= 0 && in.rate_item <= 7 ? static_cast<uint16_t>(in.rate_item + 3) : 7;
  image.parity = !in.parity_on ? 0 : (in.parity_even ? 2 : 1);
  take_index(in.address_item, image.adr);
  uint16_t dely = 0;
  if (!take_integer(in.dely, dely, &prompt, kDelayError)) return false;
  image.dely = dely_register(dely);
  image.fltype = in.byte_order_item >= 0 && in.byte_order_item <= 3
                     ? static_cast<uint16_t>(in.byte_order_item)
                     : 0;
  if (!take_integer(in.ver_hard, image.ver_hard, &prompt, kHardwareError)) return false;
  if (!take_integer(in.ver_soft, image.ver_soft, &prompt, kSoftwareError)) return false;
  take_index(in.watchdog_item, image.timer);
  return true;
}

bool copy_sensor_inputs(const SensorInputs& in, DeviceImage& image, Prompt* prompt) {
  take_index(in.unit_item, image.unit);
  set_bit(image.xsqr, 0x0001, in.square_root);
  set_bit(image.xsqr, 0x0002, in.linearisation);
  set_bit(image.xbnd, 0x0004, in.zero_cutoff);
  set_bit(image.xfset, 0x0001, in.factory_by_button);
  set_bit(image.xbnd, 0x0008, in.max_cutoff);
  set_bit(image.xbnd, 0x0001, in.overrun_up);
  set_bit(image.xbnd, 0x0002, in.overrun_down);
  set_bit(image.xnul, 0x0002, in.zero_by_reed);
  if (in.settling_item >= 0) image.t90 = t90_register(static_cast<uint16_t>(in.settling_item));
  take_index(in.digits_item, image.digits);

  struct PercentField {
    const std::string& text;
    uint16_t& target;
    const char* message;
  };
  const PercentField fields[] = {
      {in.nul_cutoff, image.nulcutoff,
       "Данные отсечки в 0 не удается представить числом. Проверьте поле ввода."},
      {in.max_cutoff_pct, image.maxcutoff,
       "Данные отсечки в max не удается представить числом. Проверьте поле ввода."},
      {in.min_overload, image.minovld,
       "Допустимый выход за диапазон в min не удается представить числом. Проверьте поле ввода."},
      {in.max_overload, image.maxovld,
       "Допустимый выход за диапазон в max не удается представить числом. Проверьте поле ввода."},
  };
  for (const PercentField& f : fields) {
    const auto p = scan_real(f.text);
    if (!p) {
      input_error(prompt, f.message);
      return false;
    }
    f.target = encode_percent(*p);
  }
  auto lin = scan_real(in.lin_cutoff);
  if (!lin) {
    input_error(prompt, "Линейнуюю область при корнеизвлечении не удается представить числом. "
                        "Проверьте поле ввода.");
    return false;
  }
  if (std::fabs(*lin) > kLinCutoffLimit) {
    input_error(prompt, kLinearLimited);
    lin = kLinCutoffLimit;
  }
  image.lincutoff = encode_percent(*lin, kLinCutoffLimit);
  return true;
}

bool copy_user_text(std::string_view utf8, DeviceImage& image, Prompt* prompt) {
  if (prompt && !fits_cp1251(utf8)) {
    input_error(prompt, kUserTextError);
    return false;
  }
  pack_text(utf8, image.user_text.data(), image.user_text.size());
  return true;
}

uint16_t immediate_integer(std::string_view text) { return parse_integer_field(text).value_or(0); }

}  // namespace orn
