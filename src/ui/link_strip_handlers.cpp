#include "ui/link_strip_handlers.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

#include "device/register_map.h"
#include "link/failure_report.h"
#include "link/link_line.h"
#include "link/scoped_flag.h"
#include "ui/main_window.h"
#include "ui/measure_handlers.h"

namespace orn {

LinkStripHandlers::LinkStripHandlers(MainWindow& window, AppContext& context, MeasureHandlers& measure)
    : w_(window), c_(context), measure_(measure) {
  const TopStrip& s = w_.strip;
  // activated and clicked come from the user only; code that fills the strip raises neither.
  for (QComboBox* list : {s.ComboBox1, s.ComboBox2, s.ComboBox3})
    connect(list, &QComboBox::activated, this, &LinkStripHandlers::linkControlChanged);
  for (QCheckBox* box : {s.CheckBox1, s.CheckBox2})
    connect(box, &QCheckBox::clicked, this, &LinkStripHandlers::linkControlChanged);
  connect(s.CheckBox6, &QCheckBox::clicked, this, &LinkStripHandlers::CheckBox6Click);
  connect(w_.menu.PopupMenu1, &QMenu::aboutToShow, this, &LinkStripHandlers::PopupMenu1Popup);
  connect(s.Button15, &QPushButton::clicked, this, &LinkStripHandlers::Button15Click);
  connect(s.Button2, &QPushButton::clicked, this, &LinkStripHandlers::Button2Click);
}

void LinkStripHandlers::fillPortList() {
  QComboBox* list = w_.strip.ComboBox1;
  list->clear();
  if (c_.connection.count() == 0) {
    list->setPlaceholderText("портов нет");
    return;
  }
  for (uint16_t i = 0; i < c_.connection.count(); ++i) {
    const uint16_t n = c_.connection.table()[i];
    list->addItem("COM" + QString::number(n));
    list->setItemData(i, QString::fromStdString(c_.ports.path(n)), Qt::ToolTipRole);
  }
  list->setCurrentIndex(list->count() - 1);
  const int current = list->findText("COM" + QString::number(c_.link.port));
  if (current >= 0) list->setCurrentIndex(current);
}

void LinkStripHandlers::showLink() {
  ScopedFlag guard(c_.updating);
  const TopStrip& s = w_.strip;
  s.ComboBox1->setCurrentIndex(s.ComboBox1->count() - 1);
  const int port = s.ComboBox1->findText("COM" + QString::number(c_.link.port));
  if (port >= 0) s.ComboBox1->setCurrentIndex(port);
  s.ComboBox2->setCurrentIndex(rate_item_for_index(c_.link.rate_index));
  s.CheckBox1->setChecked(c_.link.parity == kParityOdd || c_.link.parity == kParityEven);
  s.CheckBox2->setChecked(c_.link.parity == kParityEven);
  showLinkLine();
  s.ComboBox3->setCurrentIndex(address_item_for(c_.link.address));
  w_.measure.CheckBox7->setChecked(c_.log.write_file == 1);
  s.CheckBox6->setChecked(c_.exchange.use_log_file == 1);
}

void LinkStripHandlers::takeLink() {
  ScopedFlag guard(c_.updating);
  const TopStrip& s = w_.strip;
  // With no item chosen (no ports, or an address beyond the list) the value stays.
  const int port = s.ComboBox1->currentIndex();
  if (port >= 0 && port < c_.connection.count()) c_.link.port = c_.connection.table()[static_cast<size_t>(port)];
  c_.link.rate_index = rate_index_for_item(s.ComboBox2->currentIndex());
  c_.link.parity = parity_code_for(s.CheckBox1->isChecked(), s.CheckBox2->isChecked());
  const int address = s.ComboBox3->currentIndex();
  if (address >= 0) c_.link.address = static_cast<uint16_t>(address);
}

void LinkStripHandlers::showLinkLine() {
  w_.strip.Label5->setText(QString::fromStdString(link_line_text(c_.link)));
}

void LinkStripHandlers::reopenPort(bool report) {
  c_.connection.open(c_.link.port, c_.link.rate_index, c_.link.parity, c_.exchange.timeout, report);
}

void LinkStripHandlers::linkControlChanged() {
  if (c_.updating) return;
  w_.commands.run(this, c_.master, [this] {
    takeLink();
    QCoreApplication::processEvents();
    showLinkLine();
    reopenPort(true);
  });
}

void LinkStripHandlers::CheckBox6Click() { c_.exchange.use_log_file = w_.strip.CheckBox6->isChecked() ? 1 : 0; }

void LinkStripHandlers::PopupMenu1Popup() {
  w_.commands.run(this, c_.master, [this] {
    c_.connection.close();
    c_.connection.probe();
    fillPortList();
    reopenPort(true);
  });
}

void LinkStripHandlers::Button15Click() {
  if (!c_.prompt.ask("Текущие настройки связи будут изменены на значения для работы в режиме INIT.",
                     "Подтвердите действие", PromptIcon::Warning))
    return;
  measure_.stopPollingKeepReadButton();
  apply_init_preset(c_.link);
  showLink();
  QCoreApplication::processEvents();
  w_.commands.run(this, c_.master, [this] { reopenPort(true); });
}

void LinkStripHandlers::Button2Click() {
  measure_.stopPollingKeepReadButton();
  w_.commands.run(this, c_.master, [this] {
    constexpr const TransferEntry& blink = transfer(Transfer::Blink);
    const uint16_t one = 1;
    const ExchangeResult r = c_.master.write(blink.start, blink.count, &one, blink.label);
    if (!r.ok()) report_exchange_failure(c_.prompt, r);
  });
}

}  // namespace orn
