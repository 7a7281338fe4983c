#include "cli/config_registers.h"

#include <charconv>
#include <cstdio>
#include <iterator>
#include <optional>

#include "cli/cli_options.h"
#include "device/flag_bits.h"
#include "device/input_checks.h"
#include "device/sensor_fields.h"
#include "device/register_map.h"
#include "device/value_codec.h"
#include "device/write_journal.h"
#include "link/line_names.h"
#include "link/link_params.h"
#include "text/cp1251.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

using Field = uint16_t DeviceImage::*;

std::string quoted(std::string_view s) { return "\"" + std::string(s) + "\""; }

// "CODE (CAPTION)", or the bare code when it has no caption.
std::string coded(uint16_t code, std::string_view caption) {
  if (caption.empty()) return std::to_string(code);
  return std::to_string(code) + " (" + std::string(caption) + ")";
}

// A code given as a number, as its caption, or both the way coded() shows them.
template <typename Caption>
std::optional<uint16_t> parse_coded(std::string_view text, uint16_t count, Caption caption) {
  for (uint16_t code = 0; code < count; ++code) {
    if (text == caption(code) || text == coded(code, caption(code))) return code;
  }
  if (const auto n = parse_cli_number(text, 0, count - 1u)) return static_cast<uint16_t>(*n);
  return std::nullopt;
}

template <typename Caption>
std::string code_list(uint16_t count, Caption caption) {
  std::string list;
  for (uint16_t code = 0; code < count; ++code) list += (code ? ", " : "") + std::string(caption(code));
  return list;
}

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

// The whole text is one real number ("." or "," as the point, an exponent
// allowed), optionally followed by "%": the percent fields' number, with
// nothing left over.
bool is_percent_text(std::string_view t) {
  auto trim = [&t] {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
  };
  trim();
  if (!t.empty() && t.back() == '%') {
    t.remove_suffix(1);
    trim();
  }
  size_t i = 0, digits = 0;
  auto skip_digits = [&] {
    size_t n = 0;
    for (; i < t.size() && is_digit(t[i]); ++i) ++n;
    return n;
  };
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
  digits += skip_digits();
  if (i < t.size() && (t[i] == '.' || t[i] == ',')) {
    ++i;
    digits += skip_digits();
  }
  if (digits == 0) return false;
  if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
    ++i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    if (skip_digits() == 0) return false;
  }
  return i == t.size();
}

// The Windows-1251 bytes of a text given plainly or in double quotes with
// \", \\ and \xNN; nothing when an escape is malformed or a character has no
// Windows-1251 byte.
std::optional<std::string> device_text_bytes(std::string_view text) {
  std::string bytes, run;  // run: plain characters not yet converted
  auto flush = [&] {
    if (!fits_cp1251(run)) return false;
    bytes += utf8_to_cp1251(run);
    run.clear();
    return true;
  };
  if (text.empty() || text.front() != '"') {
    run = text;
    return flush() ? std::optional(bytes) : std::nullopt;
  }
  size_t i = 1;
  for (;;) {
    if (i >= text.size()) return std::nullopt;  // no closing quote
    const char ch = text[i++];
    if (ch == '"') break;
    if (ch != '\\') {
      run += ch;
      continue;
    }
    if (i >= text.size()) return std::nullopt;
    const char escaped = text[i++];
    if (escaped == '"' || escaped == '\\') {
      run += escaped;
      continue;
    }
    unsigned byte = 0;
    if (escaped != 'x' || i + 2 > text.size()) return std::nullopt;
    const auto [end, ec] = std::from_chars(text.data() + i, text.data() + i + 2, byte, 16);
    if (ec != std::errc() || end != text.data() + i + 2 || !flush()) return std::nullopt;
    bytes += static_cast<char>(byte);
    i += 2;
  }
  if (i != text.size() || !flush()) return std::nullopt;
  return bytes;
}

