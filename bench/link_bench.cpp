// Time per read transaction of 11 registers over a pseudo-terminal line, by
// our master and by a libmodbus master, against the same libmodbus slave.
// Usage: link_bench [N]
#include <modbus.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "link/modbus_master.h"
#include "link/posix_serial_port.h"
#include "support/child_process.h"
#include "support/null_modem.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Figures {
  double median_ms = 0, p99_ms = 0, mean_ms = 0;
  int failures = 0;
};

// Times n calls of one transaction; ok() says whether it succeeded.
Figures time_calls(int n, const std::function<bool()>& transaction) {
  std::vector<double> ms;
  ms.reserve(static_cast<size_t>(n));
  Figures f;
  for (int i = 0; i < n; ++i) {
    const auto t0 = Clock::now();
    if (!transaction()) ++f.failures;
    ms.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  std::sort(ms.begin(), ms.end());
  f.median_ms = ms[ms.size() / 2];
  f.p99_ms = ms[std::min(ms.size() - 1, ms.size() * 99 / 100)];
  for (double v : ms) f.mean_ms += v / static_cast<double>(ms.size());
  return f;
}

struct Setting {
  const char* name;
  int slave_delay_ms;
  uint16_t rit_19200;  // interval time-out of to.dat at 19200 baud
};

void run(const Setting& s, int n) {
  orn::test::NullModem modem;
  orn::test::ChildProcess slave(
      {LIBMODBUS_SLAVE, modem.path_a(), "1", std::to_string(s.slave_delay_ms), "19200"});
  if (slave.read_line(10000) != "ready") {
    std::fprintf(stderr, "the libmodbus slave did not start\n");
    std::exit(1);
  }

  orn::PosixSerialPort port;
  orn::BlockingPump pump;
  orn::SystemClock clock;
  orn::LinkParams link;
  orn::ExchangeSettings exchange;
  orn::RateTimeouts timeouts;
  timeouts.rit[7 - orn::kRateIndexMin] = s.rit_19200;
  orn::ModbusMaster master{port, pump, clock, link, exchange, timeouts};
  if (!port.open(modem.path_b(), 19200, orn::kParityNone)) {
    std::fprintf(stderr, "cannot open %s\n", modem.path_b().c_str());
    std::exit(1);
  }
  uint16_t values[11];
  for (int i = 0; i < 20 && !master.read(0x0100, 11, values).ok(); ++i) {
  }
  const Figures ours = time_calls(n, [&] { return master.read(0x0100, 11, values).ok(); });
  port.close();

  modbus_t* ctx = modbus_new_rtu(modem.path_b().c_str(), 19200, 'N', 8, 1);
  modbus_set_slave(ctx, 1);
  modbus_set_response_timeout(ctx, 2, 0);
  if (modbus_connect(ctx) != 0) {
    std::fprintf(stderr, "libmodbus cannot open %s\n", modem.path_b().c_str());
    std::exit(1);
  }
  const Figures theirs =
      time_calls(n, [&] { return modbus_read_registers(ctx, 0x0100, 11, values) == 11; });
  modbus_close(ctx);
  modbus_free(ctx);

  const double bound = s.slave_delay_ms + s.rit_19200;
  std::printf(
      "%-34s N=%d bound=%.1f ms | orn20mb median=%.2f p99=%.2f overhead=%.2f ms failures=%d | "
      "libmodbus median=%.2f p99=%.2f failures=%d | tx/s orn20mb=%.1f libmodbus=%.1f ratio=%.3f\n",
      s.name, n, bound, ours.median_ms, ours.p99_ms, ours.median_ms - bound, ours.failures,
      theirs.median_ms, theirs.p99_ms, theirs.failures, 1000.0 / ours.mean_ms,
      1000.0 / theirs.mean_ms, theirs.mean_ms / ours.mean_ms);
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  run({"immediate answer, default to.dat", 0, 24}, n);
  run({"20 ms answer, to.dat RIT 2 ms", 20, 2}, n);
  return 0;
}
