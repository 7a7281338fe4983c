// The window program run as a process: unattended screenshots, usage errors
// and the stop signals.
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <signal.h>

namespace {

struct Run {
  int exitCode = -1;
  QString stderrText;
};

// Each run starts in a folder of its own: the program keeps its last page and
// switches in recent.prf there, and a run must not inherit those of another.
Run runProgram(const QStringList& arguments, const QString& scale = "1") {
  QTemporaryDir folder;
  QProcess process;
  process.setWorkingDirectory(folder.path());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("QT_SCALE_FACTOR", scale);
  process.setProcessEnvironment(env);
  process.start(ORN20MB_PATH, arguments);
  if (!process.waitForFinished(60000)) return {};
  return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
          QString::fromUtf8(process.readAllStandardError())};
}

}  // namespace

class Orn20mbTest : public QObject {
  Q_OBJECT

 private slots:
  void screenshotOfEachPage_data();
  void screenshotOfEachPage();
  void screenshotAfterPressingButtons();
  void chartDuringPollingOfTheDemo();
  void usageErrors_data();
  void usageErrors();
  void helpNeedsNoDisplay();
  void captionsOnARealXServer();
  void stopSignalsRunTheShutDown_data();
  void stopSignalsRunTheShutDown();
};

void Orn20mbTest::screenshotOfEachPage_data() {
  QTest::addColumn<QString>("page");
  QTest::addColumn<QString>("scale");
  QTest::addColumn<QSize>("size");
  QTest::newRow("page 0") << "0" << "1" << QSize(1013, 726);
  QTest::newRow("page 1") << "1" << "1" << QSize(1013, 726);
  QTest::newRow("page 2") << "2" << "1" << QSize(1013, 726);
  QTest::newRow("page 3") << "3" << "1" << QSize(1013, 726);
  QTest::newRow("page 1 at 150 %") << "1" << "1.5" << QSize(1520, 1089);
}

void Orn20mbTest::screenshotOfEachPage() {
  QFETCH(QString, page);
  QFETCH(QString, scale);
  QFETCH(QSize, size);
  QTemporaryDir dir;
  const QString png = dir.filePath("window.png");
  const Run run = runProgram({"--screenshot", png, "--page", page}, scale);
  QCOMPARE(run.exitCode, 0);
  QImage image(png);
  QVERIFY(!image.isNull());
  QCOMPARE(image.size(), size);
}

void Orn20mbTest::screenshotAfterPressingButtons() {
  QTemporaryDir dir;
  const QString png = dir.filePath("pressed.png");
  const Run run = runProgram({"--screenshot", png, "--page", "3", "--press", "Button34",
                              "--press", "CheckBox12"});
  QCOMPARE(run.exitCode, 0);
  QVERIFY(!QImage(png).isNull());
}

// The chart window after three seconds of polling the built-in transmitter
// carries the line of its readings.
void Orn20mbTest::chartDuringPollingOfTheDemo() {
  QTemporaryDir dir;
  const QString png = dir.filePath("trend.png");
  const Run run = runProgram({"--demo", "--press", "Button18", "--trend", "3", "--screenshot", png});
  QCOMPARE(run.exitCode, 0);
  const QImage image(png);
  QCOMPARE(image.size(), QSize(900, 480));
  int linePixels = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) == QColor(0, 90, 200)) ++linePixels;
  QVERIFY2(linePixels > 20, qPrintable(QString::number(linePixels)));
}

void Orn20mbTest::usageErrors_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::addColumn<QString>("mentions");
  QTest::newRow("unknown button") << QStringList{"--screenshot", "/tmp/never.png", "--press",
                                                 "Button999"}
                                  << "Button999";
  QTest::newRow("bad page") << QStringList{"--page", "9"} << "9";
  QTest::newRow("bad port map") << QStringList{"--port-map", "x"} << "--port-map";
}

void Orn20mbTest::usageErrors() {
  QFETCH(QStringList, arguments);
  QFETCH(QString, mentions);
  const Run run = runProgram(arguments);
  QCOMPARE(run.exitCode, 2);
  QVERIFY2(run.stderrText.contains(mentions), qPrintable(run.stderrText));
}

