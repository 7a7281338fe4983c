#include "support/child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>

namespace orn::test {

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const std::string& cwd) {
  int fds[2];
  if (pipe(fds) != 0) throw std::runtime_error("pipe");
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork");
  if (pid_ == 0) {
    dup2(fds[1], STDOUT_FILENO);
    ::close(fds[0]);
    ::close(fds[1]);
    if (cwd.empty() || chdir(cwd.c_str()) == 0) execv(args[0], args.data());
    _exit(127);
  }
  ::close(fds[1]);
  out_ = fds[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) terminate();
  if (out_ >= 0) ::close(out_);
}

std::string ChildProcess::read_line(int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    const auto nl = pending_.find('\n');
    if (nl != std::string::npos) {
      std::string line = pending_.substr(0, nl);
      pending_.erase(0, nl + 1);
      return line;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now()).count();
    if (left <= 0) return {};
    pollfd p{out_, POLLIN, 0};
    if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
    char buf[256];
    const ssize_t n = ::read(out_, buf, sizeof buf);
    if (n <= 0) return {};
    pending_.append(buf, static_cast<size_t>(n));
  }
}

int ChildProcess::terminate(int signal_number) {
  if (pid_ <= 0) return -1;
  kill(pid_, signal_number);
  int status = 0;
  // A child that ignores the signal is killed after five seconds.
  for (int i = 0; waitpid(pid_, &status, WNOHANG) == 0; ++i) {
    if (i == 500) kill(pid_, SIGKILL);
    usleep(10000);
  }
  pid_ = -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace orn::test
