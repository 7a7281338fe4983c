#pragma once
// to.dat: the serial read time-outs for each line rate. Written only when the
// program starts (every key read is written back); otherwise edited by hand.
#include <optional>
#include <string>

#include "link/link_params.h"

namespace orn {

inline constexpr const char* kToDatName = "to.dat";

// Loads folder/to.dat into timeouts, creating the file with the default
// values when missing, and writes every key back. A file that cannot be
// written back leaves the values read in timeouts and returns
// "Unable to write to <path>". With write_back false the same values are
// filled in and nothing is written or created.
std::optional<std::string> load_to_dat(const std::string& folder, RateTimeouts& timeouts,
                                       bool write_back = true);

}  // namespace orn
