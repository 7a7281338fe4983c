#pragma once
// Runs a program to its end in a given working directory and collects its
// standard output, standard error and exit status.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orn::test {

struct ProgramResult {
  int status = -1;  // exit status, -1 when killed or not exited normally
  std::string out;
  std::string err;
  int ms_after_signal = -1;  // from the StopAt signal to the end of the output, or -1 when none was sent
};

// A signal sent to the program once its output (standard output, then
// standard error) contains a text, or after_ms when the text is empty.
struct StopAt {
  int signal = 0;  // 0: none
  std::string once_output_has;
  int after_ms = 0;
};

// Reads what is ready on the program's two pipes into their sinks; a pipe at
// its end is closed and counted off open_pipes.
inline void drain_ready(pollfd (&fds)[2], std::string* (&sinks)[2], int& open_pipes) {
  for (int i = 0; i < 2; ++i) {
    if (fds[i].fd < 0 || fds[i].revents == 0) continue;
    char buf[4096];
    const ssize_t n = read(fds[i].fd, buf, sizeof buf);
    if (n > 0) {
      sinks[i]->append(buf, static_cast<size_t>(n));
    } else {
      close(fds[i].fd);
      fds[i].fd = -1;
      --open_pipes;
    }
  }
}

// A program still running after timeout_ms is killed. stdin_fd, when given,
// becomes its standard input; otherwise it keeps the test's.
inline ProgramResult run_program(const std::vector<std::string>& argv, const std::string& cwd,
                                 int timeout_ms = 60000, int stdin_fd = -1, const StopAt& stop = {}) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) throw std::runtime_error("pipe");
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork");
  if (pid == 0) {
    if (stdin_fd >= 0) dup2(stdin_fd, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    for (int fd : {out[0], out[1], err[0], err[1]}) close(fd);
    if (chdir(cwd.c_str()) == 0) execv(args[0], args.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  ProgramResult r;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&r.out, &r.err};
  using Clock = std::chrono::steady_clock;
  const auto started = Clock::now();
  const auto deadline = started + std::chrono::milliseconds(timeout_ms);
  std::optional<Clock::time_point> signalled;
  auto due = [&] {
    if (stop.signal == 0 || signalled) return false;
    if (!stop.once_output_has.empty())
      return r.out.find(stop.once_output_has) != std::string::npos ||
             r.err.find(stop.once_output_has) != std::string::npos;
    return Clock::now() >= started + std::chrono::milliseconds(stop.after_ms);
  };
  int open_pipes = 2;
  while (open_pipes > 0) {
    if (due()) {
      kill(pid, stop.signal);
      signalled = Clock::now();
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                          deadline - Clock::now()).count();
    if (left <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    // Short polls while a timed signal is still to come.
    const bool timed = stop.signal != 0 && !signalled && stop.once_output_has.empty();
    if (poll(fds, 2, timed ? 10 : static_cast<int>(left)) <= 0) continue;
    drain_ready(fds, sinks, open_pipes);
  }
  if (signalled)
    r.ms_after_signal = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - *signalled).count());
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

}  // namespace orn::test
