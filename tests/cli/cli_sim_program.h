#pragma once
// orn20mb-cli as a program against orn20mb-sim on a pseudo-terminal, run in
// a fresh folder: the fixture of the process-level CLI tests.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cli/run_program.h"
#include "support/temp_folder.h"
#include "support/child_process.h"

namespace orn::test {

class CliAgainstSimProgram : public ::testing::Test {
 protected:
  // Starts the simulator with these options and takes its pseudo-terminal.
  void start(std::vector<std::string> options) {
    options.insert(options.begin(), ORN20MB_SIM);
    sim = std::make_unique<ChildProcess>(options);
    device = sim->read_line(10000);
    ASSERT_FALSE(device.empty());
  }
  void TearDown() override {
    if (sim) {
      EXPECT_EQ(sim->terminate(), 0);
    }
  }
  ProgramResult cli(std::vector<std::string> args, const StopAt& stop = {}) {
    args.insert(args.begin(), {ORN20MB_CLI, "--device", device});
    return run_program(args, folder.path(), 60000, -1, stop);
  }

  TempFolder folder;
  std::unique_ptr<ChildProcess> sim;
  std::string device;
};

}  // namespace orn::test
