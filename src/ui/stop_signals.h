#pragma once
// SIGTERM, SIGHUP (the terminal was closed) and SIGINT (Ctrl+C) end the
// window through its normal shut-down. The handler itself only writes the
// signal's number into a socket pair, which is async-signal-safe; a notifier
// reads it in the event loop and runs the shut-down there.
#include <QObject>
#include <functional>

class QSocketNotifier;

namespace orn {

class StopSignals final : public QObject {
 public:
  // Installs the handlers. A signal that arrives before listen() waits in the
  // socket and is delivered then.
  StopSignals();
  ~StopSignals() override;
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  // From now on each stop signal runs onStop in the event loop.
  void listen(std::function<void()> onStop);

 private:
  void readSignal();

  QSocketNotifier* notifier_ = nullptr;
  std::function<void()> onStop_;
};

}  // namespace orn
