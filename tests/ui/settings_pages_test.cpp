// The pages "Настройки датчика" and "Параметры обмена" against the simulated
// transmitter: reads, writes that change its registers, the edited marks,
// the keystroke filters, the fields parsed on every change and the unit choice.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <string>

#include "device/value_codec.h"
#include "sim/register_map.h"
#include "ui/edit_marks.h"
#include "window_rig.h"

namespace orn {
namespace {

std::string lastText(const Rig& rig) { return rig.prompt.records.empty() ? "" : rig.prompt.records.back().text; }

bool asked(const Rig& rig, const std::string& text) {
  for (const auto& r : rig.prompt.records)
    if (r.question && r.text == text) return true;
  return false;
}

// The journal's rows from the command on: "COMMAND;NAME;BEFORE;AFTER;OUTCOME".
QStringList journalRows(const Rig& rig) {
  QStringList rows = QString::fromUtf8(rig.file("changes.csv")).split('\n', Qt::SkipEmptyParts);
  if (!rows.isEmpty()) rows.removeFirst();
  for (QString& row : rows) row = row.section(';', 5);
  return rows;
}

QString deviceText(sim::Transmitter& device, uint16_t start, size_t words) {
  std::vector<uint16_t> regs(words);
  for (size_t i = 0; i < words; ++i) regs[i] = device.read_register(static_cast<uint16_t>(start + i), 0);
  return QString::fromStdString(unpack_text(regs.data(), words));
}

}  // namespace

class SettingsPagesTest : public QObject {
  Q_OBJECT

 private slots:
  // Read, edit, write: the transmitter holds what was typed, and the marks
  // go aqua while edited and white again after the write.
  void sensorPageWriteReachesTheTransmitter() {
    Rig rig;
    SensorPage& p = rig.window.sensor;
    QStringList panel;  // what Panel12 shows while the exchange runs
    rig.pump.on_dispatch = [&] {
      if (!p.Panel12->isHidden() && !panel.contains(p.Panel12->text())) panel << p.Panel12->text();
    };
    p.Button20->click();
    QCOMPARE(lastText(rig), std::string("Чтение параметров датчика успешно осуществлено."));
    QCOMPARE(panel, QStringList{"Идет чтение настроек датчика"});
    QVERIFY(p.Panel12->isHidden());
    QCOMPARE(p.Edit7->text(), QString("250.0000   "));
    QVERIFY(!isMarkedEdited(p.Edit81));
    // The device's construction name is shown and is what a profile saves next.
    QCOMPARE(p.Edit22->text(), QString("ДИ 0...250 кПа"));
    QCOMPARE(rig.c().profile.konstr_txt, std::string("ДИ 0...250 кПа"));

    p.Edit81->selectAll();
    QTest::keyClicks(p.Edit81, "2,5");
    p.CheckBox5->click();
    p.ComboBox11->setCurrentIndex(7);
    p.Edit23->setText("Котёл 7");
    for (QWidget* edited : std::initializer_list<QWidget*>{p.Edit81, p.CheckBox5, p.ComboBox11, p.Edit23})
      QVERIFY2(isMarkedEdited(edited), qPrintable(edited->objectName()));
    QVERIFY(!isMarkedEdited(p.Edit82));

    rig.prompt.records.clear();
    p.Button21->click();
    QVERIFY(asked(rig, "Данные канала будут переписаны."));
    QVERIFY(!asked(rig, "Данные настроек еще ни разу не считывались, продолжить?"));
    QCOMPARE(lastText(rig), std::string("Запись параметров датчика успешно осуществлена."));
    sim::Transmitter& device = rig.line.device(0);
    QCOMPARE(device.read_register(sim::reg::NULCUTOFF, 0), encode_percent(2.5));
    QCOMPARE(device.read_register(sim::reg::XSQR, 0) & 1, 1);
    QCOMPARE(device.read_register(sim::reg::T90, 0), t90_register(7));
    QCOMPARE(deviceText(device, sim::reg::USER_TEXT, 8).trimmed(), QString("Котёл 7"));
    QVERIFY(!device.user_open());
    for (QWidget* edited : std::initializer_list<QWidget*>{p.Edit81, p.CheckBox5, p.ComboBox11, p.Edit23})
      QVERIFY2(!isMarkedEdited(edited), qPrintable(edited->objectName()));
  }

