// Reads per second of a line of transmitters on orn20mb-sim's paced line (a
// pseudo-terminal that runs at the rate the master set): orn20mb-cli poll
// --addresses with and without --no-tail-wait, and a libmodbus master polling
// the same addresses, beside the wire's bound (request, 3.5 characters,
// answer, 3.5 characters per read) and what the default to.dat time-outs
// allow without --no-tail-wait (request, 3.5 characters, answer and the
// interval time-out after it). Each program prints a line per read; the
// clock runs from the end of its first cycle to its last read.
// Usage: line_bench [READS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "link/link_params.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRequestBytes = 8;
constexpr int kAnswerBytes = 27;  // address, function, count, 22 data bytes, CRC

struct Rate {
  double per_second = 0;
  int failures = 0;
};

// Runs a program that prints a line per read, n reads a cycle; failures are
// lines without " ok" (libmodbus) or "\"ok\":false" (orn20mb-cli --json).
Rate time_reads(const std::vector<std::string>& argv, const std::string& cwd, int n, int total) {
  orn::test::ChildProcess program(argv, cwd);
  Clock::time_point first_cycle_end, last;
  Rate r;
  for (int i = 0; i < total; ++i) {
    const std::string line = program.read_line(60000);
    if (line.empty()) {
      std::fprintf(stderr, "%s: no line after %d reads\n", argv[0].c_str(), i);
      std::exit(1);
    }
    last = Clock::now();
    if (i + 1 == n) first_cycle_end = last;
    if (i >= n && (line.find("\"ok\":false") != std::string::npos || line.find(" failed") != std::string::npos))
      ++r.failures;
  }
  const double seconds = std::chrono::duration<double>(last - first_cycle_end).count();
  r.per_second = (total - n) / seconds;
  return r;
}

}  // namespace

int main(int argc, char** argv) {
  const int reads = argc > 1 ? std::max(20, std::atoi(argv[1])) : 200;
  const orn::test::TempFolder folder;  // no dev.dat or to.dat: the defaults
  const orn::RateTimeouts defaults;
  std::printf("%-7s %3s %9s %11s %9s %9s %7s %11s %9s %7s\n", "baud", "N", "bound/s", "no-tail/s", "ratio",
              "tail/s", "allowed", "diff ms", "libmodbus", "ratio");
  for (const unsigned baud : {19200u, 115200u}) {
    for (const int n : {1, 8, 32}) {
      const int cycles = std::max(3, (reads + n - 1) / n + 1);
      const int total = cycles * n;
      std::string addresses;
      for (int a = 1; a <= n; ++a) addresses += (a > 1 ? "," : "") + std::to_string(a);
      orn::test::ChildProcess sim({ORN20MB_SIM, "--paced", "--rate", std::to_string(baud), "--address", addresses});
      const std::string device = sim.read_line(10000);
      if (device.empty()) {
        std::fprintf(stderr, "orn20mb-sim did not start\n");
        return 1;
      }
      const std::string list = n == 1 ? "1" : "1-" + std::to_string(n);
      std::vector<std::string> cli = {ORN20MB_CLI, "--device", device,           "--rate",     std::to_string(baud),
                                      "poll",      "--addresses", list, "--interval", "0",
                                      "--count",   std::to_string(cycles), "--json"};
      const Rate tail = time_reads(cli, folder.path(), n, total);
      cli.push_back("--no-tail-wait");
      const Rate no_tail = time_reads(cli, folder.path(), n, total);
      const Rate lib = time_reads({LIBMODBUS_LINE_POLL, device, std::to_string(baud), std::to_string(n),
                                   std::to_string(cycles)},
                                  folder.path(), n, total);

      const double ch_ms = 10.0 * 1000.0 / baud;  // 8N1: 10 bits a character
      const double bound_ms = (kRequestBytes + 3.5 + kAnswerBytes + 3.5) * ch_ms;
      const auto rate_index = orn::rate_index_for_baud(baud);
      const double interval_ms = defaults.rit[*rate_index - orn::kRateIndexMin];
      const double allowed_ms = (kRequestBytes + 3.5 + kAnswerBytes) * ch_ms + interval_ms;
      std::printf("%-7u %3d %9.1f %11.1f %9.3f %9.1f %7.1f %11.2f %9.1f %7.3f", baud, n, 1000.0 / bound_ms,
                  no_tail.per_second, no_tail.per_second * bound_ms / 1000.0, tail.per_second, 1000.0 / allowed_ms,
                  1000.0 / tail.per_second - allowed_ms, lib.per_second, lib.per_second * bound_ms / 1000.0);
      if (tail.failures + no_tail.failures + lib.failures > 0)
        std::printf("  failures: tail %d, no-tail %d, libmodbus %d", tail.failures, no_tail.failures, lib.failures);
      std::printf("\n");
      std::fflush(stdout);
      sim.terminate();
    }
  }
  return 0;
}
