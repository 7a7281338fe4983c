#pragma once
// orn20mb-cli profile save FILE / profile write [--yes] FILE: a transmitter's
// configuration read into a profile the window loads, and a profile's
// exchange and sensor settings and user trims written to a transmitter with
// the window's protected writes (one configuration cloned onto many, or a
// few keys changed on each).
#include <functional>
#include <string>

#include "cli/cli_options.h"
#include "cli/cli_run.h"
#include "link/link_params.h"
#include "link/modbus_master.h"

namespace orn {

// Reads the exchange page, the sensor settings and the user trims into the
// profile at path; keys the device does not hold keep what the file has
// (the new-file values when it does not exist yet).
int run_profile_save(const std::string& path, ModbusMaster& master, CliContext& context);

// Before the port is opened: a profile write or diff needs its file. Returns
// the exit status that refuses it, or 0 when it may go on.
int refuse_profile_write(const CliOptions& options, CliContext& context);

// Writes what the profile at path (read, never written) changes on the
// device: its sensor settings, user trims and last exchange parameters,
// only the groups with a change, registers the file lacks as the device has
// them, the device's address, rate and parity unless options.take_link.
// When the device takes new link settings, link follows it and reopen
// opens the port there.
int run_profile_write(const CliOptions& options, ModbusMaster& master, CliContext& context, LinkParams& link,
                      const std::function<bool()>& reopen);

// Prints each setting where the device differs from the profile (as profile
// write would change it): "NAME: профиль P, прибор D", or with --json one
// object a line. Exit 0 when none differ, 1 when some do, 3 on a fault.
int run_profile_diff(const CliOptions& options, ModbusMaster& master, CliContext& context);

}  // namespace orn
