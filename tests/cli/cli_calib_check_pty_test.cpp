// orn20mb-cli calib check as a program against orn20mb-sim on a
// pseudo-terminal: the operator's confirmations typed at a terminal while the
// simulator's pressure is stepped with SIGUSR1, an as-found check that fails,
// a zero adjustment, an as-left check that passes, the calibration.csv rows
// and the certificate read back with pdftotext.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>

#include "calib/calibration_record.h"
#include "cli/run_program.h"
#include "support/child_process.h"
#include "support/temp_folder.h"

namespace orn {
namespace {

constexpr const char* kConfirm = "и нажмите Enter (q - отменить) ";

// Runs the program with a pseudo-terminal as standard input; each time its
// error stream shows one more point prompt, answer(k) (k from 1) returns what
// is typed.
test::ProgramResult run_answering(const std::vector<std::string>& argv, const std::string& cwd,
                                  const std::function<std::string(int)>& answer) {
  int tty = posix_openpt(O_RDWR | O_NOCTTY);
  EXPECT_GE(tty, 0);
  grantpt(tty);
  unlockpt(tty);
  const int slave = open(ptsname(tty), O_RDWR | O_NOCTTY);
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(slave, STDIN_FILENO);
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    if (chdir(cwd.c_str()) == 0) execv(args[0], args.data());
    _exit(127);
  }
  close(slave);
  close(out[1]);
  close(err[1]);
  test::ProgramResult r;
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* sinks[2] = {&r.out, &r.err};
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  int answered = 0;
  for (int open_pipes = 2; open_pipes > 0 && std::chrono::steady_clock::now() < deadline;) {
    if (poll(fds, 2, 1000) <= 0) continue;
    test::drain_ready(fds, sinks, open_pipes);
    size_t prompts = 0;
    for (size_t at = r.err.find(kConfirm); at != std::string::npos; at = r.err.find(kConfirm, at + 1)) ++prompts;
    while (answered < static_cast<int>(prompts)) {
      const std::string typed = answer(++answered);
      EXPECT_EQ(write(tty, typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    }
  }
  kill(pid, SIGKILL);
  int status = 0;
  waitpid(pid, &status, 0);
  r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  for (const pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  close(tty);
  return r;
}

std::string pdf_text(const std::string& path) {
  const std::string command = "pdftotext -layout '" + path + "' -";
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return "";
  std::string text;
  char buf[4096];
  for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
  pclose(p);
  return text;
}

class CalibCheckAgainstSimulator : public ::testing::Test {
 protected:
  // The applied pressures, kPa: as-found 0, 125, 200; the zero adjustment and
  // the as-left check at 0, then 125, 200. The sensor reads 2 kPa high.
  void SetUp() override {
    sim = std::make_unique<test::ChildProcess>(std::vector<std::string>{
        ORN20MB_SIM, "--pressure-steps", "0,125,200,0,125,200", "--sensor-offset", "2"});
    device = sim->read_line(10000);
    ASSERT_FALSE(device.empty());
  }
  void TearDown() override { EXPECT_EQ(sim->terminate(), 0); }
  void step() { ASSERT_EQ(kill(sim->pid(), SIGUSR1), 0); }
  std::vector<std::string> cli(std::vector<std::string> args) const {
    args.insert(args.begin(), {ORN20MB_CLI, "--device", device});
    return args;
  }
  // A check whose points are confirmed at the terminal; the pressure steps
  // before each point after the first.
  test::ProgramResult check(std::vector<std::string> args) {
    return run_answering(cli(std::move(args)), folder.path(), [this](int point) {
      if (point > 1) step();
      return std::string("\n");
    });
  }
  std::vector<CalibrationRow> rows() const {
    return read_calibration_rows(folder.path() + "/calibration.csv").value_or(std::vector<CalibrationRow>{});
  }

  test::TempFolder folder;
  std::unique_ptr<test::ChildProcess> sim;
  std::string device;
};

TEST_F(CalibCheckAgainstSimulator, AsFoundFailsAdjustmentWrittenAsLeftPassesAndTheCertificateSaysSo) {
  auto r = check({"calib", "check", "--points", "0,125,200", "--samples", "3", "--tolerance", "0.5"});
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.out.find("Точка 1: эталон 0.0000 показание 2.0000 погрешность 0.800 % допуск 0.500 % не годен"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Точка 3: эталон 200.0000 показание 202.0000 погрешность 0.800 %"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("Итог: не годен"), std::string::npos);
  ASSERT_EQ(rows().size(), 3u);

  step();  // back to 0 kPa for the zero adjustment
  const test::ProgramResult zero = test::run_program(
      cli({"calib", "zero", "--target", "0", "--samples", "4", "--write", "--yes"}), folder.path());
  ASSERT_EQ(zero.status, 0) << zero.err;

#ifdef ORN_HAS_REPORT
  constexpr bool kReport = true;
#else
  constexpr bool kReport = false;  // built without Qt: the check runs without its certificate
#endif
  std::vector<std::string> as_left = {"calib", "check", "--points", "0,125,200", "--samples", "3",
                                      "--tolerance", "0.5", "--as-left"};
  if (kReport) as_left.insert(as_left.end(), {"--report", "certificate.pdf"});
  r = check(as_left);
  EXPECT_EQ(r.status, 0) << r.err << r.out;
  EXPECT_NE(r.out.find("Итог: годен"), std::string::npos) << r.out;

  const std::vector<CalibrationRow> all = rows();
  ASSERT_EQ(all.size(), 7u);
  const std::vector<std::string> kinds = {"до подстройки", "до подстройки", "до подстройки", "подстройка нуля",
                                          "после подстройки", "после подстройки", "после подстройки"};
  for (size_t i = 0; i < all.size(); ++i) {
    EXPECT_EQ(all[i][kColKind], kinds[i]) << i;
    EXPECT_EQ(all[i][kColFactoryNumber], "1-2345");
    EXPECT_EQ(all[i][kColPort], device);
    EXPECT_EQ(all[i][kColUnit], "кПа");
    EXPECT_EQ(all[i][kColRangeHigh], "250.0000");
  }
  EXPECT_EQ(all[0][kColResult], "не годен");
  EXPECT_EQ(all[0][kColReading], "2.0000");
  EXPECT_EQ(all[3][kColReference], "0.0000");
  EXPECT_EQ(all[3][kColReading], "2.0000");
  EXPECT_EQ(all[3][kColWritten], "-2.000000");
  EXPECT_EQ(all[3][kColResult], "записано");
  for (size_t i = 4; i < 7; ++i) {
    EXPECT_EQ(all[i][kColResult], "годен") << i;
    EXPECT_EQ(all[i][kColError], "0.000") << i;
  }
  // The header row names the columns, ";" separated.
  std::ifstream in(folder.path() + "/calibration.csv");
  std::string header;
  std::getline(in, header);
  EXPECT_EQ(header.rfind("дата_время;оператор;порт;адрес;заводской_номер;", 0), 0u) << header;

  if (!kReport) return;
  const std::string text = pdf_text(folder.path() + "/certificate.pdf");
  for (const char* expected : {"Протокол проверки калибровки датчика давления", "1-2345", "Результаты до подстройки",
                               "Результаты после подстройки", "подстройка нуля", "-2.000000", "202.0000",
                               "Заключение: годен"})
    EXPECT_NE(text.find(expected), std::string::npos) << expected << "\n" << text;
}

TEST_F(CalibCheckAgainstSimulator, CancelledAtAPointLeavesTheRowsOfThePointsMeasured) {
  const test::ProgramResult r =
      run_answering(cli({"calib", "check", "--points", "0,125", "--samples", "2"}), folder.path(),
                    [](int point) { return std::string(point == 1 ? "\n" : "q\n"); });
  EXPECT_EQ(r.status, 3) << r.err;
  EXPECT_NE(r.err.find("Проверка отменена."), std::string::npos) << r.err;
  const auto all = rows();
  ASSERT_EQ(all.size(), 1u);
  EXPECT_EQ(all[0][kColPoint], "1");
  EXPECT_EQ(all[0][kColPoints], "2");
}

TEST_F(CalibCheckAgainstSimulator, StopSignalEndsAfterTheRunningSampleAndRecordsNothingMore) {
  const int no_input = open("/dev/null", O_RDONLY);
  const test::ProgramResult r =
      test::run_program(cli({"calib", "check", "--points", "0,125", "--samples", "2", "--yes"}), folder.path(), 60000,
                        no_input);
  ASSERT_EQ(r.status, 1) << r.err;  // the sensor reads 2 kPa high
  ASSERT_EQ(rows().size(), 2u);
  // The second check is stopped in its first point: its rows never appear.
  const test::ProgramResult stopped = test::run_program(
      cli({"calib", "check", "--points", "0,125", "--samples", "50", "--yes"}), folder.path(), 60000, no_input,
      {SIGINT, "  3  PIZMF="});
  close(no_input);
  EXPECT_EQ(stopped.status, 130) << stopped.err;
  EXPECT_NE(stopped.err.find("Проверка остановлена."), std::string::npos) << stopped.err;
  EXPECT_EQ(stopped.out.find("  6  PIZMF="), std::string::npos) << stopped.out;
  EXPECT_EQ(stopped.out.find("Итог"), std::string::npos);
  EXPECT_EQ(rows().size(), 2u);
}

TEST_F(CalibCheckAgainstSimulator, BadInputsAndUnwritableFilesSendNothing) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const std::string folder_as_report = folder.path();
  std::filesystem::create_directory(folder.path() + "/taken.pdf");
  const Case cases[] = {
      {{"calib", "check", "--yes"}, 2, "нужен параметр --points"},
      {{"calib", "check", "--points", "0,abc", "--yes"}, 2, "\"abc\" не число"},
      {{"calib", "check", "--points", "0,0", "--yes"}, 2, "повторяется"},
      {{"calib", "check", "--points", "", "--yes"}, 2, "не указаны точки"},
      {{"calib", "check", "--points", "0,50", "--tolerance", "0", "--yes"}, 2, "--tolerance"},
      {{"calib", "check", "--points", "0,50", "--tolerance", "1,5", "--yes"}, 2, "--tolerance"},
      {{"calib", "check", "--points", "0,50", "--samples", "0", "--yes"}, 2, "--samples"},
      {{"calib", "check", "--points", "0,50", "--report", "cert.txt", "--yes"}, 2, ".pdf"},
      {{"calib", "check", "--points", "0,50", "--report", "no-such-folder/c.pdf", "--yes"}, 3, "нет папки"},
      {{"calib", "check", "--points", "0,50", "--report", "taken.pdf", "--yes"}, 3, "это папка"},
      // Outside the range 0..250 kPa by more than a tenth of the span.
      {{"calib", "check", "--points", "0,2500", "--yes"}, 2, "вне диапазона датчика"},
      {{"calib", "check", "--points", "0,50"}, 2, "стандартный ввод не терминал"},
  };
  const int no_input = open("/dev/null", O_RDONLY);
  for (const Case& c : cases) {
    const test::ProgramResult r = test::run_program(cli(c.args), folder.path(), 60000, no_input);
    EXPECT_EQ(r.status, c.status) << c.args[3] << "\n" << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
  }
  close(no_input);
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/calibration.csv"));
}

}  // namespace
}  // namespace orn
