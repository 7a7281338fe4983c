#pragma once
// Command line of orn20mb-sim.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "fault_injection.h"
#include "transmitter.h"

namespace orn::sim {

struct SimOptions {
  std::string link;                       // symlink to the pty slave, removed at exit
  std::vector<TransmitterConfig> devices; // one per transmitter on the line
  std::vector<Fault> random_faults;
  double fault_rate = 0;
  std::vector<uint16_t> fault_addresses;  // random faults only on these devices' answers (empty: all)
  uint16_t delay_ms = 0;                  // initial DELY of every device
  uint64_t seed = 1;
  bool paced = false;                     // the line runs at the wire's speed
  std::optional<uint16_t> modbus_tcp;     // serve Modbus TCP on 127.0.0.1 at this port (0: any free one)
  bool help = false;
};

struct ParsedOptions {
  SimOptions options;
  std::string error;  // non-empty: a usage error, in the user's language
};

ParsedOptions parse_sim_options(const std::vector<std::string>& args);
// The text of --help.
std::string sim_usage();

}  // namespace orn::sim
