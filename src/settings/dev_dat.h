#pragma once
// dev.dat: port, line settings, network address, exchange, trace and gap
// settings, read at start-up and written back at close.
#include <cstdint>
#include <optional>
#include <string>

#include "link/link_params.h"

namespace orn {

inline constexpr const char* kDevDatName = "dev.dat";

// Device parameters that dev.dat keeps from one run to the next.
struct DevDatDevice {
  uint16_t dely = 0;          // DELY: the device's extra delay before answering, ms
  uint16_t time_gap_dev = 0;  // TimeGapDev: extra time gap inside the device, ms
};

struct RateParity {
  uint16_t rate_index = kRateIndexDefault;
  uint16_t parity = 0;
};

// Reads the "Settings" text: each rate text it contains, tested from "1200"
// to "115200" in that order, overrides the rate index (7 when none is found);
// then "N", "E" and "O" (capitals only) override the parity the same way.
// Data and stop bits are not used: the port always runs 8 data bits, 1 stop bit.
RateParity parse_line_settings(std::string_view text);

// The "Settings" text for a link, e.g. "9600,E,8,2"; a rate index outside
// 3..10 is written as 19200.
std::string line_settings_text(uint16_t rate_index, uint16_t parity);

// Loads folder/dev.dat, creating it when missing, and writes every key back
// with its limits applied (NetAdrr 0 or above 255 becomes 1, Reask_val 0
// becomes 1, TimeGapDev and TimeGapPrg are held to 255). Fills link,
// exchange and device. The caller copies the loaded rate index and address
// into the device-side view of the configuration.
// When the file cannot be written back, the values read are still filled in,
// the file is left as it was and the error "Unable to write to <path>" is
// returned; an existing file that cannot be read is left alone and reported.
// With write_back false the same values are filled in and nothing is written
// or created (for tools that only read the settings).
std::optional<std::string> load_dev_dat(const std::string& folder, LinkParams& link,
                                        ExchangeSettings& exchange, DevDatDevice& device,
                                        bool write_back = true);

// Writes the values kept in memory back into folder/dev.dat at close.
// read_hold_reg_err_msk and LogFileName keep what the file holds.
std::optional<std::string> save_dev_dat(const std::string& folder, const LinkParams& link,
                                        const ExchangeSettings& exchange,
                                        const DevDatDevice& device);

}  // namespace orn
