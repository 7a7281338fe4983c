// The window program's command line.
#include <QTest>

#include "ui/options.h"

class OptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void acceptsEveryOption();
  void rejectsBadValues_data();
  void rejectsBadValues();
};

void OptionsTest::acceptsEveryOption() {
  const orn::OptionsResult r = orn::parseOptions(
      {"orn20mb", "--demo", "--port-map", "1=/dev/pts/3", "--port-map=200=/dev/serial/by-id/x=y",
       "--screenshot", "/tmp/w.png", "--page", "2", "--press", "Button17", "--press", "Button9",
       "--port-map", "120=tcp:192.168.1.50:4001", "--trend", "30"});
  QCOMPARE(r.error, QString());
  QVERIFY(r.options.demo);
  QCOMPARE(r.options.portMaps.size(), 3u);
  QCOMPARE(r.options.portMaps[2].second, "tcp:192.168.1.50:4001");
  QCOMPARE(r.options.trendSeconds, std::optional<int>(30));
  QCOMPARE(r.options.portMaps[0].first, 1);
  QCOMPARE(r.options.portMaps[0].second, "/dev/pts/3");
  QCOMPARE(r.options.portMaps[1].first, 200);
  QCOMPARE(r.options.portMaps[1].second, "/dev/serial/by-id/x=y");
  QCOMPARE(r.options.screenshot, "/tmp/w.png");
  QCOMPARE(r.options.page, std::optional<int>(2));
  QCOMPARE(r.options.press, QStringList({"Button17", "Button9"}));

  const orn::OptionsResult plain = orn::parseOptions({"orn20mb"});
  QCOMPARE(plain.error, QString());
  QVERIFY(!plain.options.demo);
  QVERIFY(plain.options.portMaps.empty());
  QVERIFY(!plain.options.page);
  QVERIFY(!plain.options.trendSeconds);
}

void OptionsTest::rejectsBadValues_data() {
  QTest::addColumn<QStringList>("arguments");
  QTest::newRow("port map without =") << QStringList{"--port-map", "3"};
  QTest::newRow("port map without path") << QStringList{"--port-map", "3="};
  QTest::newRow("port number 0") << QStringList{"--port-map", "0=/dev/ttyS0"};
  QTest::newRow("port number 256") << QStringList{"--port-map", "256=/dev/ttyS0"};
  QTest::newRow("port number not a number") << QStringList{"--port-map", "COM3=/dev/ttyS0"};
  QTest::newRow("page 4") << QStringList{"--page", "4"};
  QTest::newRow("page -1") << QStringList{"--page", "-1"};
  QTest::newRow("page text") << QStringList{"--page", "one"};
  QTest::newRow("trend seconds negative") << QStringList{"--trend", "-1"};
  QTest::newRow("trend seconds above an hour") << QStringList{"--trend", "3601"};
  QTest::newRow("unknown option") << QStringList{"--fast"};
  QTest::newRow("missing value") << QStringList{"--screenshot"};
  QTest::newRow("stray argument") << QStringList{"file.prf"};
}

void OptionsTest::rejectsBadValues() {
  QFETCH(QStringList, arguments);
  arguments.prepend("orn20mb");
  QVERIFY(!orn::parseOptions(arguments).error.isEmpty());
}

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
