// orn20mb-cli: the Modbus RTU master of the service tool on the command line.
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "link/clock.h"
#include "link/system_serial_port.h"
#include "link/pump.h"

int main(int argc, char** argv) {
  using namespace orn;
  const CliParse parsed = parse_cli_options(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::cerr << "orn20mb-cli: " << parsed.error << "\n\n" << cli_usage();
    return kCliExitUsage;
  }
  if (parsed.options.help) {
    std::cout << cli_usage();
    return kCliExitOk;
  }
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::current_path(ec);
  SystemSerialPort port;
  BlockingPump pump;
  SystemClock clock;
  CliContext context{port, pump, clock, std::cout, std::cerr, ec ? "." : folder.string()};
  return run_cli(parsed.options, context);
}