// Read-only values that are not plain numbers.
std::string show_year(const DeviceImage& image) { return std::to_string(2000 + image.year); }
std::string show_watchdog(const DeviceImage& image) {  // seconds; 0 is off
  return std::to_string(image.timer / 10) + "." + std::to_string(image.timer % 10);
}
std::string show_constr_name(const DeviceImage& image) {
  return quoted_device_text(unpack_text(image.constr_name.data(), image.constr_name.size()));
}
std::string show_sensor_unit(const DeviceImage& image) {
  return coded(image.sensunit, sensor_unit_caption(image.sensunit).value_or(""));
}
std::string show_accuracy_class(const DeviceImage& image) {
  return quoted_device_text(unpack_accuracy_class(image.sensclass.data()));
}

// Exchange parameters: the link as the command line's own options name it.

std::string show_rate(const DeviceImage& image) {
  return std::to_string(is_rate_index(image.rate) ? baud_for_rate_index(image.rate) : image.rate);
}
std::string take_rate(std::string_view text, DeviceImage& image) {
  const auto baud = parse_cli_number(text, 0, UINT32_MAX);
  const auto index = baud ? rate_index_for_baud(*baud) : std::nullopt;
  if (!index) return rate_list_text(" или ");
  image.rate = *index;
  return "";
}
// A code the parity table lacks is shown as the number the device holds.
std::string show_parity(const DeviceImage& image) {
  if (image.parity >= kParityNames.size()) return std::to_string(image.parity);
  return std::string(kParityNames[image.parity].option);
}
std::string take_parity(std::string_view text, DeviceImage& image) {
  const auto code = parse_coded(text, static_cast<uint16_t>(kParityNames.size()), [](uint16_t c) { return kParityNames[c].option; });
  if (!code) return "none, odd или even";
  image.parity = *code;
  return "";
}

// A value within [Min, Max], as a choice of the pages offers it.
template <Field F, uint16_t Min, uint16_t Max>
std::string take_choice(std::string_view text, DeviceImage& image) {
  const auto n = parse_cli_number(text, Min, Max);
  if (!n) return "число от " + std::to_string(Min) + " до " + std::to_string(Max);
  image.*F = static_cast<uint16_t>(*n);
  return "";
}

// Integer fields keep the low 16 bits of what was typed, as on the pages.
std::string take_dely(std::string_view text, DeviceImage& image) {
  const auto ms = parse_integer_field(text);
  if (!ms) return "целое число миллисекунд (больше 255 записывается как 255)";
  image.dely = dely_register(*ms);
  return "";
}
std::string take_device_gap(std::string_view text, DeviceImage& image) {
  const auto ms = parse_integer_field(text);
  if (!ms) return "целое число миллисекунд";
  image.time_gap_dev = *ms;
  return "";
}

// Sensor settings.
std::string show_unit(const DeviceImage& image) { return coded(image.unit, unit_combo_caption(image.unit)); }
std::string take_unit(std::string_view text, DeviceImage& image) {
  const auto code = parse_coded(text, kUnitCount, unit_combo_caption);
  if (!code) return "код единицы от 0 до 11 или ее название: " + code_list(kUnitCount, unit_combo_caption);
  image.unit = *code;
  return "";
}
std::string show_byte_order(const DeviceImage& image) {
  return coded(image.fltype, image.fltype < kByteOrderCount ? byte_order_caption(image.fltype) : "");
}
std::string take_byte_order(std::string_view text, DeviceImage& image) {
  const auto code = parse_coded(text, kByteOrderCount, byte_order_caption);
  if (!code) return "код порядка байт от 0 до 3 или его запись: " + code_list(kByteOrderCount, byte_order_caption);
  image.fltype = *code;
  return "";
}

// Flag words: the pages set only the named bits of Mask, the others go back as read.
template <Field F>
std::string show_bits(const DeviceImage& image) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(image.*F));
  return text;
}
template <Field F, uint16_t Mask>
std::string take_bits(std::string_view text, DeviceImage& image) {
  const auto word = parse_cli_number(text, 0, 0xFFFF);
  if (!word) return "слово от 0 до 65535 (0x0000..0xFFFF)";
  image.*F = static_cast<uint16_t>((image.*F & ~Mask) | (*word & Mask));
  return "";
}

