// The window "График": opened from the main menu, fed by the reads of the
// measured-value page, bounded drawing of a full day, gaps, scale, pause,
// clear and the two exports.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "window_rig.h"

namespace orn {
namespace {

constexpr int64_t kStart = 1'765'000'000'000;

TrendSample good(int64_t t, float v) { return {t, v, 0, 0x0200, 0, true}; }


}  // namespace

class TrendWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void theMenuItemFollowsTheFileMenuAndOpensTheChart() {
    Rig rig(101.325);
    const QList<QAction*> items = rig.window.menu.MainMenu1->actions();
    QCOMPARE(items.size(), 2);
    // Captions only: the '&' of the mnemonic is not shown.
    QCOMPARE(items[0]->text().remove('&'), QString("Файл"));
    QCOMPARE(items[1], rig.window.menu.TrendMenuItem);
    QCOMPARE(items[1]->text().remove('&'), QString("График"));
    TrendWindow* trend = rig.session->trend;
    QVERIFY(!trend->isVisible());
    rig.window.menu.TrendMenuItem->trigger();
    QVERIFY(trend->isVisible());
    QCOMPARE(trend->windowTitle(), QString("График"));
    QVERIFY(trend->isWindow());
  }

  void everyReadOfThePageReachesTheChartAndAFailureIsAGap() {
    Rig rig(101.325);
    TrendWindow* trend = rig.session->trend;
    trend->show();
    rig.window.measure.Button17->click();  // single read
    rig.line.faults().push({sim::FaultKind::Silence, 0});
    rig.line.faults().push({sim::FaultKind::Silence, 0});
    rig.window.measure.Button17->click();  // failed: two silent attempts
    rig.window.measure.Button18->click();
    rig.session->measure.Timer4Timer();  // polling
    rig.window.measure.Button45->click();  // latch: a write, no sample
    rig.window.measure.Button44->click();  // latched read
    const TrendBuffer& b = trend->buffer();
    QCOMPARE(b.size(), 4u);
    QVERIFY(b.at(0).good);
    QCOMPARE(b.at(0).value, 101.325f);
    QVERIFY(!b.at(1).good);
    QCOMPARE(b.at(1).faults & 0x0040, 0x0040);
    QVERIFY(b.at(2).good);
    QVERIFY(b.at(3).good);
    QCOMPARE(trend->drawnRuns(), 2u);
    QCOMPARE(trend->plot()->valueTitle(), QString("PIZMF, кПа"));
  }

  void aFullDayIsDrawnWithAFewPointsPerColumn() {
    test::ScriptedPrompt prompt;
    TrendWindow trend(prompt, nullptr);
    for (int64_t i = 0; i < static_cast<int64_t>(kTrendCapacity) + 10; ++i)
      trend.addSample(good(kStart + i * 1000, static_cast<float>(i % 1000)));
    trend.show();
    trend.spanBox->setCurrentIndex(3);  // 24 h
    QCOMPARE(trend.buffer().size(), kTrendCapacity);
    QVERIFY(trend.drawnColumns() >= 100u);
    QVERIFY(trend.drawnColumns() <= static_cast<size_t>(trend.width()));
    QVERIFY(trend.drawnPoints() <= 2 * trend.drawnColumns());
    QVERIFY(trend.drawnPoints() >= trend.drawnColumns());
    QCOMPARE(trend.drawnRuns(), 1u);
  }

  void theLineBreaksAtFailedReadsAndALoneReadIsADot() {
    test::ScriptedPrompt prompt;
    TrendWindow trend(prompt, nullptr);
    trend.show();
    // Good reads for 0..19 s and 50..59 s, one good read alone at 40 s, failed ones between.
    for (int64_t s = 0; s < 60; ++s) {
      const bool ok = s < 20 || s == 40 || s >= 50;
      trend.addSample(ok ? good(kStart + s * 1000, 10.0f + static_cast<float>(s % 3))
                         : TrendSample{kStart + s * 1000, 0.0f, 0, 0, 0x0040, false});
    }
    const QImage image = trend.plot()->grab().toImage();
    const QRect area = trend.plot()->plotArea();
    const QRgb line = qRgb(0, 90, 200);  // the plot's line colour
    auto inkedAt = [&](int64_t s) {
      const int x = area.left() + static_cast<int>(s * area.width() / 59);
      for (int y = area.top() + 1; y < area.bottom(); ++y)
        if (image.pixel(x, y) == line) return true;
      return false;
    };
    for (const int64_t s : {5, 15, 40, 55}) QVERIFY2(inkedAt(s), qPrintable(QString("no line at %1 s").arg(s)));
    for (const int64_t s : {25, 30, 35, 45}) QVERIFY2(!inkedAt(s), qPrintable(QString("a line at %1 s").arg(s)));
  }

  void pauseClearAndAFixedRange() {
    test::ScriptedPrompt prompt;
    TrendWindow trend(prompt, nullptr);
    trend.show();
    trend.addSample(good(kStart, 10.0f));
    trend.addSample(good(kStart + 1000, 20.0f));
    QCOMPARE(trend.drawnPoints(), 2u);
    QVERIFY(trend.plot()->valueMin() < 10.0 && trend.plot()->valueMax() > 20.0);

    trend.pauseButton->click();
    trend.addSample(good(kStart + 2000, 30.0f));
    QCOMPARE(trend.drawnPoints(), 2u);  // paused: recorded, not drawn
    trend.pauseButton->click();
    QCOMPARE(trend.drawnPoints(), 3u);

    trend.autoScale->click();
    QVERIFY(trend.rangeMin->isEnabled());
    trend.rangeMin->setText("0");
    trend.rangeMax->setText("100,5");  // a typed "," is a decimal point
    trend.redraw();
    QCOMPARE(trend.plot()->valueMin(), 0.0);
    QCOMPARE(trend.plot()->valueMax(), 100.5);
    trend.rangeMax->setText("-1");  // not above the minimum: the automatic range
    trend.redraw();
    QVERIFY(trend.plot()->valueMax() > 30.0 && trend.plot()->valueMax() < 32.0);

    trend.clearButton->click();
    QCOMPARE(trend.buffer().size(), 0u);
    QCOMPARE(trend.drawnPoints(), 0u);
  }

  void savesPngAndCsvAndReportsAFileThatCannotBeWritten() {
    test::ScriptedPrompt prompt;
    TrendWindow trend(prompt, nullptr);
    trend.show();
    trend.addSample(good(kStart, 99.5f));
    QTemporaryDir dir;
    QVERIFY(trend.savePng(dir.filePath("trend.png")));
    QImage image(dir.filePath("trend.png"));
    QVERIFY(!image.isNull());
    QCOMPARE(image.size(), trend.plot()->size() * trend.plot()->devicePixelRatio());
    QVERIFY(trend.saveCsv(dir.filePath("trend.csv")));
    QFile csv(dir.filePath("trend.csv"));
    QVERIFY(csv.open(QIODevice::ReadOnly));
    QCOMPARE(csv.readAll().split('\n').size(), 3);  // header, one line, final line end
    QVERIFY(prompt.records.empty());

    QVERIFY(!trend.savePng("/nonexistent-folder/trend.png"));
    QVERIFY(!trend.saveCsv("/nonexistent-folder/trend.csv"));
    QCOMPARE(prompt.records.size(), 2u);
    QCOMPARE(prompt.records[0].text, std::string("Не удалось записать файл /nonexistent-folder/trend.png"));
    QCOMPARE(prompt.records[1].caption, std::string("Ошибка"));
  }
};

}  // namespace orn

QTEST_MAIN(orn::TrendWindowTest)
#include "trend_window_test.moc"
