#include "ui/sensor_handlers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "device/group_transfers.h"
#include "device/settings_view.h"
#include "link/failure_report.h"
#include "ui/edit_marks.h"
#include "ui/key_filters.h"
#include "ui/main_window.h"
#include "ui/measure_handlers.h"
#include "ui/page_fill.h"
#include "ui/page_inputs.h"

namespace orn {

SensorHandlers::SensorHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure)
    : w_(window), c_(context), measure_(measure), panel_(window.sensor.Panel12, &window) {
  SensorPage& p = w_.sensor;
  connect(p.Button20, &QPushButton::clicked, this, &SensorHandlers::Button20Click);
  connect(p.Button21, &QPushButton::clicked, this, &SensorHandlers::Button21Click);
  connect(p.Button38, &QPushButton::clicked, this, &SensorHandlers::Button38Click);
  connect(p.ComboBox10, &QComboBox::currentIndexChanged, this, [this] {
    if (!c_.updating) ComboBox10Change();
  });
  markOnChange();

  using Kind = KeyFilter::Kind;
  auto* signedReal = new KeyFilter(Kind::SignedReal, this);
  for (QLineEdit* f : {p.Edit6, p.Edit7, p.Edit20, p.Edit21}) signedReal->watch(f);
  auto* percent = new KeyFilter(Kind::UnsignedReal, this);
  for (size_t i = 0; i < kSensorFieldCount; ++i) {
    if (QLineEdit* f = fieldWidget(p, i).edit) percent->watch(f);
  }
  auto* point = new KeyFilter(Kind::PointOnly, this);
  const AdjustmentPanel& a = p.adjust;
  for (QLineEdit* f : {a.Edit90, a.Edit91, a.Edit92, a.Edit93}) point->watch(f);
  for (QLineEdit* f : trimEdits(p)) point->watch(f);
  // Installed last, so it sees the key before the point filter takes it.
  for (QLineEdit* f : trimEdits(p)) f->installEventFilter(this);
}

void SensorHandlers::markOnChange() {
  SensorPage& p = w_.sensor;
  const AdjustmentPanel& a = p.adjust;
  const auto markEditedText = [this](QLineEdit* f) {
    connect(f, &QLineEdit::textChanged, this, [this, f] {
      if (!c_.updating) markEdited(f);
    });
  };
  for (QLineEdit* f : {p.Edit6, p.Edit7, p.Edit20, p.Edit21, p.Edit22, p.Edit23, a.Edit90, a.Edit91, a.Edit92,
                       a.Edit93})
    markEditedText(f);
  for (size_t i = 0; i < kSensorFieldCount; ++i) {
    const FieldWidget w = fieldWidget(p, i);
    if (w.edit) {
      markEditedText(w.edit);
      continue;
    }
    QComboBox* f = w.choice;
    connect(f, &QComboBox::currentIndexChanged, this, [this, f] {
      if (!c_.updating) markEdited(f);
    });
  }
  for (const FlagBit& flag : kFlagBits) {
    QCheckBox* f = flagBox(p, flag.id);
    connect(f, &QCheckBox::clicked, this, [f] { markEdited(f); });
  }
}

bool SensorHandlers::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) markEdited(static_cast<QWidget*>(watched));
  return false;
}

ProtectedWriteContext SensorHandlers::writeContext() {
  return {c_.master, c_.prompt, panel_, c_.settings_never_read, &c_.journal, &c_.device};
}

void SensorHandlers::Button20Click() {
  measure_.stopPolling();
  w_.commands.run(this, c_.master, [this] {
    c_.settings_never_read = 0;
    const ExchangeResult r = read_sensor_settings(c_.master, c_.image, panel_);
    if (!r.ok()) {
      report_exchange_failure(c_.prompt, r);
      return;
    }
    copy_kept(c_.image, kSensorSettingsKept, c_.device);
    showSensorPage(w_.sensor, c_.image, c_.updating);
    showSensorTexts(w_.sensor, c_.image, c_.updating);
    // The device's construction name becomes the one a profile saves.
    c_.profile.konstr_txt = unpadded_text(c_.image.constr_name.data(), c_.image.constr_name.size());
    showConstructionText(w_.sensor, c_.profile.konstr_txt, c_.updating);
    c_.prompt.tell("Чтение параметров датчика успешно осуществлено.", kResultCaption, PromptIcon::Information);
  });
}

void SensorHandlers::Button21Click() {
  measure_.stopPolling();
  for (QWidget* input : sensorPageInputs(w_.sensor)) markShown(input);
  w_.commands.run(this, c_.master, [this] {
    ProtectedWriteContext context = writeContext();
    write_sensor_settings_protected(context, c_.image, [this] {
      return takeSensorInputs(w_.sensor, c_.image, &c_.prompt) && takeUserText(w_.sensor, c_.image, &c_.prompt);
    });
  });
}

void SensorHandlers::Button38Click() {
  measure_.stopPolling();
  w_.commands.run(this, c_.master, [this] {
    ProtectedWriteContext context = writeContext();
    restore_factory_settings(context, c_.image);
  });
}

void SensorHandlers::ComboBox10Change() {
  SensorPage& p = w_.sensor;
  markEdited(p.ComboBox10);
  p.Label238->setText(p.ComboBox10->currentText());
  p.Label239->setText(p.ComboBox10->currentText());
  const int unit = p.ComboBox10->currentIndex();
  if (unit < 0) return;
  c_.image.unit = static_cast<uint16_t>(unit);
  p.Edit114->setText(QString::fromStdString(trim_in_unit(c_.image.shift_scale, c_.image)));
  p.Edit115->setText(QString::fromStdString(trim_in_unit(c_.image.shift_usr, c_.image)));
}

}  // namespace orn
