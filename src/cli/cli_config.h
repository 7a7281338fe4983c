#pragma once
// orn20mb-cli config: every register of the settings groups as NAME=VALUE
// lines, and the window's protected writes for named registers, read back
// at the end to verify. Steps, questions and messages go to the error stream.
#include <functional>

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "link/link_params.h"
#include "link/modbus_master.h"

namespace orn {

// config write ended at a No answer; nothing more was sent after it.
inline constexpr int kCliExitDeclined = 1;

// Reads the settings groups and prints every register of config_registers().
int run_config_read(ModbusMaster& master, CliContext& context);

// Writes the groups of the named registers. link is the master's link
// parameters; after the device took new exchange parameters they become the
// device's and reopen opens the port at them (false, reported, when it cannot).
int run_config_write(const CliOptions& options, ModbusMaster& master, LinkParams& link,
                     const std::function<bool()>& reopen, CliContext& context);

}  // namespace orn
