#include "ui/calib_handlers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "calib/calibration_record.h"
#include "device/group_transfers.h"
#include "ui/colour_fill.h"
#include "ui/edit_marks.h"
#include "ui/main_window.h"
#include "ui/measure_handlers.h"
#include "ui/page_fill.h"
#include "ui/status_colour.h"
#include "ui/qt_text.h"

namespace orn {
namespace {

const QColor kLime(0x00, 0xFF, 0x00);

std::string text(const QLineEdit* edit) { return edit->text().toStdString(); }

// A freshly computed value in a panel field.
void setBackground(QWidget* input, const QColor& colour) {
  QPalette palette = input->palette();
  setFill(palette, QPalette::Base, colour);
  input->setPalette(palette);
}

}  // namespace

CalibHandlers::CalibHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure)
    : w_(window),
      c_(context),
      measure_(measure),
      progress_(window.sensor.Panel12, &window),
      adjust_{context.master, context.prompt, progress_, context.settings_never_read, context.image,
              context.record, context.adjust, [this] { measure_.stopPolling(); }},
      adjustment_(adjust_, *this) {
  adjust_.journal = &context.journal;
  adjust_.written = [this](PanelField field, float required, float average) {
    recordAdjustment(field, required, average);
  };
  const SensorPage& p = w_.sensor;
  const AdjustmentPanel& a = p.adjust;
  connect(p.Button43, &QPushButton::clicked, this, &CalibHandlers::Button43Click);
  connect(a.Button52, &QPushButton::clicked, this, &CalibHandlers::Button52Click);
  connect(a.Button46, &QPushButton::clicked, this, &CalibHandlers::Button46Click);
  connect(a.Button47, &QPushButton::clicked, this, &CalibHandlers::Button47Click);
  connect(a.Button48, &QPushButton::clicked, this, &CalibHandlers::Button48Click);
  connect(a.Button49, &QPushButton::clicked, this, &CalibHandlers::Button49Click);
  connect(a.Button50, &QPushButton::clicked, this, &CalibHandlers::Button50Click);
  connect(a.Button51, &QPushButton::clicked, this, &CalibHandlers::Button51Click);
  connect(p.Button61, &QPushButton::clicked, this, &CalibHandlers::Button61Click);
  connect(p.Button60, &QPushButton::clicked, this, &CalibHandlers::Button60Click);
}

void CalibHandlers::run(std::function<void()> action) { w_.commands.run(this, c_.master, std::move(action)); }

void CalibHandlers::Button43Click() {
  run([this] {
    adjustment_.open();
    c_.measured.publish(c_.record);
  });
}

void CalibHandlers::Button52Click() {
  run([this] {
    adjustment_.read();
    c_.measured.publish(c_.record);
  });
}

void CalibHandlers::Button46Click() {
  run([this] { adjustment_.adjust_zero(); });
}

void CalibHandlers::Button47Click() {
  run([this] { adjustment_.write_zero(); });
}

void CalibHandlers::Button48Click() {
  run([this] { adjustment_.adjust_span(); });
}

void CalibHandlers::Button49Click() {
  run([this] { adjustment_.write_span(); });
}

void CalibHandlers::Button50Click() {
  run([this] { adjustment_.close(); });
}

void CalibHandlers::Button51Click() { Button50Click(); }

void CalibHandlers::Button61Click() {
  run([this] {
    measure_.stopPolling();
    if (!read_user_trims(c_.master, c_.prompt, progress_, c_.image, c_.settings_never_read).ok()) return;
    showTrims();
    // The unit choice shows what was read; its change handler must not convert the trims again.
    c_.updating = true;
    w_.sensor.ComboBox10->setCurrentIndex(c_.image.unit);
    c_.updating = false;
    markShown(w_.sensor.ComboBox10);
    markShown(w_.sensor.ComboBox17);
  });
}

void CalibHandlers::Button60Click() {
  run([this] {
    for (QLineEdit* edit : trimEdits(w_.sensor)) markShown(edit);
    ProtectedWriteContext pc{c_.master, c_.prompt, progress_, c_.settings_never_read, &c_.journal};
    const auto unit = static_cast<uint16_t>(std::max(0, w_.sensor.ComboBox10->currentIndex()));
    write_trim_fields(pc, c_.image, trimTexts(), unit);
  });
}

