// dev.dat and to.dat of any content through the INI layer: a load keeps every
// byte, a start (load and write back) done twice changes nothing the second
// time, and what is saved at close loads back as the same link.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_files.h"
#include "settings/dev_dat.h"
#include "settings/ini_file.h"
#include "settings/to_dat.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orn::fuzz;
  const std::string dev = orn::settings_path(folder(), orn::kDevDatName);
  const std::string to = orn::settings_path(folder(), orn::kToDatName);
  put(dev, data, size);
  put(to, data, size);

  orn::IniFile ini(dev);
  require(!ini.load());
  require(ini.bytes() == std::string(reinterpret_cast<const char*>(data), size));

  orn::LinkParams link;
  orn::ExchangeSettings exchange;
  orn::DevDatDevice device;
  require(!orn::load_dev_dat(folder(), link, exchange, device));
  const std::string started = get(dev);
  orn::LinkParams again;
  require(!orn::load_dev_dat(folder(), again, exchange, device));
  require(get(dev) == started);

  require(!orn::save_dev_dat(folder(), link, exchange, device));
  require(!orn::load_dev_dat(folder(), again, exchange, device));
  require(again.port == link.port && again.rate_index == link.rate_index &&
          again.parity == link.parity && again.address == link.address);

  orn::RateTimeouts timeouts;
  require(!orn::load_to_dat(folder(), timeouts));
  const std::string to_started = get(to);
  require(!orn::load_to_dat(folder(), timeouts));
  require(get(to) == to_started);
  return 0;
}
