#include "cli/cli_settings.h"

#include "settings/dev_dat.h"
#include "settings/port_map.h"
#include "settings/to_dat.h"

namespace orn {

CliSettings load_cli_settings(const std::string& folder, std::ostream& err) {
  CliSettings s;
  DevDatDevice device;
  if (auto error = load_dev_dat(folder, s.link, s.exchange, device, false))
    err << "orn20mb-cli: " << *error << "\n";
  if (auto error = load_to_dat(folder, s.timeouts, false)) err << "orn20mb-cli: " << *error << "\n";
  s.ports = read_port_map(folder);
  return s;
}

}  // namespace orn
