#pragma once
// The master rig on an in-memory line of simulated transmitters. The line
// is a base of its own so that it exists before the port that serves it.
#include "sim/sim_line.h"
#include "sim/sim_serial_port.h"
#include "support/master_rig.h"

namespace orn::test {

struct SimLineFirst {
  sim::SimLine line;
};

struct SimMasterRig : SimLineFirst, MasterRig<sim::SimSerialPort> {
  SimMasterRig() : MasterRig(line) {}
};

}  // namespace orn::test
