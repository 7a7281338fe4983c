#pragma once
// orn20mb-cli calib: the zero and span adjustment and the user trims of the
// settings page, run by the same core as the window's panel.
#include <optional>
#include <string>

#include "cli/cli_options.h"
#include "device/device_image.h"
#include "device/progress.h"
#include "link/prompt.h"
#include "cli/cli_run.h"
#include "link/modbus_master.h"

namespace orn {

struct CertificateData;

// Model, factory number, versions and the sensor settings, as every record row
// names them; false after a reported failure.
bool read_record_identity(ModbusMaster& master, DeviceImage& image, Prompt& prompt, Progress& progress);

// Runs calib zero, span, trims or check on an open line; returns the exit
// status. The port path and address go into the calibration record.
int run_calib(const CliOptions& options, ModbusMaster& master, CliContext& context, const std::string& port_path,
              uint16_t address);

// calib check: the points confirmed at the terminal, each point's row in
// calibration.csv, the certificate with --report.
int run_calib_check(const CliOptions& options, ModbusMaster& master, CliContext& context, Prompt& prompt,
                    Progress& progress, const std::string& port_path, uint16_t address);

// Writes the certificate of the record's rows as a PDF; the reason, naming
// the file, when it cannot.
std::optional<std::string> write_certificate(const std::string& path, const CertificateData& data);

}  // namespace orn
