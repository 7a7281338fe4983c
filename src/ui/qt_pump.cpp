#include "ui/qt_pump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <chrono>
#include <thread>

#include "link/scoped_flag.h"

namespace orn {

QtPump::QtPump() {
  timer5_.setObjectName("Timer5");
  timer5_.setSingleShot(true);
}

void QtPump::dispatch() {
  ScopedCount inside(depth_);
  QCoreApplication::processEvents();
}

void QtPump::wait(uint32_t ms) {
  ScopedCount inside(depth_);
  timer5_.start(std::chrono::milliseconds(ms));
  // Blocks between events instead of spinning; the timer's own tick wakes it.
  while (timer5_.isActive()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void QtPump::sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

}  // namespace orn
