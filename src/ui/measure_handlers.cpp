#include "ui/measure_handlers.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>

#include "device/protected_write.h"
#include "link/failure_report.h"
#include "ui/main_window.h"
#include "ui/status_colour.h"
#include "ui/qt_text.h"

namespace orn {
namespace {

constexpr int kPollIntervalMs = 1000;

}  // namespace

MeasureHandlers::MeasureHandlers(MainWindow& window, AppContext& context) : w_(window), c_(context) {
  const MeasurePage& p = w_.measure;
  connect(p.Button17, &QPushButton::clicked, this, &MeasureHandlers::Button17Click);
  connect(p.Button45, &QPushButton::clicked, this, &MeasureHandlers::Button45Click);
  connect(p.Button44, &QPushButton::clicked, this, &MeasureHandlers::Button44Click);
  connect(p.Button16, &QPushButton::clicked, this, &MeasureHandlers::Button16Click);
  connect(p.Button18, &QPushButton::clicked, this, &MeasureHandlers::Button18Click);
  connect(p.Button19, &QPushButton::clicked, this, &MeasureHandlers::Button19Click);
  connect(p.CheckBox7, &QCheckBox::clicked, this, &MeasureHandlers::CheckBox7Click);
  connect(w_.Timer4, &QTimer::timeout, this, &MeasureHandlers::Timer4Timer);
}

void MeasureHandlers::Button17Click() {
  w_.commands.run(this, c_.master, [this] {
    const MeasureBlock block = live_block(w_.measure.CheckBox29->isChecked());
    const ExchangeResult r = read_measurement(c_.master, block, c_.record);
    c_.measured.publish(c_.record);
    if (r.unchecked) {
      // Address 255: nothing was read, so only the exchange state changes.
      showExchangeState(measurement_display(c_.record.izmerr, c_.record.statp, c_.record.faults, c_.record));
      report_exchange_failure(c_.prompt, r);
      return;
    }
    if (r.faults != 0 || r.exception != 0) {
      // A failed read repaints with status word 0: coding "0 1 2 3", unit "%".
      showMeasurement(measurement_display(c_.record.izmerr, 0, c_.record.faults, c_.record));
      report_exchange_failure(c_.prompt, r);
      return;
    }
    finishGoodRead("Прочитано измеренное значение.");
  });
}

void MeasureHandlers::Button45Click() {
  stopPolling();
  w_.commands.run(this, c_.master, [this] {
    const ExchangeResult r = latch_measurement(c_.master);
    if (!r.ok()) report_exchange_failure(c_.prompt, r);
  });
}

void MeasureHandlers::Button44Click() {
  stopPolling();
  w_.commands.run(this, c_.master, [this] {
    const ExchangeResult r = read_measurement(c_.master, MeasureBlock::Latched, c_.record);
    c_.measured.publish(c_.record);
    if (r.faults != 0 || r.exception != 0 || r.unchecked) {
      report_exchange_failure(c_.prompt, r);
      return;
    }
    finishGoodRead("Прочитано защелкнутое измеренное значение.");
  });
}

void MeasureHandlers::finishGoodRead(const char* message) {
  showMeasurement(measurement_display(c_.record.izmerr, c_.record.statp, c_.record.faults, c_.record));
  append_measure_log(c_.log, c_.record, c_.clock.now());
  c_.prompt.tell(message, kResultCaption, PromptIcon::Information);
}

void MeasureHandlers::Button16Click() {
  if (!c_.prompt.ask("Счетчики циклов и ошибок будут сброшены!", "Предупреждение",
                     PromptIcon::Information))
    return;
  c_.counters = PollCounters{};
  showCounters();
}

void MeasureHandlers::Button18Click() {
  c_.polling = true;
  w_.commands.setEnabled(w_.measure.Button18, false);
  w_.commands.setEnabled(w_.measure.Button19, true);
  w_.commands.setEnabled(w_.measure.Button17, false);
  w_.measure.Button19->setFocus();
}

void MeasureHandlers::Button19Click() {
  stopPolling();
  w_.measure.Button17->setFocus();
}

void MeasureHandlers::stopPolling() {
  stopPollingKeepReadButton();
  w_.commands.setEnabled(w_.measure.Button17, true);
}

void MeasureHandlers::stopPollingKeepReadButton() {
  c_.polling = false;
  w_.commands.setEnabled(w_.measure.Button18, true);
  w_.commands.setEnabled(w_.measure.Button19, false);
}


void MeasureHandlers::Timer4Timer() {
  const MeasureBlock block = live_block(w_.measure.CheckBox29->isChecked());
  w_.Timer4->stop();
  if (w_.TabbedNotebook1->currentIndex() != MainWindow::MeasurePageIndex) stopPollingKeepReadButton();
  // A tick that fires while another operation holds the line waits for the next one.
  if (c_.polling && !c_.master.busy()) {
    poll_cycle(c_.master, block, c_.record, c_.counters, c_.log, c_.clock);
    c_.measured.publish(c_.record);
    showMeasurement(measurement_display(c_.record.izmerr, c_.record.statp, c_.record.faults, c_.record));
    showCounters();
  }
  w_.Timer4->start(kPollIntervalMs);
}

void MeasureHandlers::CheckBox7Click() { c_.log.write_file = w_.measure.CheckBox7->isChecked() ? 1 : 0; }

void MeasureHandlers::showCounters() {
  const MeasurePage& p = w_.measure;
  p.Label54->setText(QString::number(c_.counters.cycles));
  p.Label55->setText(QString::number(c_.counters.measurement_errors));
  p.Label56->setText(QString::number(c_.counters.exchange_errors));
  p.Label241->setText(QString::number(c_.counters.retries));
}

void MeasureHandlers::showExchangeState(const MeasurementView& v) {
  w_.measure.exchangeState->setText(qs(v.exchange));
  setStatusColour(w_.measure.exchangeState, v.exchange_colour);
}

void MeasureHandlers::showMeasurement(const MeasurementView& v) {
  const MeasurePage& p = w_.measure;
  p.floatCoding->setText(qs(v.float_coding));
  p.unit->setText(qs(v.unit));
  p.value->setText(qs(v.value));
  p.temperature->setText(qs(v.temperature));
  p.relativeCode->setText(qs(v.relative_raw));
  p.relativePercent->setText(qs(v.relative_percent));
  for (QLabel* item : {p.value, p.temperature, p.relativeCode, p.relativePercent})
    setStatusColour(item, v.value_colour);
  p.measureState->setText(qs(v.state));
  setStatusColour(p.measureState, v.state_colour);
  showExchangeState(v);
  QLabel* contacts[kContactCount] = {p.contactInit, p.contactZero, p.contactFactory, p.contactPageSelect};
  for (size_t i = 0; i < kContactCount; ++i) setStatusColour(contacts[i], contact_colour(v.contacts[i]));
}

}  // namespace orn
