#include "device/settings_view.h"

#include "device/value_codec.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

std::string percent(uint16_t word) { return format_number(decode_percent(word), NumberFormat::Percent); }
std::string value(float x) { return format_number(x, NumberFormat::Value); }

FieldView field_view(const SensorField& f, const DeviceImage& image) {
  const uint16_t word = image.*f.word;
  FieldView v;
  switch (f.kind) {
    case SensorFieldKind::Choice: v.item = choice_index(f.code, word); break;
    case SensorFieldKind::Settling: v.item = t90_seconds(word); break;
    case SensorFieldKind::Percent: v.text = percent(word); break;
  }
  return v;
}

}  // namespace

std::string trim_in_unit(float kpa, const DeviceImage& image) {
  const auto shown = static_cast<float>(from_kpa(kpa, image.unit, image.diapminkpa, image.diapmaxkpa));
  return format_number(shown, NumberFormat::Trim);
}

SensorPageView sensor_page_view(const DeviceImage& image) {
  SensorPageView v;
  v.range_min = value(image.diapminkpa);
  v.range_max = value(image.diapmaxkpa);
  v.constr_min = value(image.constrminkpa);
  v.constr_max = value(image.constrmaxkpa);
  v.unit_item = image.unit < kUnitCount ? image.unit : -1;
  v.unit_caption = unit_combo_caption(image.unit);
  for (const FlagBit& f : kFlagBits) v.flags[static_cast<size_t>(f.id)] = flag_on(image, f.id);
  for (size_t i = 0; i < kSensorFieldCount; ++i) v.fields[i] = field_view(kSensorFields[i], image);
  v.shift_scale = trim_in_unit(image.shift_scale, image);
  v.shift_usr = trim_in_unit(image.shift_usr, image);
  v.diap_usr = format_number(image.diap_usr, NumberFormat::Trim);
  v.user_text = unpack_text(image.user_text.data(), image.user_text.size());
  v.constr_name = unpack_text(image.constr_name.data(), image.constr_name.size());
  if (auto caption = sensor_unit_caption(image.sensunit)) v.sensor_unit = std::string(*caption);
  v.sensor_number = std::to_string(image.sensnum);
  v.accuracy_class = unpack_accuracy_class(image.sensclass.data());
  return v;
}

ExchangePageView exchange_page_view(const DeviceImage& image) {
  ExchangePageView v;
  v.rate_item = choice_index(kRateCode, image.rate);
  v.address_item = choice_index(kAddressCode, image.adr);
  v.parity_on = image.parity == 1 || image.parity == 2;
  v.parity_even = image.parity == 2;
  v.sn_hi = std::to_string(image.sn_hi);
  v.sn_lo = std::to_string(image.sn_lo);
  v.day_item = choice_index(kDayCode, image.day);
  v.month_item = choice_index(kMonthCode, image.month);
  v.year_item = choice_index(kYearCode, image.year);
  v.ver_soft = std::to_string(image.ver_soft);
  v.ver_hard = std::to_string(image.ver_hard);
  v.dely = std::to_string(image.dely);
  v.byte_order_item = image.fltype < kByteOrderCount ? image.fltype : -1;
  v.model = std::to_string(image.model);
  v.watchdog_item = choice_index(kTimerCode, image.timer);
  return v;
}

}  // namespace orn
