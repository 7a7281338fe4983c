// The adjustment panel and the user trim fields in the window, against the
// simulated transmitter on an in-memory line.
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QtTest>

#include <algorithm>

#include "device/register_map.h"
#include "window_rig.h"

namespace orn {
namespace {

constexpr const char* kNeverRead = "Данные настроек еще ни разу не считывались, продолжить?";

// The window rig with the sensor 1.5 kPa off, so that a zero adjustment has work to do.
struct CalibRig : Rig {
  CalibRig() { line.device(0).config().sensor_offset_kpa = 1.5; }
  size_t asked(const std::string& text) const {
    size_t n = 0;
    for (const auto& r : prompt.records) n += r.question && r.text == text;
    return n;
  }
  bool told(const std::string& text) const {
    for (const auto& r : prompt.records)
      if (!r.question && r.text == text) return true;
    return false;
  }
  float deviceFloat(std::string_view reg) { return line.device(0).stored_float(reg_address(reg)); }
  static QColor base(const QLineEdit* edit) { return edit->palette().color(QPalette::Base); }
};

}  // namespace

class CalibTest : public QObject {
  Q_OBJECT

 private slots:
  // Open the panel, compute a zero, write it, close: the device then reads
  // the target, and the trim fields show the new user zero.
  void zeroAdjustmentFromOpenToClose() {
    CalibRig rig;
    const AdjustmentPanel& a = rig.window.sensor.adjust;
    rig.window.TabbedNotebook1->setCurrentIndex(MainWindow::SensorPageIndex);

    // Nothing read yet: the first trims write asks the never-read question,
    // the second does not, though the first was answered No.
    rig.prompt.answers = {false, false};
    rig.window.sensor.Button60->click();
    rig.window.sensor.Button60->click();
    QCOMPARE(rig.asked(kNeverRead), 1u);
    QCOMPARE(rig.asked("Данные сдвига шкалы, нуля и подстройки будут переписаны."), 1u);

    rig.window.sensor.Button43->click();
    QVERIFY(!a.Panel42->isHidden());
    QVERIFY(!rig.window.sensor.Button20->isEnabled());
    QVERIFY(!rig.window.sensor.Edit114->isEnabled());
    QVERIFY(a.Button46->isEnabled());
    QCOMPARE(a.value->text(), QString("101.5000   "));
    QCOMPARE(a.unit->text(), QString("кПа"));
    QCOMPARE(a.status->text(), QString("Прочитаны: измеренное значение, смещение и подстройка диапазона"));

    a.Edit93->setText("100");
    a.Button46->click();
    QCOMPARE(a.status->text(), QString("Смещение рассчитано, его можно записать"));
    QCOMPARE(a.Edit90->text(), QString("-1.500000    "));
    QCOMPARE(CalibRig::base(a.Edit90), QColor(0x00, 0xFF, 0x00));
    QVERIFY(a.Button47->isEnabled());

    a.Button47->click();
    QVERIFY(rig.told("Запись смещения датчика успешно осуществлена."));
    QCOMPARE(rig.deviceFloat("shift_usr"), -1.5f);
    QCOMPARE(CalibRig::base(a.Edit90), QColor(Qt::white));

    a.Button51->click();
    QVERIFY(a.Panel42->isHidden());
    QVERIFY(rig.window.sensor.Button20->isEnabled());
    QVERIFY(rig.told("Чтение параметров датчика успешно осуществлено."));
    QCOMPARE(rig.window.sensor.Edit115->text(), QString("-1.500000    "));
    QCOMPARE(rig.asked(kNeverRead), 1u);
  }

  // Leaving the page while the samples are taken ends the adjustment at its
  // next sample with nothing changed.
  void pageChangeEndsARunningAdjustment() {
    CalibRig rig;
    const AdjustmentPanel& a = rig.window.sensor.adjust;
    rig.window.TabbedNotebook1->setCurrentIndex(MainWindow::SensorPageIndex);
    rig.window.sensor.Button43->click();
    const QString before = a.Edit90->text();
    // After the third pause between samples.
    rig.pump.on_dispatch = [&] {
      if (std::count(rig.pump.waits.begin(), rig.pump.waits.end(), 250u) == 3 &&
          rig.window.TabbedNotebook1->currentIndex() == MainWindow::SensorPageIndex)
        rig.window.TabbedNotebook1->setCurrentIndex(0);
    };
    a.Button46->click();
    QCOMPARE(a.status->text(), QString());
    QCOMPARE(a.Edit90->text(), before);
    QVERIFY(a.Panel42->isHidden());
    QVERIFY(rig.window.sensor.Button20->isEnabled());
    QCOMPARE(rig.deviceFloat("shift_usr"), 0.0f);
  }

  // Read the trims, change the user zero, write: one 6-register write, then the lock.
  void trimFieldsReadAndWrite() {
    CalibRig rig;
    rig.window.TabbedNotebook1->setCurrentIndex(MainWindow::SensorPageIndex);
    // The panel's closing reads the sensor settings, with the range the checks need.
    rig.window.sensor.Button43->click();
    rig.window.sensor.adjust.Button50->click();
    rig.window.sensor.Button61->click();
    QCOMPARE(rig.window.sensor.Edit116->text(), QString("1.000000     "));
    QCOMPARE(rig.window.sensor.Label239->text(), QString("кПа"));
    rig.window.sensor.Edit115->setText("0.75");
    rig.window.sensor.Button60->click();
    QVERIFY(rig.told("Запись параметров датчика успешно осуществлена."));
    QCOMPARE(rig.deviceFloat("shift_usr"), 0.75f);
    QVERIFY(!rig.line.device(0).user_open());
    QCOMPARE(rig.asked(kNeverRead), 0u);
  }
};

}  // namespace orn

QTEST_MAIN(orn::CalibTest)
#include "calib_test.moc"
