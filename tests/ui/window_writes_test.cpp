// What the window writes into the transmitter: one operation at a time (a
// second command pressed during a write's pauses cannot run inside it), the
// controls locked while the adjustment panel is open, what the messages say
// about the write protection, and values the device cannot take.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <string>

#include "device/register_map.h"
#include "device/value_codec.h"
#include "sim/register_map.h"
#include "window_rig.h"

namespace orn {
namespace {

bool told(const Rig& rig, const std::string& text) {
  for (const auto& r : rig.prompt.records)
    if (!r.question && r.text == text) return true;
  return false;
}

std::string texts(const Rig& rig) {
  std::string all;
  for (const auto& r : rig.prompt.records) all += r.text + "\n";
  return all;
}

QString deviceText(sim::Transmitter& device, uint16_t start, size_t words) {
  std::vector<uint16_t> regs(words);
  for (size_t i = 0; i < words; ++i) regs[i] = device.read_register(static_cast<uint16_t>(start + i), 0);
  return QString::fromStdString(unpack_text(regs.data(), words));
}

constexpr uint16_t kLockStart = transfer(Transfer::ProtectionLock).start;

}  // namespace

class WindowWritesTest : public QObject {
  Q_OBJECT

 private slots:
  // Pages 1 and 2: a read or another write pressed while a write pauses
  // between its frames finds its button disabled; the write sends what was
  // typed, and afterwards the commands work again.
  void aCommandPressedDuringAWriteCannotRunInsideIt() {
    Rig rig{RealEvents{}};
    SensorPage& p = rig.window.sensor;
    int fileDialogs = 0;
    rig.session->profiles.chooseFile = [&](bool) {
      ++fileDialogs;
      return std::optional<ProfileHandlers::Chosen>{};
    };
    p.Button20->click();
    QVERIFY(told(rig, "Чтение параметров датчика успешно осуществлено."));
    p.Edit81->setText("3");
    p.Edit23->setText("Новый текст");

    struct Seen {
      bool fired = false, read = true, exchangeWrite = true, fileMenu = true, port = true;
    } seen;
    QTimer::singleShot(1000, &rig.window, [&] {
      seen = {true, p.Button20->isEnabled(), rig.window.exchange.Button1->isEnabled(),
              rig.window.menu.N2->isEnabled(), rig.window.strip.ComboBox3->isEnabled()};
      p.Button20->click();
      rig.window.exchange.Button1->click();
      rig.window.menu.N2->trigger();
    });
    rig.prompt.records.clear();
    p.Button21->click();  // returns when the write has ended

    sim::Transmitter& device = rig.line.device(0);
    QCOMPARE(device.read_register(sim::reg::NULCUTOFF, 0), encode_percent(3));
    QCOMPARE(deviceText(device, sim::reg::USER_TEXT, 8).trimmed(), QString("Новый текст"));
    QVERIFY(!device.user_open());
    QVERIFY(seen.fired);
    QVERIFY(!seen.read && !seen.exchangeWrite && !seen.fileMenu && !seen.port);
    QCOMPARE(fileDialogs, 0);
    QVERIFY2(!told(rig, "Чтение параметров датчика успешно осуществлено."), texts(rig).c_str());
    QVERIFY(told(rig, "Запись параметров датчика успешно осуществлена."));
    QVERIFY(p.Button20->isEnabled() && rig.window.exchange.Button1->isEnabled() && rig.window.menu.N2->isEnabled());
  }

  // Closing the window in the middle of a write starts no further write
  // group, but the lock still goes out: the device is not left open. No
  // message box appears, and the shut-down then runs.
  void aCloseDuringAWriteStartsNoNewWriteButLocks() {
    Rig rig{RealEvents{}};
    SensorPage& p = rig.window.sensor;
    rig.window.show();
    p.Button20->click();
    p.Edit23->setText("Не дойдет");  // the user text goes out late in the write
    sim::Transmitter& device = rig.line.device(0);
    const QString before = deviceText(device, sim::reg::USER_TEXT, 8);
    bool openDuringWrite = false;
    QTimer::singleShot(1000, &rig.window, [&] {
      openDuringWrite = device.user_open();
      rig.window.close();
    });
    rig.prompt.records.clear();
    p.Button21->click();

    QVERIFY(openDuringWrite);
    QCOMPARE(deviceText(device, sim::reg::USER_TEXT, 8), before);
    QVERIFY(!device.user_open());
    for (const auto& r : rig.prompt.records) QVERIFY2(r.question, r.text.c_str());  // no message box
    QTRY_VERIFY(!rig.window.isVisible());
    QVERIFY(QFile::exists(rig.dir.filePath("dev.dat")));
  }

