#pragma once
// The window's event pump: exchanges call it between their steps so the
// window stays responsive while they block on the line.
#include <QTimer>

#include "link/pump.h"

namespace orn {

class QtPump final : public Pump {
 public:
  QtPump();
  // Processes the pending window events once.
  void dispatch() override;
  // The pumped wait on the one-shot Timer5, never shorter than ms. A wait
  // started while another one runs re-arms the same timer, so its tick ends
  // both waits.
  void wait(uint32_t ms) override;
  // A plain thread sleep; no event is processed.
  void sleep(uint32_t ms) override;

  const QTimer& timer() const { return timer5_; }
  // True while a caller has the pump process events (a transaction, a port
  // read or a pumped wait is on the stack below the handler now running).
  bool active() const { return depth_ > 0; }
  // Ends a pumped wait in progress at the next event (the window is closing).
  void endWait() {
    ++armings_;
    timer5_.stop();
  }

 private:
  QTimer timer5_;
  int depth_ = 0;
  uint64_t armings_ = 0;  // waits started and ended by endWait, to tell whose tick ended a wait
};

}  // namespace orn
