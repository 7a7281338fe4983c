#include "ui/page_fill.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "device/settings_view.h"
#include "link/scoped_flag.h"
#include "ui/edit_marks.h"
#include "ui/page_exchange.h"
#include "ui/page_inputs.h"
#include "ui/page_sensor.h"
#include "ui/qt_text.h"

namespace orn {
namespace {

// A choice without an item for its value shows nothing chosen.
void choose(QComboBox* box, int item) { box->setCurrentIndex(item); }

}  // namespace

QList<QWidget*> sensorPageInputs(const SensorPage& p) {
  QList<QWidget*> inputs{p.Edit6, p.Edit7, p.Edit20, p.Edit21, p.Edit22, p.Edit23, p.ComboBox10};
  for (size_t i = 0; i < kSensorFieldCount; ++i) inputs << fieldWidget(p, i).widget();
  for (QLineEdit* edit : trimEdits(p)) inputs << edit;
  for (const FlagBit& f : kFlagBits) inputs << flagBox(p, f.id);
  return inputs;
}

std::array<QLineEdit*, 3> trimEdits(const SensorPage& p) { return {p.Edit114, p.Edit115, p.Edit116}; }

void showSensorPage(SensorPage& p, const DeviceImage& image, bool& updating) {
  ScopedFlag guard(updating);
  const SensorPageView v = sensor_page_view(image);
  p.Edit6->setText(qs(v.range_min));
  p.Edit7->setText(qs(v.range_max));
  p.Edit20->setText(qs(v.constr_min));
  p.Edit21->setText(qs(v.constr_max));
  choose(p.ComboBox10, v.unit_item);
  p.Label238->setText(qs(v.unit_caption));
  p.Label239->setText(qs(v.unit_caption));
  for (const FlagBit& f : kFlagBits) flagBox(p, f.id)->setChecked(v.flag(f.id));
  for (size_t i = 0; i < kSensorFieldCount; ++i) {
    const FieldWidget w = fieldWidget(p, i);
    if (w.edit) w.edit->setText(qs(v.fields[i].text));
    else choose(w.choice, v.fields[i].item);
  }
  p.Edit114->setText(qs(v.shift_scale));
  p.Edit115->setText(qs(v.shift_usr));
  p.Edit116->setText(qs(v.diap_usr));
  for (QWidget* input : sensorPageInputs(p)) markShown(input);
}

void showSensorTexts(SensorPage& p, const DeviceImage& image, bool& updating) {
  ScopedFlag guard(updating);
  const SensorPageView v = sensor_page_view(image);
  p.Edit23->setText(qs(v.user_text));
  markShown(p.Edit23);
  // The construction name and the sensor data are kept in the page's hidden holders.
  p.Label103->setText(qs(v.constr_name));
  p.Label107->setText(v.sensor_unit ? qs(*v.sensor_unit) : QString());
  p.Label108->setText(qs(v.sensor_number));
  p.Label109->setText(qs(v.accuracy_class));
}

void showConstructionText(SensorPage& p, const std::string& text, bool& updating) {
  ScopedFlag guard(updating);
  p.Edit22->setText(QString::fromStdString(text));
  markShown(p.Edit22);
}

void showExchangePage(ExchangePage& p, const DeviceImage& image, bool& updating) {
  ScopedFlag guard(updating);
  const ExchangePageView v = exchange_page_view(image);
  choose(p.ComboBox4, v.rate_item);
  choose(p.ComboBox5, v.address_item);
  p.CheckBox3->setChecked(v.parity_on);
  p.CheckBox4->setChecked(v.parity_even);
  p.Edit1->setText(qs(v.sn_hi));
  p.Edit2->setText(qs(v.sn_lo));
  choose(p.ComboBox7, v.day_item);
  choose(p.ComboBox8, v.month_item);
  choose(p.ComboBox9, v.year_item);
  p.Panel4->setText(p.ComboBox7->currentText());
  p.Panel5->setText(p.ComboBox8->currentText());
  p.Panel6->setText(p.ComboBox9->currentText());
  p.Edit4->setText(qs(v.ver_soft));
  p.Edit5->setText(qs(v.ver_hard));
  p.Edit89->setText(qs(v.dely));
  choose(p.ComboBox20, v.byte_order_item);
  p.Edit3->setText(qs(v.model));
  choose(p.ComboBox6, v.watchdog_item);
}

}  // namespace orn