// --help is answered before the program looks for a display, so it works
// over ssh and in build scripts (the man pages are made from it).
void Orn20mbTest::helpNeedsNoDisplay() {
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.remove("DISPLAY");
  env.remove("WAYLAND_DISPLAY");
  process.setProcessEnvironment(env);
  process.start(ORN20MB_PATH, {"--help"});
  QVERIFY(process.waitForFinished(20000));
  QCOMPARE(process.exitStatus(), QProcess::NormalExit);
  QCOMPARE(process.exitCode(), 0);
  const QString help = QString::fromLocal8Bit(process.readAllStandardOutput());
  QVERIFY2(help.contains("--demo") && help.contains(ORN20MB_PATH), qPrintable(help));
  // Qt's headings come in Russian, whatever the locale.
  QVERIFY2(help.contains("Использование:") && help.contains("Параметры:") && !help.contains("Usage:"),
           qPrintable(help));
}

// The X server shows the captions exactly as set: the window's and a message
// box's, with nothing of the program's name appended.
void Orn20mbTest::captionsOnARealXServer() {
  if (QStandardPaths::findExecutable("xvfb-run").isEmpty() || QStandardPaths::findExecutable("xwininfo").isEmpty())
    QSKIP("needs xvfb-run and xwininfo");
  QTemporaryDir dir;
  // The write asks its first question and waits in that box; the window list
  // is read once the box is up.
  const QString script = QStringLiteral(
      "\"$0\" --demo --page 1 --press Button21 2>/dev/null & pid=$!\n"
      "for i in $(seq 1 150); do\n"
      "  case \"$(xwininfo -root -tree)\" in *'\"Подтвердите действие\"'*) break ;; esac\n"
      "  sleep 0.2\n"
      "done\n"
      "xwininfo -root -tree\n"
      "kill $pid; wait $pid\n");
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "xcb");
  env.insert("LANG", "C.UTF-8");
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(dir.path());
  process.start("xvfb-run", {"-a", "sh", "-c", script, ORN20MB_PATH});
  QVERIFY(process.waitForFinished(60000));
  const QString windows = QString::fromUtf8(process.readAllStandardOutput());
  QVERIFY2(windows.contains("\"DAVE ОРН MB 0.0.14\":"), qPrintable(windows));
  QVERIFY2(windows.contains("\"Подтвердите действие\":"), qPrintable(windows));
  QVERIFY2(!windows.contains("ОРН20 MB\""), qPrintable(windows));
}

void Orn20mbTest::stopSignalsRunTheShutDown_data() {
  QTest::addColumn<int>("signalNumber");
  QTest::newRow("SIGTERM") << SIGTERM;
  QTest::newRow("SIGHUP") << SIGHUP;
  QTest::newRow("SIGINT") << SIGINT;
}

// The shut-down writes dev.dat back, with the line settings ending in ",8,2"
// where the file created at start-up has ",8,1": that tells it ran.
void Orn20mbTest::stopSignalsRunTheShutDown() {
  QFETCH(int, signalNumber);
  QTemporaryDir dir;
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(dir.path());
  process.start(ORN20MB_PATH, {});
  QVERIFY(process.waitForStarted());
  QFile devDat(dir.filePath("dev.dat"));
  QTRY_VERIFY_WITH_TIMEOUT(devDat.exists(), 20000);
  QVERIFY(kill(static_cast<pid_t>(process.processId()), signalNumber) == 0);
  QVERIFY(process.waitForFinished(20000));
  QCOMPARE(process.exitStatus(), QProcess::NormalExit);
  QCOMPARE(process.exitCode(), 0);
  QVERIFY(devDat.open(QIODevice::ReadOnly));
  const QByteArray text = devDat.readAll();
  QVERIFY2(text.contains("Settings=19200,N,8,2\r\n"), text.constData());
}

QTEST_GUILESS_MAIN(Orn20mbTest)
#include "orn20mb_test.moc"
