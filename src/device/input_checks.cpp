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
void take_index(int item, uint16_t& target) {
  if (item >= 0) target = static_cast<uint16_t>(item);
}

// A choice whose register holds the index plus the code's offset, kept
// within the code; no choice leaves the register as it was.
void take_choice(int item, uint16_t& target, const ChoiceCode& code) {
  if (item >= 0) target = choice_register(code, item);
}

// One input of kSensorFields into its register; false after its message.
bool take_field(const SensorField& f, const FieldInput& in, DeviceImage& image, Prompt* prompt) {
  uint16_t& word = image.*f.word;
  switch (f.kind) {
    case SensorFieldKind::Choice: take_choice(in.item, word, f.code); return true;
    case SensorFieldKind::Settling:
      if (in.item >= 0) word = t90_register(static_cast<uint16_t>(in.item));
      return true;
    case SensorFieldKind::Percent: break;
  }
  const auto p = scan_real(in.text);
  if (!p) {
    input_error(prompt, f.error);
    return false;
  }
  // A field limited below 100 % says so when it holds the value.
  if (f.held && std::fabs(*p) > f.limit) input_error(prompt, f.held);
  word = encode_percent(*p, f.limit);
  return true;
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
  take_choice(in.day_item, image.day, kDayCode);
  take_choice(in.month_item, image.month, kMonthCode);
  take_choice(in.year_item, image.year, kYearCode);
  // A rate outside the list is sent as 19200.
  image.rate = in.rate_item >= 0 && in.rate_item <= kRateCode.last - kRateCode.offset
                   ? choice_register(kRateCode, in.rate_item)
                   : 7;
  image.parity = !in.parity_on ? 0 : (in.parity_even ? 2 : 1);
  take_choice(in.address_item, image.adr, kAddressCode);
  uint16_t dely = 0;
  if (!take_integer(in.dely, dely, &prompt, kDelayError)) return false;
  image.dely = dely_register(dely);
  image.fltype = in.byte_order_item >= 0 && in.byte_order_item <= 3
                     ? static_cast<uint16_t>(in.byte_order_item)
                     : 0;
  if (!take_integer(in.ver_hard, image.ver_hard, &prompt, kHardwareError)) return false;
  if (!take_integer(in.ver_soft, image.ver_soft, &prompt, kSoftwareError)) return false;
  take_choice(in.watchdog_item, image.timer, kTimerCode);
  return true;
}

bool copy_sensor_inputs(const SensorInputs& in, DeviceImage& image, Prompt* prompt) {
  take_index(in.unit_item, image.unit);
  for (const FlagBit& f : kFlagBits) set_flag(image, f.id, in.flags[static_cast<size_t>(f.id)]);
  for (size_t i = 0; i < kSensorFieldCount; ++i) {
    if (!take_field(kSensorFields[i], in.fields[i], image, prompt)) return false;
  }
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