  // A write with nothing read asks the never-read question once per window,
  // also when it was answered No.
  void neverReadQuestionIsAskedOnce() {
    Rig rig;
    rig.prompt.answers = {false};
    rig.window.sensor.Button21->click();
    rig.window.sensor.Button38->click();
    int questions = 0;
    for (const auto& r : rig.prompt.records)
      questions += r.text == "Данные настроек еще ни разу не считывались, продолжить?";
    QCOMPARE(questions, 1);
    QCOMPARE(lastText(rig), std::string("Параметры прибора скопированы в область заводских установок."));
  }

  // The device and the program move to the new address, rate and parity
  // together, and the next read of the page reaches the device there.
  void exchangePageWriteMovesDeviceAndProgram() {
    Rig rig;
    ExchangePage& p = rig.window.exchange;
    p.Button9->click();
    QCOMPARE(lastText(rig), std::string("Чтение всех параметров закладки успешно осуществлено."));
    QCOMPARE(p.Edit1->text(), QString("1"));
    QCOMPARE(p.Edit2->text(), QString("2345"));

    p.ComboBox4->setCurrentIndex(3);  // 9600
    p.ComboBox5->setCurrentIndex(7);
    p.CheckBox3->setChecked(true);
    p.CheckBox4->setChecked(true);
    p.Edit89->setText("12");
    QCOMPARE(rig.c().image.rate, uint16_t{6});
    QCOMPARE(rig.c().image.parity, uint16_t{2});
    QCOMPARE(rig.c().image.dely, uint16_t{12});

    QStringList panel;  // what Panel45 shows while the write runs
    rig.pump.on_dispatch = [&] {
      if (!p.Panel45->isHidden() && !panel.contains(p.Panel45->text())) panel << p.Panel45->text();
    };
    p.Button1->click();
    QCOMPARE(lastText(rig), std::string("Запись параметров обмена модуля успешно осуществлена."));
    QCOMPARE(panel, (QStringList{"Идет запись параметров обмена", "Идет запись защиты от записи параметров"}));
    QVERIFY(p.Panel45->isHidden());
    sim::Transmitter& device = rig.line.device(0);
    QCOMPARE(device.link(), (sim::LinkSettings{7, 9600, 2}));
    QCOMPARE(device.read_register(sim::reg::DELY, 0), uint16_t{12});
    QCOMPARE(rig.c().link.address, uint16_t{7});
    QCOMPARE(rig.port.baud(), 9600u);
    QCOMPARE(rig.window.strip.ComboBox3->currentIndex(), 7);
    QVERIFY(!device.user_open());

    // The page takes its inputs as they are typed: "было" is what the read found.
    const QString command = "запись параметров обмена;";
    const QString outcome = ";записано, без проверки чтением";
    QCOMPARE(journalRows(rig), (QStringList{command + "DELY;0;12" + outcome, command + "ADR;1;7" + outcome,
                                            command + "RATE;7;6" + outcome, command + "PARITY;0;2" + outcome}));

    p.Button9->click();
    QCOMPARE(lastText(rig), std::string("Чтение всех параметров закладки успешно осуществлено."));
  }

  void deviceGapWriteAndRead() {
    Rig rig;
    ExchangePage& p = rig.window.exchange;
    p.ComboBox22->setEditText("50");
    p.Button42->click();
    QCOMPARE(lastText(rig), std::string("Запись дополнительного временного зазора между байтами успешно осуществлена."));
    QCOMPARE(rig.line.device(0).read_register(sim::reg::TimeGapDev, 0), uint16_t{50});
    p.ComboBox22->setEditText("0");
    p.Button41->click();
    QCOMPARE(p.ComboBox22->currentText(), QString("50"));
    // The second write sends what the device already holds: no row.
    p.Button42->click();
    QCOMPARE(journalRows(rig), QStringList{"запись временного зазора между байтами;TimeGapDev;0;50;записано, без "
                                           "проверки чтением"});
  }

  // Typed keys as the fields of each kind take them.
  void keystrokeFilters_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("range: sign and comma") << "Edit6" << "-1,5" << "-1.5";
    QTest::newRow("range: letters dropped") << "Edit7" << "2a5e" << "25";
    QTest::newRow("percent: no minus") << "Edit81" << "-5.2" << "5.2";
    QTest::newRow("percent: comma") << "Edit85" << "3,25" << "3.25";
    QTest::newRow("trim: only the point changes") << "Edit114" << "1,5x" << "1.5x";
    QTest::newRow("delay: digits only") << "Edit89" << "-1.2" << "12";
  }
  void keystrokeFilters() {
    QFETCH(QString, field);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Rig rig;
    auto* edit = rig.window.findChild<QLineEdit*>(field);
    QVERIFY(edit);
    edit->clear();
    edit->end(false);
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
  }

