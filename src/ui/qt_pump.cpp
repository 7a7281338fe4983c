#include "ui/qt_pump.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <chrono>
#include <thread>

#include "link/scoped_flag.h"

namespace orn {

QtPump::QtPump() {
  timer5_.setObjectName("Timer5");
  timer5_.setSingleShot(true);
  // A coarse timer may tick up to 5 % early; the pause before a repeated attempt must not.
  timer5_.setTimerType(Qt::PreciseTimer);
}

void QtPump::dispatch() {
  ScopedCount inside(depth_);
  QCoreApplication::processEvents();
}

void QtPump::wait(uint32_t ms) {
  ScopedCount inside(depth_);
  QElapsedTimer elapsed;
  elapsed.start();
  const uint64_t mine = ++armings_;
  timer5_.start(std::chrono::milliseconds(ms));
  for (;;) {
    // Blocks between events instead of spinning; the timer's own tick wakes it.
    while (timer5_.isActive()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // A nested wait re-armed the timer, or the close ended the wait: that tick ends this wait too.
    if (armings_ != mine) return;
    const qint64 left = static_cast<qint64>(ms) - elapsed.elapsed();
    if (left <= 0) return;
    // The timer ticked before the full pause had passed: wait for the rest.
    timer5_.start(std::chrono::milliseconds(left));
  }
}

void QtPump::sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace orn
