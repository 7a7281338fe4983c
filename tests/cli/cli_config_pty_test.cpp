// orn20mb-cli config as a program against orn20mb-sim on a pseudo-terminal:
// read, a write that moves the transmitter to another address, rate and
// parity, the read there, and the questions asked on a terminal at standard
// input or refused without one. Each run starts in an empty folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>

#include "cli/config_registers.h"
#include "cli/run_program.h"
#include "support/journal_rows.h"
#include "support/temp_folder.h"
#include "support/child_process.h"

namespace orn {
namespace {

// A pseudo-terminal whose slave side is a program's standard input; what is
// written to the master is what a person types.
class TypedInput {
 public:
  TypedInput() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0)
      slave_ = open(ptsname(master_), O_RDWR | O_NOCTTY);
  }
  ~TypedInput() {
    for (int fd : {slave_, master_}) {
      if (fd >= 0) close(fd);
    }
  }
  TypedInput(const TypedInput&) = delete;
  TypedInput& operator=(const TypedInput&) = delete;

  bool type(const std::string& text) {
    return write(master_, text.data(), text.size()) == static_cast<ssize_t>(text.size());
  }
  int slave() const { return slave_; }

 private:
  int master_ = -1;
  int slave_ = -1;
};

class ConfigAgainstSimulator : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = std::make_unique<test::ChildProcess>(std::vector<std::string>{ORN20MB_SIM});
    device = sim->read_line(10000);
    ASSERT_FALSE(device.empty());
  }
  void TearDown() override {
    close(no_input);
    EXPECT_EQ(sim->terminate(), 0);
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
      EXPECT_EQ(entry.path().filename(), "changes.csv") << "the program left a file behind";
  }
  // The rows of the journal of writes from the register name on: "NAME;BEFORE;AFTER;OUTCOME".
  std::vector<std::string> journal() const { return test::journal_rows(folder.file("changes.csv"), 6); }
  test::ProgramResult cli(std::vector<std::string> args, int stdin_fd) {
    args.insert(args.begin(), {ORN20MB_CLI, "--device", device});
    return test::run_program(args, folder.path(), 60000, stdin_fd);
  }
  // The value config read prints for name, or "" when the line is missing.
  static std::string value_of(const std::string& config, const std::string& name) {
    std::istringstream in(config);
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(name + "=", 0) == 0) return line.substr(name.size() + 1);
    }
    return "";
  }

  test::TempFolder folder;
  std::unique_ptr<test::ChildProcess> sim;
  std::string device;
  int no_input = open("/dev/null", O_RDONLY);
};

TEST_F(ConfigAgainstSimulator, WriteMovesTheTransmitterAndTheReadFindsItThere) {
  auto r = cli({"config", "read"}, no_input);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(static_cast<size_t>(std::count(r.out.begin(), r.out.end(), '\n')), config_registers().size());
  EXPECT_EQ(value_of(r.out, "ADR"), "1");
  EXPECT_EQ(value_of(r.out, "RATE"), "19200");

  r = cli({"config", "write", "--yes", "ADR=12", "RATE=38400", "PARITY=even", "USERTEXT=Линия 3",
           "NULCUTOFF=2.5"},
          no_input);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "ADR=12\nRATE=38400\nPARITY=even\nUSERTEXT=\"Линия 3         \"\nNULCUTOFF=2.50\n");
  EXPECT_NE(r.err.find("Связь продолжается с новыми параметрами: адрес 12, 38400 бод, четность even\n"),
            std::string::npos)
      << r.err;
  // Each changed register once, in the order it went out, verified by the read after the writes.
  const std::vector<std::string> expected = {
      "NULCUTOFF;0;1638;записано и прочитано обратно",
      "USERTEXT;Симулятор ОРН20 ;Линия 3         ;записано и прочитано обратно",
      "ADR;1;12;записано и прочитано обратно",
      "RATE;7;8;записано и прочитано обратно",
      "PARITY;0;2;записано и прочитано обратно",
  };
  EXPECT_EQ(journal(), expected);

  r = cli({"--attempts", "1", "config", "read"}, no_input);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.out, "");
  r = cli({"--address", "12", "--rate", "38400", "--parity", "even", "config", "read"}, no_input);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(value_of(r.out, "ADR"), "12");
  EXPECT_EQ(value_of(r.out, "PARITY"), "even");
  EXPECT_EQ(value_of(r.out, "USERTEXT"), "\"Линия 3         \"");
  EXPECT_EQ(value_of(r.out, "NULCUTOFF"), "2.50");
}

TEST_F(ConfigAgainstSimulator, QuestionsNeedATerminalOrYes) {
  // Standard input not a terminal: refused before anything is sent.
  auto r = cli({"config", "write", "DIGITS=0"}, no_input);
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("стандартный ввод не терминал"), std::string::npos) << r.err;

  TypedInput no;
  ASSERT_TRUE(no.type("n\n"));
  r = cli({"config", "write", "DIGITS=0"}, no.slave());
  EXPECT_EQ(r.status, 1) << r.err;
  EXPECT_NE(r.err.find("Подтвердите действие: Данные канала будут переписаны. [y/N] "), std::string::npos);
  r = cli({"config", "read"}, no_input);
  EXPECT_EQ(value_of(r.out, "DIGITS"), "2");  // as the simulator starts
  EXPECT_FALSE(std::filesystem::exists(folder.file("changes.csv"))) << "a No reached the device";

  TypedInput yes;
  ASSERT_TRUE(yes.type("да\n"));
  r = cli({"config", "write", "DIGITS=0"}, yes.slave());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "DIGITS=0\n");
  EXPECT_EQ(journal(), std::vector<std::string>{"DIGITS;2;0;записано и прочитано обратно"});

  r = cli({"config", "read"}, no_input);
  EXPECT_EQ(value_of(r.out, "DIGITS"), "0");
}

}  // namespace
}  // namespace orn
