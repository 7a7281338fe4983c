// The window wired to the core: start-up, the measured-value page, polling,
// the link strip and shut-down, against the simulated transmitter on an
// in-memory line (and one silent pseudo-terminal).
#include <QCheckBox>
#include <QElapsedTimer>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <functional>
#include <memory>

#include "link/posix_serial_port.h"
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "window_rig.h"

namespace orn {
namespace {

// A serial port that notes a close made while a transaction holds the line.
class WatchedPort final : public SerialPort {
 public:
  explicit WatchedPort(SerialPort& inner) : inner_(inner) {}
  bool open(const std::string& path, uint32_t baud, uint16_t parity) override {
    return inner_.open(path, baud, parity);
  }
  void close() override {
    if (busy && busy()) closedWhileBusy = true;
    inner_.close();
  }
  bool is_open() const override { return inner_.is_open(); }
  bool probe(const std::string& path) override { return inner_.probe(path); }
  void set_timeouts(const SerialTimeouts& t) override { inner_.set_timeouts(t); }
  void purge() override { inner_.purge(); }
  size_t write(const uint8_t* data, size_t n) override { return inner_.write(data, n); }
  size_t read(uint8_t* buf, size_t n) override {
    ++reads;
    return inner_.read(buf, n);
  }
  uint32_t take_line_errors() override { return inner_.take_line_errors(); }
  void set_rts(bool on) override { inner_.set_rts(on); }
  void set_dtr(bool on) override { inner_.set_dtr(on); }

  std::function<bool()> busy;
  bool closedWhileBusy = false;
  int reads = 0;

 private:
  SerialPort& inner_;
};

}  // namespace

class SessionTest : public QObject {
  Q_OBJECT

 private slots:
  void startupOpensTheConfiguredPort() {
    Rig rig;
    QVERIFY(rig.port.is_open());
    QCOMPARE(rig.port.baud(), 19200u);
    QCOMPARE(rig.window.strip.ComboBox1->currentText(), QString("COM1"));
    QCOMPARE(rig.window.strip.ComboBox1->itemData(0, Qt::ToolTipRole).toString(), QString("/dev/ttyS0"));
    QCOMPARE(rig.window.strip.Label5->text(), QString("COM1, 19200 , без паритета "));
    QVERIFY(rig.window.measure.Button18->isEnabled());
    QVERIFY(!rig.window.measure.Button19->isEnabled());
    QCOMPARE(rig.window.measure.Label54->text(), QString("0"));
    QVERIFY(rig.prompt.records.empty());
  }

