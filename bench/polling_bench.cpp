// The window's polling period as the line sees it: the window polls the
// simulated transmitter on its own event loop, and the time between the
// starts of successive requests is printed for 20 cycles. A cycle's request
// must come no earlier than 1000 ms after the previous cycle's work ended.
// Usage: polling_bench [CYCLES]; runs offscreen unless a display is set.
#include <QApplication>
#include <QPushButton>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "ui/window_rig.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("DISPLAY")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  const int cycles = argc > 1 ? std::max(2, std::atoi(argv[1])) : 20;
  orn::Rig rig{orn::RealEvents{}};
  using Clock = std::chrono::steady_clock;
  std::vector<Clock::time_point> requests;
  requests.reserve(static_cast<size_t>(cycles) + 1);
  rig.gate.swallow = [&](const std::vector<uint8_t>&) {
    requests.push_back(Clock::now());
    return false;
  };
  rig.window.show();
  rig.window.Timer4->start();
  rig.window.measure.Button18->click();
  while (requests.size() < static_cast<size_t>(cycles) + 1) app.processEvents(QEventLoop::WaitForMoreEvents);

  std::vector<double> gaps;
  for (size_t i = 1; i < requests.size(); ++i)
    gaps.push_back(std::chrono::duration<double, std::milli>(requests[i] - requests[i - 1]).count());
  std::printf("gaps between polling requests, ms:");
  for (double g : gaps) std::printf(" %.1f", g);
  std::sort(gaps.begin(), gaps.end());
  std::printf("\ncycles=%zu min=%.1f median=%.1f max=%.1f ms\n", gaps.size(), gaps.front(), gaps[gaps.size() / 2],
              gaps.back());
  return 0;
}
