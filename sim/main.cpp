// orn20mb-sim: simulated pressure transmitters served on a pseudo-terminal,
// or as a Modbus TCP server.
#include <signal.h>
#include <sys/signalfd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "modbus_tcp_server.h"
#include "pty_server.h"
#include "register_map.h"
#include "sim_line.h"
#include "sim_options.h"

int main(int argc, char** argv) {
  using namespace orn::sim;
  const ParsedOptions parsed = parse_sim_options(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::fprintf(stderr, "orn20mb-sim: %s\n%s", parsed.error.c_str(), sim_usage().c_str());
    return 2;
  }
  const SimOptions& o = parsed.options;
  if (o.help) {
    std::fputs(sim_usage().c_str(), stdout);
    return 0;
  }

  // Signals arrive through a descriptor the server polls, so no handler state is needed.
  sigset_t stop_signals;
  sigemptyset(&stop_signals);
  sigaddset(&stop_signals, SIGINT);
  sigaddset(&stop_signals, SIGTERM);
  sigaddset(&stop_signals, SIGHUP);  // the terminal it runs in was closed
  sigaddset(&stop_signals, SIGUSR1);  // the next pressure step
  sigprocmask(SIG_BLOCK, &stop_signals, nullptr);
  signal(SIGPIPE, SIG_IGN);
  const int stop_fd = signalfd(-1, &stop_signals, SFD_CLOEXEC);
  if (stop_fd < 0) {
    std::perror("orn20mb-sim: signalfd");
    return 1;
  }

  SimLine line;
  for (const TransmitterConfig& c : o.devices) line.add(c).poke(reg::DELY, o.delay_ms);
  line.faults().set_random(o.fault_rate, o.random_faults, o.seed);
  line.faults().set_random_addresses(o.fault_addresses);

  if (o.modbus_tcp) {
    ModbusTcpServer server(line);
    std::string error;
    if (!server.open(*o.modbus_tcp, error)) {
      std::fprintf(stderr, "orn20mb-sim: %s\n", error.c_str());
      return 1;
    }
    std::printf("%s\n", server.path().c_str());
    std::fflush(stdout);
    server.run(stop_fd);
    close(stop_fd);
    return 0;
  }

  PtyServer server(line);
  server.set_paced(o.paced);
  std::string error;
  if (!server.open(o.devices.front().link.baud, error)) {
    std::fprintf(stderr, "orn20mb-sim: %s\n", error.c_str());
    return 1;
  }
  if (!o.link.empty()) {
    // Replace a stale link of an earlier run, never a file that is not a link.
    struct stat st {};
    if (lstat(o.link.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) {
        std::fprintf(stderr, "orn20mb-sim: %s exists and is not a symbolic link\n", o.link.c_str());
        return 1;
      }
      unlink(o.link.c_str());
    }
    if (symlink(server.slave_path().c_str(), o.link.c_str()) != 0) {
      std::perror(("orn20mb-sim: " + o.link).c_str());
      return 1;
    }
  }
  std::printf("%s\n", server.slave_path().c_str());
  std::fflush(stdout);

  server.run(stop_fd);

  if (!o.link.empty()) unlink(o.link.c_str());
  close(stop_fd);
  return 0;
}
