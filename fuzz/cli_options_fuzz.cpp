// The orn20mb-cli command line: any words (split at zero bytes). A command
// line that parses must describe a command the master can carry out.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "link/modbus_master.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<std::string> args(1);
  for (size_t i = 0; i < size && args.size() <= 64; ++i) {
    if (data[i] == 0) {
      args.emplace_back();
    } else {
      args.back().push_back(static_cast<char>(data[i]));
    }
  }
  const orn::CliParse p = orn::parse_cli_options(args);
  if (!p.error.empty() || p.options.help || p.options.version) return 0;
  const orn::CliOptions& o = p.options;
  require(o.command != orn::CliCommand::None);
  require(!(o.device && o.port));
  require(!o.port || (*o.port >= 1 && *o.port <= 255));
  require(!o.address || *o.address <= 255);
  require(!o.rate_index || orn::is_rate_index(*o.rate_index));
  require(!o.parity || *o.parity <= 2);
  require(!o.attempts || *o.attempts >= 1);
  // Poll runs --count cycles, or until a stop signal with no count (0).
  if (o.command == orn::CliCommand::Poll) require(o.interval_ms <= 3'600'000);
  if (o.command == orn::CliCommand::RegsRead)
    require(o.count >= 1 && o.count <= orn::kMaxReadCount && o.start + o.count <= 0x10000);
  if (o.command == orn::CliCommand::RegsWrite)
    require(!o.values.empty() && o.values.size() <= orn::kMaxWriteCount && o.start + o.values.size() <= 0x10000);
  if (o.command == orn::CliCommand::ConfigWrite) {
    require(!o.assignments.empty());
    for (size_t i = 0; i < o.assignments.size(); ++i) {
      const orn::ConfigAssignment& a = o.assignments[i];
      require(a.reg != nullptr && a.reg->take != nullptr);
      for (size_t j = 0; j < i; ++j) require(o.assignments[j].reg != a.reg);
      // What config write stores, config read shows as a text taken back unchanged.
      orn::DeviceImage image;
      require(a.reg->take(a.value, image).empty());
      orn::DeviceImage again;
      require(a.reg->take(a.reg->show(image), again).empty());
      require(a.reg->show(again) == a.reg->show(image));
      require(a.reg->slot.word == nullptr || again.*a.reg->slot.word == image.*a.reg->slot.word);
    }
  }
  return 0;
}
