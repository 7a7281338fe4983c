#include "ui/stop_signals.h"

#include <QSocketNotifier>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace orn {
namespace {

constexpr int kStopSignals[] = {SIGTERM, SIGHUP, SIGINT};
// The write end for the handler; -1 when no StopSignals exists.
int signalSocket[2] = {-1, -1};

void onSignal(int number) {
  const int saved = errno;
  const char byte = static_cast<char>(number);
  (void)!::write(signalSocket[0], &byte, 1);
  errno = saved;
}

}  // namespace

StopSignals::StopSignals() {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalSocket) != 0) return;
  struct sigaction action {};
  action.sa_handler = onSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int number : kStopSignals) sigaction(number, &action, nullptr);
}

StopSignals::~StopSignals() {
  for (int number : kStopSignals) signal(number, SIG_DFL);
  for (int& fd : signalSocket) {
    if (fd >= 0) ::close(fd);
    fd = -1;
  }
}

void StopSignals::listen(std::function<void()> onStop) {
  onStop_ = std::move(onStop);
  if (signalSocket[1] < 0 || notifier_ != nullptr) return;
  notifier_ = new QSocketNotifier(signalSocket[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::readSignal);
}

void StopSignals::readSignal() {
  char bytes[16];
  while (::read(signalSocket[1], bytes, sizeof bytes) > 0) {
  }
  if (onStop_) onStop_();
}

}  // namespace orn
