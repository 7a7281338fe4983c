#pragma once
// orn20mb-cli config: every register of the settings groups as NAME=VALUE
// lines, and the window's protected writes for named registers, read back
// at the end to verify. Steps, questions and messages go to the error stream.
#include <functional>
#include <string>
#include <string_view>

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "link/link_params.h"
#include "link/modbus_master.h"

namespace orn {

// config write ended at a No answer; nothing more was sent after it.
inline constexpr int kCliExitDeclined = 1;

// Reads the settings groups and prints every register of config_registers():
// NAME=VALUE lines, or with json a JSON object a line (see config_json_value).
int run_config_read(ModbusMaster& master, CliContext& context, bool json = false);

// The JSON value of a register's shown text: a number where the text is one
// (decimal, 0x hexadecimal, or the code of "CODE (CAPTION)"), the text itself
// where it is quoted device text, otherwise the text as a JSON string.
std::string config_json_value(std::string_view shown);

// Writes the groups of the named registers. link is the master's link
// parameters; after the device took new exchange parameters they become the
// device's and reopen opens the port at them (false, reported, when it cannot).
int run_config_write(const CliOptions& options, ModbusMaster& master, LinkParams& link,
                     const std::function<bool()>& reopen, CliContext& context);

}  // namespace orn
