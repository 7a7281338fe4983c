#include "ui/exchange_handlers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "device/group_transfers.h"
#include "device/value_codec.h"
#include "link/failure_report.h"
#include "ui/key_filters.h"
#include "ui/link_strip_handlers.h"
#include "ui/main_window.h"
#include "ui/measure_handlers.h"
#include "ui/page_fill.h"
#include "ui/page_inputs.h"

namespace orn {

ExchangeHandlers::ExchangeHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure,
                                   LinkStripHandlers& linkStrip)
    : w_(window),
      c_(context),
      measure_(measure),
      linkStrip_(linkStrip),
      panel_(window.exchange.Panel45, &window) {
  ExchangePage& p = w_.exchange;
  connect(p.Button1, &QPushButton::clicked, this, &ExchangeHandlers::Button1Click);
  connect(p.Button9, &QPushButton::clicked, this, &ExchangeHandlers::Button9Click);
  connect(p.Button41, &QPushButton::clicked, this, &ExchangeHandlers::Button41Click);
  connect(p.Button42, &QPushButton::clicked, this, &ExchangeHandlers::Button42Click);

  for (QComboBox* box : {p.ComboBox4, p.ComboBox5, p.ComboBox20, p.ComboBox6, p.ComboBox7, p.ComboBox8, p.ComboBox9})
    connect(box, &QComboBox::currentIndexChanged, this, &ExchangeHandlers::inputChanged);
  for (QCheckBox* box : {p.CheckBox3, p.CheckBox4})
    connect(box, &QCheckBox::toggled, this, &ExchangeHandlers::inputChanged);

  // A delay typed above 255 goes to the device as 255; the field shows what was typed.
  connect(p.Edit89, &QLineEdit::textChanged, this,
          [this] { c_.image.dely = dely_register(takeImmediate(w_.exchange.Edit89)); });
  connect(p.ComboBox22, &QComboBox::editTextChanged, this,
          [this] { c_.image.time_gap_dev = takeImmediate(w_.exchange.ComboBox22->lineEdit()); });
  connect(p.ComboBox23, &QComboBox::editTextChanged, this,
          [this] { c_.exchange.time_gap_prg = takeImmediate(w_.exchange.ComboBox23->lineEdit()); });
  auto* digits = new KeyFilter(KeyFilter::Kind::Digits, this);
  digits->watch(p.Edit89);
}

uint16_t ExchangeHandlers::takeImmediate(QLineEdit* field) {
  const uint16_t value = immediate_integer(field->text().toStdString());
  const QString shown = QString::number(value);
  // Rewriting a field with its own text raises no further change.
  if (field->text() == shown) return value;
  const int cursor = field->cursorPosition();
  field->setText(shown);
  field->setCursorPosition(std::min(cursor, static_cast<int>(shown.size())));
  return value;
}

void ExchangeHandlers::inputChanged() {
  if (c_.updating) return;
  takeExchangeInputs(w_.exchange, c_.image, c_.prompt);
  showExchangePage(w_.exchange, c_.image, c_.updating);
}

ProtectedWriteContext ExchangeHandlers::writeContext() {
  return {c_.master, c_.prompt, panel_, c_.settings_never_read, &c_.journal, &c_.device};
}

void ExchangeHandlers::Button1Click() {
  measure_.stopPolling();
  w_.commands.run(this, c_.master, [this] {
    ProtectedWriteContext context = writeContext();
    write_exchange_params_protected(context, c_.image, c_.record.init, [this] {
      adopt_device_link(c_.image, c_.link);
      linkStrip_.showLink();
      linkStrip_.reopenPort(true);
    });
  });
}

void ExchangeHandlers::Button9Click() {
  measure_.stopPolling();
  w_.commands.run(this, c_.master, [this] {
    const ExchangeResult r = read_exchange_page(c_.master, c_.image);
    if (!r.ok()) {
      report_exchange_failure(c_.prompt, r);
      return;
    }
    copy_kept(c_.image, kExchangeParamsReads, c_.device);
    showExchangePage(w_.exchange, c_.image, c_.updating);
    c_.prompt.tell("Чтение всех параметров закладки успешно осуществлено.", kResultCaption,
                   PromptIcon::Information);
  });
}

void ExchangeHandlers::Button41Click() {
  measure_.stopPolling();
  w_.commands.run(this, c_.master, [this] {
    const ExchangeResult r = read_device_gap(c_.master, c_.image);
    if (!r.ok()) {
      report_exchange_failure(c_.prompt, r);
      return;
    }
    copy_kept(c_.image, kDeviceGapReads, c_.device);
    w_.exchange.ComboBox22->setEditText(QString::number(c_.image.time_gap_dev));
    c_.prompt.tell("Чтение дополнительного временного зазора между байтами успешно осуществлено.",
                   kResultCaption, PromptIcon::Information);
  });
}

void ExchangeHandlers::Button42Click() {
  measure_.stopPolling();
  w_.commands.run(this, c_.master, [this] {
    ProtectedWriteContext context = writeContext();
    write_device_gap_protected(context, c_.image);
  });
}

}  // namespace orn
