// The search page wired to the core, against simulated transmitters on an
// in-memory line: the selection shown at start-up, a search that finds a
// transmitter, its progress, the stop button, and picking a find.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <vector>

#include "window_rig.h"

namespace orn {
namespace {

std::vector<sim::TransmitterConfig> at(std::initializer_list<sim::LinkSettings> links) {
  std::vector<sim::TransmitterConfig> configs;
  for (const sim::LinkSettings& link : links) {
    sim::TransmitterConfig config;
    config.link = link;
    configs.push_back(config);
  }
  return configs;
}

// The window on the search page; the link starts at COM1, 19200, no parity, address 1.
struct SearchRig : Rig {
  explicit SearchRig(std::initializer_list<sim::LinkSettings> transmitters) : Rig(at(transmitters)) {
    window.TabbedNotebook1->setCurrentIndex(MainWindow::SearchPageIndex);
  }
  QStringList found() const {
    QStringList lines;
    for (int i = 0; i < page().ListBox1->count(); ++i) lines << page().ListBox1->item(i)->text();
    return lines;
  }
  const SearchPage& page() const { return window.search; }
  std::vector<std::string> messages() const {
    std::vector<std::string> out;
    for (const auto& r : prompt.records) out.push_back(r.text);
    return out;
  }
};

}  // namespace

class SearchTest : public QObject {
  Q_OBJECT

 private slots:
  void startupShowsTheSelection() {
    SearchRig rig({});
    const SearchPage& p = rig.page();
    for (QCheckBox* box : {p.CheckBox12, p.CheckBox13, p.CheckBox15, p.CheckBox16, p.CheckBox17})
      QVERIFY2(box->isChecked(), qPrintable(box->objectName()));
    for (QCheckBox* box : {p.CheckBox9, p.CheckBox10, p.CheckBox11, p.CheckBox14, p.CheckBox18, p.CheckBox19})
      QVERIFY2(!box->isChecked(), qPrintable(box->objectName()));
    QCOMPARE(p.ComboBox12->currentText(), QString("  1"));
    QCOMPARE(p.ComboBox13->currentText(), QString("  3"));
    QCOMPARE(p.ListBox1->count(), 0);
    QVERIFY(p.Button33->isEnabled());
  }

  void theSearchFindsTheTransmitterAndPickingItChangesTheLinkStrip() {
    SearchRig rig({{2, 9600, kParityEven}});
    const SearchPage& p = rig.page();
    rig.window.search.Button33->click();

    QCOMPARE(rig.found(), QStringList{"Скорость 9600  чет. пар. Сет. номер 2"});
    QCOMPARE(rig.messages(), std::vector<std::string>{"Процедура поиска завершена."});
    QCOMPARE(rig.prompt.records[0].caption, std::string("Ход поиска"));
    QCOMPARE(p.Panel11->text(), QString());
    QCOMPARE(p.progress->value(), 18);  // 2 rates, 3 parities, 3 addresses
    QCOMPARE(p.progress->maximum(), 18);
    QVERIFY(p.Button33->isEnabled());
    // The link the search started with is back.
    const TopStrip& s = rig.window.strip;
    QCOMPARE(s.Label5->text(), QString("COM1, 19200 , без паритета "));
    QCOMPARE(rig.port.baud(), 19200u);
    QCOMPARE(rig.port.parity(), uint16_t{kParityNone});

    QListWidget* list = p.ListBox1;
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(0)).center());
    QCOMPARE(s.ComboBox2->currentText(), QString("9600"));
    QVERIFY(s.CheckBox1->isChecked());
    QVERIFY(s.CheckBox2->isChecked());
    QCOMPARE(s.ComboBox3->currentIndex(), 2);
    QCOMPARE(s.Label5->text(), QString("COM1, 9600 , четный паритет "));
    QCOMPARE(rig.port.baud(), 9600u);
    QCOMPARE(rig.port.parity(), uint16_t{kParityEven});
    rig.prompt.records.clear();
    rig.window.measure.Button17->click();
    QCOMPARE(rig.messages(), std::vector<std::string>{"Прочитано измеренное значение."});
  }

  void whileRunningTheLinkIsLockedAndStopEndsIt() {
    SearchRig rig({{1, 19200, kParityNone}, {4, 19200, kParityNone}});
    const SearchPage& p = rig.page();
    // Only 19200 without parity, the range given backwards.
    for (QCheckBox* box : {p.CheckBox12, p.CheckBox16, p.CheckBox17}) box->setChecked(false);
    p.ComboBox12->setCurrentIndex(5);
    p.ComboBox13->setCurrentIndex(1);

    struct Seen {
      QString progress, bar, first, last;
      bool start, rate, unit, rateBox, stop;
    };
    std::vector<Seen> seen;
    rig.pump.on_dispatch = [&] {
      if (p.Panel11->text().isEmpty()) return;
      seen.push_back({p.Panel11->text(), p.progress->text(), p.ComboBox12->currentText(), p.ComboBox13->currentText(),
                      p.Button33->isEnabled(), rig.window.strip.ComboBox2->isEnabled(),
                      rig.window.sensor.ComboBox10->isEnabled(), p.CheckBox13->isEnabled(), p.Button34->isEnabled()});
      if (p.Panel11->text().endsWith("номер прибора 2")) p.Button34->click();
    };
    p.Button33->click();
    rig.pump.on_dispatch = nullptr;

    QVERIFY(!seen.empty());
    const Seen& during = seen.back();
    QCOMPARE(during.progress, QString("Проверяется скорость 19200 без паритета номер прибора 2"));
    QVERIFY2(during.bar.startsWith("1 / 5   осталось ≈ "), qPrintable(during.bar));
    QCOMPARE(during.first, QString("  1"));
    QCOMPARE(during.last, QString("  5"));
    QVERIFY(!during.start && !during.rate && !during.unit && !during.rateBox);
    QVERIFY(during.stop);
    QCOMPARE(rig.found(), QStringList{"Скорость 19200  без парит. Сет. номер 1"});
    QCOMPARE(rig.messages(), std::vector<std::string>{"Процедура поиска завершена пользователем."});
    QCOMPARE(p.progress->value(), 2);
    QVERIFY(p.Button33->isEnabled() && rig.window.strip.ComboBox2->isEnabled() && p.CheckBox13->isEnabled());
    QCOMPARE(rig.session->context.link.address, uint16_t{1});
  }

  // Closing the window ends a running search after its probe, silently; the
  // close itself waits until the line is free, then leaves the port closed.
  void closingTheWindowEndsTheSearch() {
    SearchRig rig({{1, 19200, kParityNone}});
    size_t probes = 0;
    rig.pump.on_dispatch = [&] {
      if (rig.page().Panel11->text().endsWith("номер прибора 2") && probes++ == 0) rig.window.close();
    };
    rig.page().Button33->click();
    rig.pump.on_dispatch = nullptr;
    QTRY_VERIFY(!rig.port.is_open());
    QVERIFY(rig.prompt.records.empty());
    QCOMPARE(rig.page().progress->value(), 4);  // address 1 with three parities, then 2
    QCOMPARE(rig.session->context.link.rate_index, uint16_t{7});
  }
};

}  // namespace orn

QTEST_MAIN(orn::SearchTest)
#include "search_test.moc"
