#pragma once
// orn20mb-cli calib: the zero and span adjustment and the user trims of the
// settings page, run by the same core as the window's panel.
#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "link/modbus_master.h"

namespace orn {

// Runs calib zero, span or trims on an open line; returns the exit status.
int run_calib(const CliOptions& options, ModbusMaster& master, CliContext& context);

}  // namespace orn