  // While the panel is open nothing can change the device image or the link
  // under it: the File menu, the link strip and the other pages' commands
  // are locked; the panel's own buttons work, and closing it frees the rest.
  void theOpenAdjustmentPanelLocksEverythingThatCouldChangeItsDevice() {
    Rig rig;
    SensorPage& p = rig.window.sensor;
    p.Button43->click();
    QVERIFY(!p.adjust.Panel42->isHidden());
    const MainWindow& w = rig.window;
    QWidget* locked[] = {w.strip.ComboBox1, w.strip.ComboBox2, w.strip.ComboBox3, w.strip.CheckBox1,
                         w.strip.Button15, w.exchange.Button1, w.exchange.ComboBox5, w.measure.Button17,
                         w.search.Button33, p.Button20, p.Button21, p.Edit81, p.Button60};
    for (QWidget* control : locked) QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(!w.menu.N2->isEnabled() && !w.menu.N3->isEnabled());
    for (QWidget* live : std::initializer_list<QWidget*>{p.adjust.Button46, p.adjust.Button47, p.adjust.Button50})
      QVERIFY2(live->isEnabled(), qPrintable(live->objectName()));

    p.adjust.Button50->click();
    QVERIFY(p.adjust.Panel42->isHidden());
    for (QWidget* control : locked) QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
    QVERIFY(w.menu.N2->isEnabled() && w.menu.N3->isEnabled());
  }

  // "Success" only when the lock answered too. The writes that landed are
  // said, then that the protection could not be restored; a write that fails
  // after the unlock says that the device is left unlocked.
  void theMessagesSayWhatTheWriteProtectionWasLeftAt_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("swallowedStart");  // the write whose answer never comes
    QTest::addColumn<QString>("success");
    QTest::addColumn<QString>("failure");
    const QString noAnswer = "Ответа не было. ";
    QTest::newRow("page 1, lock") << "Button21" << int(kLockStart) << "Запись параметров датчика успешно осуществлена."
                                  << noAnswer + "Прибор мог остаться без защиты от записи.";
    QTest::newRow("page 1, a write") << "Button21" << int(sim::reg::XFSET) << ""
                                     << noAnswer + "Прибор оставлен без защиты от записи.";
    QTest::newRow("page 2, lock") << "Button1" << int(kLockStart) << "Запись параметров обмена модуля успешно осуществлена."
                                  << noAnswer + "Прибор мог остаться без защиты от записи.";
    QTest::newRow("device gap, lock") << "Button42" << int(kLockStart)
                                      << "Запись дополнительного временного зазора между байтами успешно осуществлена."
                                      << noAnswer + "Прибор мог остаться без защиты от записи.";
    QTest::newRow("factory settings, lock") << "Button38" << int(kLockStart)
                                            << "Параметры прибора скопированы в область заводских установок."
                                            << noAnswer + "Прибор мог остаться без защиты от записи.";
    QTest::newRow("trims, a write") << "Button60" << int(sim::reg::shift_usr) << ""
                                    << noAnswer + "Прибор оставлен без защиты от записи.";
  }
  void theMessagesSayWhatTheWriteProtectionWasLeftAt() {
    QFETCH(QString, button);
    QFETCH(int, swallowedStart);
    QFETCH(QString, success);
    QFETCH(QString, failure);
    Rig rig;
    rig.window.sensor.Button20->click();  // the trims' checks need the range
    rig.session->calib.showTrims();
    const auto start = static_cast<uint16_t>(swallowedStart);
    rig.gate.swallow = [start](const std::vector<uint8_t>& request) {
      if (start == kLockStart) return test::writes_zeros_to(request, start);
      return request.size() > 3 && request[1] == 0x10 && (request[2] << 8 | request[3]) == start;
    };
    rig.prompt.records.clear();
    auto* pressed = rig.window.findChild<QPushButton*>(button);
    QVERIFY(pressed);
    pressed->click();

    QVERIFY(rig.gate.swallowed > 0);
    QCOMPARE(told(rig, success.toStdString()), !success.isEmpty());
    QVERIFY2(told(rig, failure.toStdString()), texts(rig).c_str());
    QVERIFY(rig.line.device(0).user_open());  // the messages tell the truth
  }

  // A reply delay typed above 255 goes out as 255 (the field shows what was
  // typed); the device takes it and nothing is refused half-way.
  void aReplyDelayAbove255IsSentAs255() {
    Rig rig;
    rig.window.exchange.Edit89->setText("300");
    QCOMPARE(rig.window.exchange.Edit89->text(), QString("300"));
    rig.window.exchange.Button1->click();
    QVERIFY2(told(rig, "Запись параметров обмена модуля успешно осуществлена."), texts(rig).c_str());
    QCOMPARE(rig.line.device(0).read_register(sim::reg::DELY, 0), uint16_t{255});
  }

  // A user text the device cannot hold is refused before anything is sent.
  void aUserTextOutsideWindows1251IsRefused() {
    Rig rig;
    SensorPage& p = rig.window.sensor;
    p.Button20->click();
    sim::Transmitter& device = rig.line.device(0);
    const QString before = deviceText(device, sim::reg::USER_TEXT, 8);
    p.Edit23->setText("Café€ü");
    rig.prompt.records.clear();
    const size_t sent = rig.port.sent.size();
    p.Button21->click();
    QVERIFY(!rig.prompt.records.empty());
    const test::PromptRecord& last = rig.prompt.records.back();
    QCOMPARE(last.caption, std::string("Ошибка ввода"));
    QVERIFY(last.text.find("Windows-1251") != std::string::npos);
    QVERIFY(!told(rig, "Запись параметров датчика успешно осуществлена."));
    QCOMPARE(rig.port.sent.size(), sent);
    QCOMPARE(deviceText(device, sim::reg::USER_TEXT, 8), before);
    QVERIFY(!device.user_open());
  }
};

}  // namespace orn

QTEST_MAIN(orn::WindowWritesTest)
#include "window_writes_test.moc"
