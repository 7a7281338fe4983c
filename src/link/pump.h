#pragma once
// The event pump seam: lets long exchanges keep the window alive. The window's
// version processes Qt events; tests use a virtual clock that costs no real time.
#include <cstdint>

namespace orn {

class Pump {
 public:
  virtual ~Pump() = default;
  // Processes pending window events once.
  virtual void dispatch() = 0;
  // Waits ms milliseconds while processing window events (the pumped wait).
  virtual void wait(uint32_t ms) = 0;
  // Waits ms milliseconds without processing any event.
  virtual void sleep(uint32_t ms) = 0;
};

// A pump for programs without a window: waits are plain sleeps.
class BlockingPump final : public Pump {
 public:
  void dispatch() override {}
  void wait(uint32_t ms) override;
  void sleep(uint32_t ms) override;
};

}  // namespace orn
