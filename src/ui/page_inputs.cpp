#include "ui/page_inputs.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include "ui/page_exchange.h"
#include "ui/page_sensor.h"

namespace orn {

namespace {

std::string fieldText(const QString& text) { return text.toStdString(); }

}  // namespace

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
  in.square_root = p.CheckBox5->isChecked();
  in.linearisation = p.CheckBox22->isChecked();
  in.zero_cutoff = p.CheckBox20->isChecked();
  in.factory_by_button = p.CheckBox30->isChecked();
  in.max_cutoff = p.CheckBox21->isChecked();
  in.overrun_up = p.CheckBox23->isChecked();
  in.overrun_down = p.CheckBox24->isChecked();
  in.zero_by_reed = p.CheckBox26->isChecked();
  in.settling_item = p.ComboBox11->currentIndex();
  in.digits_item = p.ComboBox17->currentIndex();
  in.nul_cutoff = fieldText(p.Edit81->text());
  in.max_cutoff_pct = fieldText(p.Edit82->text());
  in.lin_cutoff = fieldText(p.Edit83->text());
  in.min_overload = fieldText(p.Edit84->text());
  in.max_overload = fieldText(p.Edit85->text());
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