// A register of the page's sensor fields, by its row's kind and range.
template <size_t Row>
std::string show_field(const DeviceImage& image) {
  constexpr const SensorField& f = kSensorFields[Row];
  const uint16_t word = image.*f.word;
  switch (f.kind) {
    case SensorFieldKind::Settling: return std::to_string(t90_seconds(word));
    case SensorFieldKind::Percent: return percent_text(word, f.limit);
    case SensorFieldKind::Choice: break;
  }
  return std::to_string(word);
}
template <size_t Row>
std::string take_field(std::string_view text, DeviceImage& image) {
  constexpr const SensorField& f = kSensorFields[Row];
  uint16_t& word = image.*f.word;
  switch (f.kind) {
    case SensorFieldKind::Settling: {
      const auto seconds = parse_cli_number(text, 0, kT90MaxSeconds);
      if (!seconds) return "время установления в секундах от 0 до 100";
      word = t90_register(static_cast<uint16_t>(*seconds));
      return "";
    }
    case SensorFieldKind::Percent:
      // Read like the pages' percent fields: the magnitude, limited to the row's limit.
      if (!is_percent_text(text)) return "число процентов, например 1.5 или 1.5%";
      word = encode_percent(scan_real(text).value_or(0), f.limit);
      return "";
    case SensorFieldKind::Choice: break;
  }
  return take_choice<f.word, f.code.first, f.code.last>(text, image);
}

std::string show_user_text(const DeviceImage& image) {
  return quoted_device_text(unpack_text(image.user_text.data(), image.user_text.size()));
}
std::string take_user_text(std::string_view text, DeviceImage& image) {
  const auto bytes = device_text_bytes(text);
  if (!bytes || bytes->size() > 2 * image.user_text.size())
    return "текст до 16 символов Windows-1251 (в кавычках: \\\", \\\\ и \\xNN для байта)";
  copy_user_text(cp1251_to_utf8(*bytes), image, nullptr);
  return "";
}

constexpr ConfigGroup kNone = ConfigGroup::None;
constexpr ConfigGroup kSensor = ConfigGroup::Sensor;
constexpr ConfigGroup kGap = ConfigGroup::DeviceGap;
constexpr ConfigGroup kExchange = ConfigGroup::Exchange;
using I = DeviceImage;

// The row of a sensor field: sent by the sensor-settings write.
template <size_t Row>
constexpr ConfigRegister field_row() {
  return {kSensorFields[Row].reg, kSensor, take_field<Row>, show_field<Row>};
}

constexpr ConfigRegister kConfigRegisters[] = {
    {"MODEL", kNone},
    {"SN_HI", kNone},
    {"SN_LO", kNone},
    {"VER_HARD", kNone},
    {"VER_SOFT", kNone},
    {"DAY", kNone},
    {"MONTH", kNone},
    {"YEAR", kNone, nullptr, show_year},
    {"ADR", kExchange, take_choice<&I::adr, kAddressCode.first, kAddressCode.last>},
    {"RATE", kExchange, take_rate, show_rate},
    {"PARITY", kExchange, take_parity, show_parity},
    {"PROT", kNone},
    {"TIMER", kNone, nullptr, show_watchdog},
    {"USERTEXT", kSensor, take_user_text, show_user_text},
    {"INITFLAG", kNone},
    {"DELY", kExchange, take_dely},
    {"TimeGapDev", kGap, take_device_gap},
    {"UNIT", kSensor, take_unit, show_unit},
    {"XNUL", kSensor, take_bits<&I::xnul, flag_mask("XNUL")>, show_bits<&I::xnul>},
    {"XBND", kSensor, take_bits<&I::xbnd, flag_mask("XBND")>, show_bits<&I::xbnd>},
    {"XFSET", kSensor, take_bits<&I::xfset, flag_mask("XFSET")>, show_bits<&I::xfset>},
    field_row<sensor_field_index("T90")>(),
    {"DIAPMINKPA", kNone},
    {"DIAPMAXKPA", kNone},
    field_row<sensor_field_index("NULCUTOFF")>(),
    field_row<sensor_field_index("MAXCUTOFF")>(),
    field_row<sensor_field_index("LINCUTOFF")>(),
    field_row<sensor_field_index("MAXOVLD")>(),
    field_row<sensor_field_index("MINOVLD")>(),
    {"XSQR", kSensor, take_bits<&I::xsqr, flag_mask("XSQR")>, show_bits<&I::xsqr>},
    {"shift", kNone},
    {"diap", kNone},
    {"fltype", kSensor, take_byte_order, show_byte_order},
    {"CONSTRMINKPA", kNone},
    {"CONSTRMAXKPA", kNone},
    {"CONSTRNAME", kNone, nullptr, show_constr_name},
    {"SENSUNIT", kNone, nullptr, show_sensor_unit},
    {"SENSNUM", kNone},
    {"SENSCLASS", kNone, nullptr, show_accuracy_class},
    field_row<sensor_field_index("DIGITS")>(),
};