  // Every change of the reply delay and of the gaps is parsed and written back.
  void immediateIntegerFields() {
    Rig rig;
    ExchangePage& p = rig.window.exchange;
    p.Edit89->setText("0");
    p.Edit89->end(false);
    QTest::keyClicks(p.Edit89, "5");
    QCOMPARE(p.Edit89->text(), QString("5"));
    QCOMPARE(rig.c().image.dely, uint16_t{5});
    p.Edit89->clear();
    QCOMPARE(p.Edit89->text(), QString("0"));
    QCOMPARE(rig.c().image.dely, uint16_t{0});

    p.ComboBox22->setEditText("70");
    QCOMPARE(rig.c().image.time_gap_dev, uint16_t{70});
    p.ComboBox22->setEditText("");
    QCOMPARE(p.ComboBox22->currentText(), QString("0"));
    QCOMPARE(rig.c().image.time_gap_dev, uint16_t{0});
    p.ComboBox23->setEditText("x1");
    QCOMPARE(p.ComboBox23->currentText(), QString("0"));
    QCOMPARE(rig.c().exchange.time_gap_prg, uint16_t{0});
  }

  // A change of a page-2 choice takes every input with its messages, once,
  // and shows the page again from the image without coming back here.
  void page2InputsTakenAtOnce() {
    Rig rig;
    ExchangePage& p = rig.window.exchange;
    p.ComboBox20->setCurrentIndex(2);
    QCOMPARE(rig.c().image.fltype, uint16_t{2});
    QVERIFY(rig.prompt.records.empty());

    p.Edit3->setText("");
    p.ComboBox20->setCurrentIndex(3);
    QCOMPARE(rig.prompt.records.size(), size_t{2});
    QCOMPARE(rig.prompt.records[0].text, std::string("Вводимые данные не получается представить целым числом."));
    QCOMPARE(rig.prompt.records[1].text, std::string("Запись данных не будет производиться."));
    QCOMPARE(p.Edit3->text(), QString("10"));  // the model of a new recent.prf
    QCOMPARE(p.ComboBox20->currentIndex(), 2);  // not taken: the page shows the image again
  }

  // The trims are held in kPa and shown in the chosen unit.
  void unitChangeConvertsTheTrims() {
    Rig rig;
    rig.c().image.shift_scale = 100.0f;
    rig.c().image.shift_usr = 50.0f;
    SensorPage& p = rig.window.sensor;
    p.ComboBox10->setCurrentIndex(6);
    QCOMPARE(p.Label238->text(), QString("бар"));
    QCOMPARE(p.Label239->text(), QString("бар"));
    QCOMPARE(p.Edit114->text(), QString("1.000000     "));
    QCOMPARE(p.Edit115->text(), QString("0.500000     "));
    QVERIFY(isMarkedEdited(p.ComboBox10));

    p.ComboBox10->setCurrentIndex(2);
    QCOMPARE(p.ComboBox10->currentText(), QString("кПа"));
    QCOMPARE(p.Edit114->text(), QString("100.000000   "));
  }

  // Page 2 starts at the rate, parity and reply delay the last run left in
  // recent.prf, with the address of the link.
  void page2StartsAtTheLoadedSettings() {
    Rig rig(100.0, "[COM_SETTINGS]\r\nSettings=19200,N,8,1\r\nDELY=3\r\n[DEVICE]\r\nNetAdrr=5\r\n",
            "[NEW_COMM]\r\nNET_NUM=9\r\nNET_SPD=6\r\nNET_PAR=2\r\nNET_DELY=7\r\n");
    const ExchangePage& p = rig.window.exchange;
    QCOMPARE(p.ComboBox4->currentText(), QString("9600"));
    QCOMPARE(p.ComboBox5->currentIndex(), 5);
    QVERIFY(p.CheckBox3->isChecked());
    QVERIFY(p.CheckBox4->isChecked());
    QCOMPARE(p.Edit89->text(), QString("7"));
  }
};

}  // namespace orn

QTEST_MAIN(orn::SettingsPagesTest)
#include "settings_pages_test.moc"
