#include "measure/measurement_display.h"

#include <string_view>

#include "device/value_codec.h"
#include "units/number_format.h"
#include "units/pressure_units.h"

namespace orn {
namespace {

struct ErrorBit {
  uint16_t mask;
  std::string_view text;
};

// The order in which the texts are listed, not the order of the bits.
constexpr ErrorBit kErrorBits[] = {
    {0x0010, "АЦП "},       {0x0001, "Сенс. "},  {0x0002, "НПИ "},
    {0x0004, "ВПИ "},       {0x0020, "PWR "},    {0x0040, "Float "},
    {0x0008, "EEPROM "},    {0x0100, "H_EEPROM "}, {0x0200, "PGM_EEPROM "},
};

}  // namespace

std::string measurement_error_text(uint16_t izmerr) {
  std::string text = " ";
  for (const ErrorBit& e : kErrorBits) {
    if (izmerr & e.mask) text += e.text;
  }
  return text;
}

MeasurementView measurement_display(uint16_t izmerr, uint16_t statp, uint16_t faults,
                                    const MeasuredValue& record) {
  MeasurementView v;
  v.float_coding = byte_order_caption(statp_byte_order(statp));
  v.unit = unit_status_caption(statp_unit(statp));
  v.value = format_number(record.pizmf, NumberFormat::Value);
  v.temperature = format_number(record.tizmf, NumberFormat::Percent);
  v.relative_raw = std::to_string(record.relative);
  v.relative_percent = format_number(record.relative * 100.0 / 65536.0, NumberFormat::Percent) + " %";
  if (measurement_normal(izmerr)) {
    v.value_colour = StatusColour::White;
    v.state = "Нормальное измерение";
    v.state_colour = StatusColour::ButtonFace;
  } else {
    v.value_colour = StatusColour::Yellow;
    v.state = measurement_error_text(izmerr);
    v.state_colour = StatusColour::Yellow;
  }
  if (record.unchecked) {
    // Address 255: the values shown are those of the last checked read.
    v.exchange = "Ответ не проверен";
    v.exchange_colour = StatusColour::Yellow;
  } else if (faults == 0) {
    v.exchange = "Нормальный обмен";
    v.exchange_colour = StatusColour::ButtonFace;
  } else {
    v.exchange = "Ошибка в обмене";
    v.exchange_colour = StatusColour::Yellow;
  }
  v.contacts[kContactInit] = record.btn & kBtnInit;
  v.contacts[kContactZero] = record.btn & kBtnZero;
  v.contacts[kContactFactory] = record.btn & kBtnFactory;
  v.contacts[kContactPage] = record.btn & kBtnPage;
  return v;
}

}  // namespace orn
