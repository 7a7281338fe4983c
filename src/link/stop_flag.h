#pragma once
// A request to stop the running command: a stop signal of the command-line
// program, or the window's close. Once it is raised no new transaction,
// attempt or pause starts, except inside a Finishing scope: the lock that
// closes a device's write protection again still runs whole, so a stop never
// leaves a device open.
#include <csignal>

#include "link/scoped_flag.h"

namespace orn {

class StopFlag {
 public:
  // Safe in a signal handler: one store of a sig_atomic_t.
  void raise(int number) { number_ = number; }
  int number() const { return number_; }
  bool raised() const { return number_ != 0; }
  // True when work must end now: raised, and no lock is being finished.
  bool stops() const { return number_ != 0 && finishing_ == 0; }

  // While it lives, the raised flag stops nothing.
  class Finishing {
   public:
    explicit Finishing(StopFlag& flag) : count_(flag.finishing_) {}

   private:
    ScopedCount count_;
  };

 private:
  volatile std::sig_atomic_t number_ = 0;
  int finishing_ = 0;
};

}  // namespace orn
