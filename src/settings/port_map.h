#pragma once
// Port numbers mapped to device paths by the [PORTS] section of dev.dat.
#include <cstdint>
#include <map>
#include <string>

#include "link/port_names.h"

namespace orn {

// The [PORTS] section of folder/dev.dat: key = port number 1..255 (decimal),
// value = device path. The section is only read, never written. Entries with
// a key that is no port number or an empty path are skipped; the first entry
// for a number wins, as for any key. A missing or unreadable file gives an
// empty map.
std::map<uint16_t, std::string> read_port_map(const std::string& folder);

}  // namespace orn
