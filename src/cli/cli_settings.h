#pragma once
// The link settings orn20mb-cli starts from: dev.dat and to.dat of a folder,
// read as the window reads them but never written, or the built-in defaults.
#include <cstdint>
#include <map>
#include <ostream>
#include <string>

#include "link/link_params.h"

namespace orn {

struct CliSettings {
  LinkParams link;
  ExchangeSettings exchange;
  RateTimeouts timeouts;
  std::map<uint16_t, std::string> ports;  // the [PORTS] section of dev.dat
};

// A file that exists but cannot be read is reported on err; its values stay
// the built-in ones.
CliSettings load_cli_settings(const std::string& folder, std::ostream& err);

}  // namespace orn