void CalibHandlers::showTrims() {
  const TrimView v = trim_view(c_.image);
  const SensorPage& p = w_.sensor;
  p.Edit114->setText(qs(v.fields.shift_scale));
  p.Edit115->setText(qs(v.fields.shift_usr));
  p.Edit116->setText(qs(v.fields.diap_usr));
  p.Label238->setText(qs(v.unit_caption));
  p.Label239->setText(qs(v.unit_caption));
  for (QLineEdit* edit : trimEdits(p)) markShown(edit);
}

TrimTexts CalibHandlers::trimTexts() const {
  return {text(w_.sensor.Edit114), text(w_.sensor.Edit115), text(w_.sensor.Edit116)};
}

void CalibHandlers::leaveAdjustment() {
  adjustment_.leave();
  lockPage(false);
}

void CalibHandlers::takeTrimFields() {
  take_trim_fields_unchecked(trimTexts(), c_.image);
  c_.image.unit = static_cast<uint16_t>(std::max(0, w_.sensor.ComboBox10->currentIndex()));
}

void CalibHandlers::set_status(std::string_view status) {
  w_.sensor.adjust.status->setText(qs(status));
  if (w_.isVisible()) w_.repaint();
}

void CalibHandlers::show_fields(const PanelTexts& f, std::string_view unit_caption) {
  const AdjustmentPanel& a = w_.sensor.adjust;
  a.Edit90->setText(qs(f.user_zero));
  a.Edit93->setText(qs(f.zero_target));
  a.Edit91->setText(qs(f.user_span));
  a.Edit92->setText(qs(f.span_target));
  a.unit->setText(qs(unit_caption));
}

PanelTexts CalibHandlers::field_texts() const {
  const AdjustmentPanel& a = w_.sensor.adjust;
  return {text(a.Edit90), text(a.Edit93), text(a.Edit91), text(a.Edit92)};
}

void CalibHandlers::set_colour(PanelField field, FieldColour colour) {
  const AdjustmentPanel& a = w_.sensor.adjust;
  QLineEdit* const edits[] = {a.Edit90, a.Edit93, a.Edit91, a.Edit92};
  QLineEdit* edit = edits[static_cast<size_t>(field)];
  if (colour == FieldColour::Lime) setBackground(edit, kLime);
  else markShown(edit);
}

void CalibHandlers::show_value(const ValueItem& value) {
  const AdjustmentPanel& a = w_.sensor.adjust;
  a.value->setText(qs(value.text));
  setStatusColour(a.value, value.error ? StatusColour::Yellow : StatusColour::White);
  a.valueUnit->setText(qs(value.unit));
  if (w_.isVisible()) a.Panel42->repaint();
}

void CalibHandlers::enable_buttons(bool enabled) {
  const AdjustmentPanel& a = w_.sensor.adjust;
  for (QPushButton* b : {a.Button46, a.Button47, a.Button48, a.Button49, a.Button50, a.Button51, a.Button52})
    b->setEnabled(enabled);
}

void CalibHandlers::show_panel(bool shown) {
  lockPage(shown);
  w_.sensor.adjust.Panel42->setVisible(shown);
  if (w_.isVisible()) w_.repaint();
}

void CalibHandlers::lockPage(bool locked) {
  if (!locked) panelOpen_.reset();
  else if (!panelOpen_) panelOpen_.emplace(w_.commands);
}

void CalibHandlers::recordAdjustment(PanelField field, float required, float average) {
  // The identity is read into a copy: the pages keep what they show.
  DeviceImage device = c_.image;
  using Step = ExchangeResult (*)(ModbusMaster&, DeviceImage&);
  for (Step step : {Step{read_model}, Step{read_factory_number_and_date}, Step{read_versions}}) {
    if (!step(c_.master, device).ok()) break;  // the row names what is known
  }
  const AdjustmentKind kind = field == PanelField::UserZero ? AdjustmentKind::Zero : AdjustmentKind::Span;
  const std::string port = c_.ports.path(c_.link.port);
  const CalibrationRow row =
      adjustment_row(record_device(port.empty() ? "COM" + std::to_string(c_.link.port) : port, c_.link.address, device),
                     kind, required, average, written_adjustment(kind, c_.image));
  if (auto error = append_calibration_rows(c_.folder + "/" + kCalibrationFileName, {&row, 1}))
    c_.prompt.tell(*error, "ОРН20 MB", PromptIcon::Error);
  if (onAdjustmentWritten) onAdjustmentWritten();
}

void CalibHandlers::show_sensor_settings() {
  showSensorPage(w_.sensor, c_.image, c_.updating);
  showSensorTexts(w_.sensor, c_.image, c_.updating);
}

}  // namespace orn
