#pragma once
// A master on a port of the test's choice with the settings at their
// defaults: the rig most exchange tests build on. Tests derive from it and
// use its members by name (sim_master_rig.h: the same on a simulated line).
#include <utility>

#include "link/link_params.h"
#include "link/modbus_master.h"
#include "support/fakes.h"

namespace orn::test {

template <class Port, class PumpType = VirtualPump, class ClockType = FixedClock>
struct MasterRig {
  template <class... PortArgs>
  explicit MasterRig(PortArgs&&... port_args) : port(std::forward<PortArgs>(port_args)...) {}

  Port port;
  PumpType pump;
  ClockType clock;
  LinkParams link;
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  ModbusMaster master{port, pump, clock, link, exchange, timeouts};
};

}  // namespace orn::test
