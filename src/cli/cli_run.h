#pragma once
// Runs one orn20mb-cli command on a serial port: the link comes from the
// settings files of a folder (read only) and the options, the output goes to
// two streams. The seams let tests run it on a scripted port in virtual time.
#include <istream>
#include <ostream>
#include <string>

#include "cli/cli_options.h"
#include "link/clock.h"
#include "link/modbus_master.h"
#include "link/pump.h"
#include "link/serial_port.h"
#include "link/stop_flag.h"
#include "records/change_journal.h"

namespace orn {

inline constexpr int kCliExitOk = 0;
inline constexpr int kCliExitUsage = 2;
inline constexpr int kCliExitFailure = 3;  // an exchange failed or the port did not open

struct CliContext {
  SerialPort& port;
  Pump& pump;    // the pause between polling cycles and before a repeated attempt
  Clock& clock;  // the time of the measured-value lines
  std::ostream& out;
  std::ostream& err;
  std::string folder;  // where dev.dat and to.dat are looked for
  // Raised by a stop signal (its number): the running transaction makes no
  // further attempt, nothing new is written (a lock after an unlock still
  // goes out), polling ends after the running cycle, still printing the
  // counters, and the exit status is 128 + the number.
  StopFlag* stop = nullptr;
  bool err_is_terminal = false;  // progress may redraw one line of err
  // Answers to the questions of protected writes; none reads as No to each.
  std::istream* in = nullptr;
  bool in_is_terminal = false;  // a person can answer; without --yes questions need one
  // The journal of writes (changes.csv in folder) while a command runs.
  ChangeJournal* journal = nullptr;
};

// Runs the command of parsed options (not --help) and returns the exit status.
int run_cli(const CliOptions& options, CliContext& context);

// The late bytes the master saw after answers taken at their last byte
// (--no-tail-wait), told once at the end of a command; nothing when none came.
void tell_late_bytes_seen(const ModbusMaster& master, CliContext& context);

}  // namespace orn