  void singleReadFillsThePage() {
    Rig rig(101.325);
    rig.window.measure.Button17->click();
    const MeasurePage& p = rig.window.measure;
    QCOMPARE(p.value->text(), QString("101.3250   "));
    QCOMPARE(p.unit->text(), QString("кПа"));
    QCOMPARE(p.exchangeState->text(), QString("Нормальный обмен"));
    QCOMPARE(p.measureState->text(), QString("Нормальное измерение"));
    QCOMPARE(p.floatCoding->text(), QString("0 1 2 3"));
    QCOMPARE(p.value->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(rig.prompt.records.size(), 1u);
    QCOMPARE(rig.prompt.records[0].text, std::string("Прочитано измеренное значение."));
    QCOMPARE(rig.prompt.records[0].caption, std::string("Результат операции"));
  }

  void failedReadShowsTheExchangeErrorAndOneMessage() {
    Rig rig;
    rig.window.measure.Button17->click();  // a good read first: its values stay
    rig.prompt.records.clear();
    rig.silence(2);
    rig.window.measure.Button17->click();
    const MeasurePage& p = rig.window.measure;
    QCOMPARE(p.exchangeState->text(), QString("Ошибка в обмене"));
    QCOMPARE(p.exchangeState->palette().color(QPalette::Window), QColor(Qt::yellow));
    QCOMPARE(p.value->text(), QString("100.0000   "));
    QCOMPARE(p.unit->text(), QString("%"));
    QCOMPARE(rig.prompt.records.size(), 1u);
    QCOMPARE(rig.prompt.records[0].text, std::string("Ответа не было."));
    QCOMPARE(rig.prompt.records[0].caption, std::string("Ошибка в обмене."));
    QVERIFY(rig.file("izm.txt").isEmpty());
  }

  void pollingCountsGoodRetriedAndFailedCycles() {
    Rig rig;
    rig.window.measure.CheckBox7->click();  // log on
    rig.window.measure.Button18->click();
    QVERIFY(!rig.window.measure.Button17->isEnabled());
    rig.session->measure.Timer4Timer();  // good
    rig.silence(1);
    rig.session->measure.Timer4Timer();  // good after a retry
    rig.silence(2);
    rig.session->measure.Timer4Timer();  // failed
    const MeasurePage& p = rig.window.measure;
    QCOMPARE(p.Label54->text(), QString("3"));
    QCOMPARE(p.Label55->text(), QString("0"));
    QCOMPARE(p.Label56->text(), QString("1"));
    QCOMPARE(p.Label241->text(), QString("2"));
    QCOMPARE(p.exchangeState->text(), QString("Ошибка в обмене"));
    QVERIFY(rig.prompt.records.empty());  // polling shows no message box
    QVERIFY(rig.window.Timer4->isActive());
    // One line per cycle, the failed one repeating the last good values.
    const QList<QByteArray> lines = rig.file("izm.txt").split('\n');
    QCOMPARE(lines.size(), 4);
    QVERIFY(lines[0].endsWith("    \r"));
    QCOMPARE(lines[2], lines[1]);
    QVERIFY(lines[0].contains("PIZMF=   100.0000 IZMERR=   0 TIZMF=      23.50"));
  }

  void resetAsksBeforeClearingTheCounters() {
    Rig rig;
    rig.window.measure.Button18->click();
    rig.session->measure.Timer4Timer();
    rig.prompt.answers = {false, true};
    rig.window.measure.Button16->click();
    QCOMPARE(rig.window.measure.Label54->text(), QString("1"));
    rig.window.measure.Button16->click();
    QCOMPARE(rig.window.measure.Label54->text(), QString("0"));
    QCOMPARE(rig.prompt.records[0].text, std::string("Счетчики циклов и ошибок будут сброшены!"));
    QCOMPARE(rig.prompt.records[0].caption, std::string("Предупреждение"));
  }

  void aPageChangeStopsPolling() {
    Rig rig;
    rig.window.measure.Button18->click();
    QVERIFY(rig.c().polling);
    rig.window.TabbedNotebook1->setCurrentIndex(MainWindow::ExchangePageIndex);
    QVERIFY(!rig.c().polling);
    QVERIFY(rig.window.measure.Button17->isEnabled());
    QVERIFY(rig.window.measure.Button18->isEnabled());
    QVERIFY(!rig.window.measure.Button19->isEnabled());
    const size_t sent = rig.port.sent.size();
    rig.session->measure.Timer4Timer();
    QCOMPARE(rig.port.sent.size(), sent);  // no further transaction
  }

  void initPresetAsksThenSetsTheInitLink() {
    Rig rig;
    rig.c().link = {1, 6, kParityEven, 5};
    rig.session->linkStrip.showLink();
    rig.prompt.answers = {false};
    rig.window.strip.Button15->click();
    QCOMPARE(rig.c().link.rate_index, uint16_t{6});
    QCOMPARE(rig.c().link.address, uint16_t{5});
    QCOMPARE(rig.prompt.records[0].caption, std::string("Подтвердите действие"));

    rig.prompt.answers = {true};
    rig.window.strip.Button15->click();
    QCOMPARE(rig.c().link.rate_index, uint16_t{7});
    QCOMPARE(rig.c().link.parity, uint16_t{0});
    QCOMPARE(rig.c().link.address, uint16_t{1});
    QCOMPARE(rig.c().link.port, uint16_t{1});
    QCOMPARE(rig.window.strip.ComboBox2->currentText(), QString("19200"));
    QVERIFY(!rig.window.strip.CheckBox2->isChecked());
    QCOMPARE(rig.port.baud(), 19200u);
  }

  void aChangedRateReopensThePortAndIsSavedAtClose() {
    Rig rig;
    rig.window.strip.ComboBox2->setCurrentIndex(3);  // "9600"
    rig.window.strip.CheckBox1->setChecked(true);
    rig.window.strip.CheckBox2->setChecked(true);
    rig.session->linkStrip.linkControlChanged();
    QCOMPARE(rig.port.baud(), 9600u);
    QCOMPARE(rig.window.strip.Label5->text(), QString("COM1, 9600 , четный паритет "));
    // The transmitter stays at 19200: the read gets no answer.
    rig.window.measure.Button17->click();
    QCOMPARE(rig.prompt.records.back().text, std::string("Ответа не было."));
    rig.window.exchange.ComboBox23->setEditText("50x");
    rig.window.close();
    QVERIFY(!rig.port.is_open());
    const QByteArray dev = rig.file("dev.dat");
    QVERIFY(dev.contains("Settings=9600,E,8,2\r\n"));
    QVERIFY(dev.contains("TimeGapPrg=0\r\n"));
    QCOMPARE(rig.window.exchange.ComboBox23->currentText(), QString("0"));
  }

  void blinkWritesTheBlinkRegister() {
    Rig rig;
    rig.window.strip.Button2->click();
    QVERIFY(rig.prompt.records.empty());
    QCOMPARE(rig.port.sent.back()[1], uint8_t{0x10});
    QCOMPARE(rig.port.sent.back()[2], uint8_t{0x04});
    QCOMPARE(rig.port.sent.back()[3], uint8_t{0x16});
  }

  // Address 255 sends without checking the answer: the page keeps what it
  // showed (nothing before the first read, then the last values), says the
  // answer was not checked, and the message tells why.
  void aReadAtAddress255ShowsNoUnreadValues() {
    Rig rig(101.325);
    rig.c().link.address = kAddressNoAnswerCheck;
    rig.window.measure.Button17->click();
    QCOMPARE(rig.window.measure.value->text(), QString());
    QCOMPARE(rig.window.measure.measureState->text(), QString());
    QCOMPARE(rig.window.measure.exchangeState->text(), QString("Ответ не проверен"));
    rig.c().link.address = 1;
    rig.window.measure.Button17->click();
    rig.prompt.records.clear();
    rig.c().link.address = kAddressNoAnswerCheck;
    rig.line.device(0).config().pressure.kpa = 50.0;
    rig.window.measure.Button17->click();
    const MeasurePage& p = rig.window.measure;
    QCOMPARE(rig.port.sent.back()[0], uint8_t{0xFF});
    QCOMPARE(p.value->text(), QString("101.3250   "));
    QCOMPARE(p.unit->text(), QString("кПа"));
    QCOMPARE(p.exchangeState->text(), QString("Ответ не проверен"));
    QCOMPARE(p.exchangeState->palette().color(QPalette::Window), QColor(Qt::yellow));
    QCOMPARE(rig.prompt.records.size(), 1u);
    QCOMPARE(rig.prompt.records[0].text,
             std::string("Адрес 255: ответ прибора не проверяется, значения не прочитаны."));
    QVERIFY(rig.file("izm.txt").isEmpty());
  }

  // A close during a read on a silent line: the shut-down waits until the
  // line is free, the read makes no further attempt, the port is never closed
  // under the transaction and no message box appears; then dev.dat is saved.
  void aCloseDuringAnExchangeWaitsForTheLine() {
    const int pty = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(pty >= 0);
    QVERIFY(grantpt(pty) == 0 && unlockpt(pty) == 0);
    QTemporaryDir dir;
    MainWindow window;
    PosixSerialPort serial;
    serial.set_idle(&window.pump);
    WatchedPort port(serial);
    test::ScriptedPrompt prompt;
    test::FixedClock clock;
    Session session(window, port, window.pump, prompt, clock, dir.path().toStdString(),
                    {{1, ptsname(pty)}});
    port.busy = [&] { return session.context.master.busy(); };
    session.FormCreate();
    window.Timer4->stop();
    window.show();
    session.context.exchange.timeout = 300;
    session.context.exchange.reask_val = 3;
    for (uint16_t& per_byte : session.context.timeouts.rttm) per_byte = 0;  // each attempt waits 300 ms

    QTimer::singleShot(100, &window, [&] { window.close(); });
    QElapsedTimer elapsed;
    elapsed.start();
    window.measure.Button17->click();  // returns when the read has ended
    QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(port.reads, 1);  // no second attempt
    QVERIFY(port.is_open());  // not closed under the transaction
    QVERIFY(window.isVisible());
    QTRY_VERIFY(!window.isVisible());
    QVERIFY(!port.is_open());
    QVERIFY(!port.closedWhileBusy);
    QVERIFY(prompt.records.empty());
    QVERIFY(QFile::exists(dir.filePath("dev.dat")));
    ::close(pty);
  }

  // The window keeps processing events while a read waits on a silent line:
  // a timer keeps ticking and the stop button works in the middle of the read.
  void theWindowStaysAliveDuringASilentRead() {
    const int pty = posix_openpt(O_RDWR | O_NOCTTY);
    QVERIFY(pty >= 0);
    QVERIFY(grantpt(pty) == 0 && unlockpt(pty) == 0);
    QTemporaryDir dir;
    MainWindow window;
    PosixSerialPort port;
    port.set_idle(&window.pump);
    test::ScriptedPrompt prompt;
    test::FixedClock clock;
    Session session(window, port, window.pump, prompt, clock, dir.path().toStdString(),
                    {{1, ptsname(pty)}});
    session.FormCreate();
    window.Timer4->stop();
    QVERIFY(port.is_open());
    session.context.exchange.timeout = 300;
    session.context.exchange.reask_val = 1;

    // Between its own steps the master dispatches a handful of times; more ticks
    // than that while it is busy can only come from the wait inside the read.
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] { ticks += session.context.master.busy(); });
    ticker.start(5);
    QTimer::singleShot(20, window.measure.Button19, &QPushButton::click);
    window.measure.Button18->click();
    session.measure.Timer4Timer();  // blocks on the silent line for its time-out

    QVERIFY2(ticks > 20, qPrintable(QString::number(ticks)));
    QVERIFY(!session.context.polling);  // the stop button was handled during the read
    QCOMPARE(window.measure.Label54->text(), QString("1"));  // the running cycle completed
    QCOMPARE(window.measure.exchangeState->text(), QString("Ошибка в обмене"));
    window.close();
    ::close(pty);
  }
};

}  // namespace orn

QTEST_MAIN(orn::SessionTest)
#include "session_test.moc"
