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
  // The pumped wait on the one-shot Timer5. A wait started while another one
  // runs re-arms the same timer, so its tick ends both waits.
  void wait(uint32_t ms) override;
  // A plain thread sleep; no event is processed.
  void sleep(uint32_t ms) override;

  const QTimer& timer() const { return timer5_; }

 private:
  QTimer timer5_;
};

}  // namespace orn
