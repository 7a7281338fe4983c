// orn20mb-cli: the Modbus RTU master of the service tool on the command line.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <clocale>
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "link/clock.h"
#include "link/system_serial_port.h"
#include "link/pump.h"
#include "link/stop_flag.h"

namespace {

orn::StopFlag stopFlag;

void onStopSignal(int number) { stopFlag.raise(number); }

// Waits as a plain sleep, in short steps, so that a stop signal ends a pause
// at once; the pauses of a lock that finishes after a stop are kept.
class StoppablePump final : public orn::Pump {
 public:
  void dispatch() override {}
  void wait(uint32_t ms) override {
    constexpr uint32_t kStepMs = 20;
    for (uint32_t waited = 0; waited < ms && !stopFlag.stops(); waited += kStepMs)
      std::this_thread::sleep_for(std::chrono::milliseconds(std::min(kStepMs, ms - waited)));
  }
  void sleep(uint32_t ms) override { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
};

}  // namespace

int main(int argc, char** argv) {
  using namespace orn;
  // System error texts in the user's language; numbers keep the C format.
  std::setlocale(LC_CTYPE, "");
  std::setlocale(LC_MESSAGES, "");
  const CliParse parsed = parse_cli_options(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    // One line naming the problem and where to read more, as GNU tools do.
    std::cerr << "orn20mb-cli: " << parsed.error << "\nПодробнее: orn20mb-cli --help\n";
    return kCliExitUsage;
  }
  if (parsed.options.version) {
    std::cout << cli_version() << "\n";
    return kCliExitOk;
  }
  if (parsed.options.help) {
    std::cout << cli_usage();
    return kCliExitOk;
  }
  std::error_code ec;
  const std::filesystem::path folder = std::filesystem::current_path(ec);
  // A stop signal lets the running transaction end and the port close.
  struct sigaction action {};
  action.sa_handler = onStopSignal;
  sigemptyset(&action.sa_mask);
  for (int number : {SIGINT, SIGTERM, SIGHUP}) sigaction(number, &action, nullptr);
  SystemSerialPort port;
  StoppablePump pump;
  SystemClock clock;
  CliContext context{port, pump, clock, std::cout, std::cerr, ec ? "." : folder.string(), &stopFlag,
                     isatty(STDERR_FILENO) == 1, &std::cin, isatty(STDIN_FILENO) == 1};
  return run_cli(parsed.options, context);
}
