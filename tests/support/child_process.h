#pragma once
// A helper program started by a test: its standard output is read line by
// line, and it is stopped with SIGTERM (or another signal) when the test is done.
#include <signal.h>
#include <sys/types.h>

#include <string>
#include <vector>

namespace orn::test {

class ChildProcess {
 public:
  // cwd: the child's working directory; empty keeps the test's.
  explicit ChildProcess(const std::vector<std::string>& argv, const std::string& cwd = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // The next line of standard output without its line end; empty on time-out or EOF.
  std::string read_line(int timeout_ms);
  // Sends the signal and waits; returns the exit status, or -1 when it did not
  // exit normally (killed after five seconds, or ended by the signal).
  int terminate(int signal_number = SIGTERM);
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string pending_;
};

}  // namespace orn::test
