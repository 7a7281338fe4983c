// Times the trend chart with a full buffer (24 hours of reads one second
// apart): the reduction and series update of a redraw, and painting the chart,
// for a smooth signal and for one where every other read failed.
// Usage: trend_bench [ROUNDS] [WIDTH HEIGHT]; runs offscreen unless a display is set.
#include <QApplication>
#include <QChartView>
#include <QComboBox>
#include <QElapsedTimer>
#include <QPixmap>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "support/fakes.h"
#include "ui/trend_window.h"

namespace {

constexpr int64_t kStart = 1'765'000'000'000;

struct Figures {
  double median_ms;
  double max_ms;
};

template <typename F>
Figures time_rounds(int rounds, F&& step) {
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    QElapsedTimer t;
    t.start();
    step(i);
    ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
  }
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back()};
}

void run(const char* name, bool gaps, int rounds, int width, int height) {
  orn::test::ScriptedPrompt prompt;
  orn::TrendWindow trend(prompt, nullptr);
  trend.resize(width, height);
  for (int64_t i = 0; i < static_cast<int64_t>(orn::kTrendCapacity); ++i) {
    orn::TrendSample s{kStart + i * 1000, 0.0f, 0, 0x0200, 0, true};
    s.value = 100.0f + 20.0f * std::sin(static_cast<float>(i) / 5000.0f) + static_cast<float>(i % 13) * 0.05f;
    if (gaps && i % 2) {
      s.good = false;
      s.faults = 0x806E;
    }
    trend.addSample(s);
  }
  trend.spanBox->setCurrentIndex(3);  // 24 h: the whole buffer
  trend.show();
  QApplication::processEvents();
  QPixmap canvas(trend.view()->size());
  // The widget's own render(), as a repaint of the view would paint it.
  QWidget* view = trend.view();

  int64_t next = kStart + static_cast<int64_t>(orn::kTrendCapacity) * 1000;
  const Figures update = time_rounds(rounds, [&](int) {
    trend.addSample({next, 101.0f, 0, 0x0200, 0, true});  // a new read redraws the visible chart
    next += 1000;
  });
  const Figures paint = time_rounds(rounds, [&](int) { view->render(&canvas); });
  const Figures both = time_rounds(rounds, [&](int) {
    trend.redraw();
    view->render(&canvas);
  });
  std::printf("%-22s %6zu samples -> %5zu points in %4zu runs over %4zu columns (%dx%d)\n", name,
              trend.buffer().size(), trend.drawnPoints(), trend.drawnRuns(), trend.drawnColumns(), width, height);
  std::printf("  new sample + redraw: median %7.2f ms, max %7.2f ms\n", update.median_ms, update.max_ms);
  std::printf("  paint:               median %7.2f ms, max %7.2f ms\n", paint.median_ms, paint.max_ms);
  std::printf("  redraw + paint:      median %7.2f ms, max %7.2f ms\n", both.median_ms, both.max_ms);
}

}  // namespace

int main(int argc, char** argv) {
  if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 50;
  const int width = argc > 3 ? std::atoi(argv[2]) : 1280;
  const int height = argc > 3 ? std::atoi(argv[3]) : 600;
  run("smooth", false, rounds, width, height);
  run("every other read lost", true, rounds, width, height);
  return 0;
}
