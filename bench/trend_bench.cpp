// Times what the user sees of the trend chart with a full buffer (24 hours of
// reads one second apart): from a new sample in to the shown window's plot
// painted, the event loop included, for a smooth signal and for one where
// every other read failed, at two window sizes.
// Usage: trend_bench [ROUNDS]; runs offscreen unless a display is set.
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEvent>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/fakes.h"
#include "ui/trend_window.h"

namespace {

constexpr int64_t kStart = 1'765'000'000'000;
constexpr int kWarmUpRounds = 5;
constexpr qint64 kPaintTimeoutMs = 5000;

// Counts the paint events a widget receives.
class PaintCounter final : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

// Processes events until the counter has seen one more paint; the event that
// carried it has been handled (painted and flushed) when processEvents returns.
bool waitForPaint(const PaintCounter& counter, int before) {
  QElapsedTimer guard;
  guard.start();
  while (counter.paints == before) {
    if (guard.elapsed() > kPaintTimeoutMs) return false;
    QApplication::processEvents();
  }
  return true;
}

void fill(orn::TrendWindow& trend, bool gaps) {
  for (int64_t i = 0; i < static_cast<int64_t>(orn::kTrendCapacity); ++i) {
    orn::TrendSample s{kStart + i * 1000, 0.0f, 0, 0x0200, 0, true};
    s.value = 100.0f + 20.0f * std::sin(static_cast<float>(i) / 5000.0f) + static_cast<float>(i % 13) * 0.05f;
    if (gaps && i % 2) {
      s.good = false;
      s.faults = 0x806E;
    }
    trend.addSample(s);
  }
}

bool run(const char* name, bool gaps, int rounds, int width, int height) {
  orn::test::ScriptedPrompt prompt;
  orn::TrendWindow trend(prompt, nullptr);
  fill(trend, gaps);  // hidden: recorded, not drawn
  trend.spanBox->setCurrentIndex(3);  // 24 h: the whole buffer
  trend.resize(width, height);
  trend.show();
  PaintCounter counter;
  QWidget* plot = trend.plot();
  plot->installEventFilter(&counter);
  if (!waitForPaint(counter, 0)) {
    std::printf("%s %dx%d visible: the plot was never painted\n", name, width, height);
    return false;
  }

  int64_t next = kStart + static_cast<int64_t>(orn::kTrendCapacity) * 1000;
  std::vector<double> ms;
  for (int i = 0; i < kWarmUpRounds + rounds; ++i) {
    QApplication::processEvents();  // nothing left over from the round before
    const int before = counter.paints;
    QElapsedTimer t;
    t.start();
    trend.addSample({next, 101.0f, 0, 0x0200, 0, true});
    next += 1000;
    if (!waitForPaint(counter, before)) {
      std::printf("%s %dx%d visible: a new sample was not painted within %lld ms\n", name, width, height,
                  static_cast<long long>(kPaintTimeoutMs));
      return false;
    }
    if (i >= kWarmUpRounds) ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  std::printf("%s %dx%d visible median=%.2f ms max=%.2f ms\n", name, width, height, ms[ms.size() / 2], ms.back());
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  bool ok = true;
  for (const auto& [width, height] : {std::pair{1280, 600}, std::pair{1920, 1000}}) {
    ok = run("smooth", false, rounds, width, height) && ok;
    ok = run("gaps", true, rounds, width, height) && ok;
  }
  return ok ? 0 : 1;
}