// Every name is the register map's (a misspelt one fails to compile here),
// listed in register order.
constexpr bool in_register_order() {
  for (size_t i = 1; i < std::size(kConfigRegisters); ++i) {
    if (reg_address(kConfigRegisters[i - 1].name) >= reg_address(kConfigRegisters[i].name)) return false;
  }
  return true;
}
static_assert(in_register_order(), "config registers in register order");

}  // namespace

std::string ConfigRegister::show(const DeviceImage& image) const {
  return text ? text(image) : register_text(register_entry(name), image);
}

bool ConfigRegister::differs(const DeviceImage& a, const DeviceImage& b) const {
  return slot.word ? a.*slot.word != b.*slot.word : show(a) != show(b);
}

std::span<const ConfigRegister> config_registers() { return kConfigRegisters; }

const ConfigRegister* find_config_register(std::string_view name) {
  for (const ConfigRegister& r : kConfigRegisters) {
    if (r.name == name) return &r;
  }
  return nullptr;
}

std::string writable_config_names() {
  std::string names;
  for (const ConfigRegister& r : kConfigRegisters) {
    if (r.take) names += (names.empty() ? "" : " ") + std::string(r.name);
  }
  return names;
}

std::string add_config_assignment(std::string_view word, std::vector<ConfigAssignment>& to) {
  const size_t eq = word.find('=');
  if (eq == std::string_view::npos || eq == 0) return "ожидается ИМЯ=ЗНАЧЕНИЕ, а не " + quoted(word);
  const std::string_view name = word.substr(0, eq);
  const std::string_view value = word.substr(eq + 1);
  const ConfigRegister* reg = find_config_register(name);
  if (!reg) return "неизвестный регистр " + quoted(name) + "; записываются: " + writable_config_names();
  if (!reg->take)
    return "регистр " + std::string(name) + " не записывается командой config write; записываются: " +
           writable_config_names();
  for (const ConfigAssignment& a : to) {
    if (a.reg == reg) return "регистр " + std::string(name) + " указан дважды";
  }
  DeviceImage scratch;
  const std::string expected = reg->take(value, scratch);
  if (!expected.empty()) return "неверное значение " + std::string(name) + " " + quoted(value) + ": ожидается " + expected;
  to.push_back({reg, std::string(value)});
  return "";
}

std::string percent_text(uint16_t word, double limit) {
  // Candidates at k decimals: the exact percent rounded up, and one step more,
  // since the encoding truncates.
  uint64_t scale = 100;  // 10^k
  for (int k = 2; k <= 6; ++k, scale *= 10) {
    const uint64_t exact_up = (uint64_t{word} * 100 * scale + 65534) / 65535;
    for (const uint64_t m : {exact_up, exact_up + 1}) {
      char text[32];
      std::snprintf(text, sizeof text, "%llu.%0*llu", static_cast<unsigned long long>(m / scale), k,
                    static_cast<unsigned long long>(m % scale));
      if (encode_percent(scan_real(text).value_or(0), limit) == word) return text;
    }
  }
  std::string text = format_number(decode_percent(word), NumberFormat::Percent);
  while (!text.empty() && text.back() == ' ') text.pop_back();
  return text;
}

std::string quoted_device_text(std::string_view utf8) {
  const std::string bytes = utf8_to_cp1251(utf8);
  std::string out = "\"", run;
  for (const char ch : bytes) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x20 && b != 0x7F && b != 0x98 && ch != '"' && ch != '\\') {
      run += ch;
      continue;
    }
    out += cp1251_to_utf8(run);
    run.clear();
    if (ch == '"' || ch == '\\') {
      out += '\\';
      out += ch;
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned>(b));
      out += escaped;
    }
  }
  return out + cp1251_to_utf8(run) + "\"";
}

}  // namespace orn
