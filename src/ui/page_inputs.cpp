#include "ui/page_inputs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <iterator>

#include "ui/page_exchange.h"
#include "ui/page_sensor.h"

namespace orn {

namespace {

std::string fieldText(const QString& text) { return text.toStdString(); }

// The check box of each flag bit, in the order of kFlagBits.
struct FlagBox {
  Flag flag;
  QCheckBox* SensorPage::*box;
};
constexpr FlagBox kFlagBoxes[] = {
    {Flag::SquareRoot, &SensorPage::CheckBox5},    {Flag::Linearisation, &SensorPage::CheckBox22},
    {Flag::OverrunUp, &SensorPage::CheckBox23},    {Flag::OverrunDown, &SensorPage::CheckBox24},
    {Flag::ZeroCutoff, &SensorPage::CheckBox20},   {Flag::MaxCutoff, &SensorPage::CheckBox21},
    {Flag::ZeroByReed, &SensorPage::CheckBox26},   {Flag::FactoryByButton, &SensorPage::CheckBox30},
};
constexpr bool boxes_in_flag_order() {
  if (std::size(kFlagBoxes) != kFlagCount) return false;
  for (size_t i = 0; i < kFlagCount; ++i) {
    if (kFlagBoxes[i].flag != kFlagBits[i].id) return false;
  }
  return true;
}
static_assert(boxes_in_flag_order(), "one check box per flag bit, in the order of kFlagBits");

// The input of each row of kSensorFields, in its order.
struct FieldInputRow {
  std::string_view reg;
  QLineEdit* SensorPage::*edit;
  QComboBox* SensorPage::*choice;
};
constexpr FieldInputRow kFieldInputs[] = {
    {"T90", nullptr, &SensorPage::ComboBox11},     {"DIGITS", nullptr, &SensorPage::ComboBox17},
    {"NULCUTOFF", &SensorPage::Edit81, nullptr},   {"MAXCUTOFF", &SensorPage::Edit82, nullptr},
    {"MINOVLD", &SensorPage::Edit84, nullptr},     {"MAXOVLD", &SensorPage::Edit85, nullptr},
    {"LINCUTOFF", &SensorPage::Edit83, nullptr},
};
constexpr bool inputs_in_field_order() {
  if (std::size(kFieldInputs) != kSensorFieldCount) return false;
  for (size_t i = 0; i < kSensorFieldCount; ++i) {
    const bool percent = kSensorFields[i].kind == SensorFieldKind::Percent;
    const FieldInputRow& r = kFieldInputs[i];
    if (r.reg != kSensorFields[i].reg || (r.edit != nullptr) != percent || (r.choice != nullptr) == percent)
      return false;
  }
  return true;
}
static_assert(inputs_in_field_order(), "one input per sensor field, in the order of kSensorFields");

}  // namespace

QWidget* FieldWidget::widget() const {
  if (edit) return edit;
  return choice;
}

FieldWidget fieldWidget(const SensorPage& page, size_t row) {
  const FieldInputRow& r = kFieldInputs[row];
  return r.edit ? FieldWidget{page.*r.edit, nullptr} : FieldWidget{nullptr, page.*r.choice};
}

QCheckBox* flagBox(const SensorPage& page, Flag flag) {
  return page.*kFlagBoxes[static_cast<size_t>(flag)].box;
}

ExchangeInputs exchangeInputs(const ExchangePage& p) {
  ExchangeInputs in;
  in.model = fieldText(p.Edit3->text());
  in.sn_hi = fieldText(p.Edit1->text());
  in.sn_lo = fieldText(p.Edit2->text());
  in.day_item = p.ComboBox7->currentIndex();
  in.month_item = p.ComboBox8->currentIndex();
  in.year_item = p.ComboBox9->currentIndex();
  in.rate_item = p.ComboBox4->currentIndex();
  in.parity_on = p.CheckBox3->isChecked();
  in.parity_even = p.CheckBox4->isChecked();
  in.address_item = p.ComboBox5->currentIndex();
  in.dely = fieldText(p.Edit89->text());
  in.byte_order_item = p.ComboBox20->currentIndex();
  in.ver_hard = fieldText(p.Edit5->text());
  in.ver_soft = fieldText(p.Edit4->text());
  in.watchdog_item = p.ComboBox6->currentIndex();
  return in;
}

SensorInputs sensorInputs(const SensorPage& p) {
  SensorInputs in;
  in.unit_item = p.ComboBox10->currentIndex();
  for (const FlagBit& f : kFlagBits) in.flag(f.id) = flagBox(p, f.id)->isChecked();
  for (size_t i = 0; i < kSensorFieldCount; ++i) {
    const FieldWidget w = fieldWidget(p, i);
    if (w.edit) in.fields[i].text = fieldText(w.edit->text());
    else in.fields[i].item = w.choice->currentIndex();
  }
  return in;
}

bool takeExchangeInputs(const ExchangePage& page, DeviceImage& image, Prompt& prompt) {
  return copy_exchange_inputs(exchangeInputs(page), image, prompt);
}

bool takeSensorInputs(const SensorPage& page, DeviceImage& image, Prompt* prompt) {
  return copy_sensor_inputs(sensorInputs(page), image, prompt);
}

bool takeUserText(const SensorPage& page, DeviceImage& image, Prompt* prompt) {
  return copy_user_text(fieldText(page.Edit23->text()), image, prompt);
}

}  // namespace orn
