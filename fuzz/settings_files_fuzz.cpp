// dev.dat and to.dat of any content through the INI layer: a load keeps every
// byte, a start (load and write back) done twice changes nothing the second
// time, and what is saved at close loads back as the same link.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/dev_dat.h"
#include "settings/ini_file.h"
#include "settings/to_dat.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// A folder for the files of every input, removed when the fuzzer ends.
struct Folder {
  Folder() {
    // In memory where there is such a folder: every save flushes to disk.
    path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/orn-fuzz-settings-XXXXXX" : "/tmp/orn-fuzz-settings-XXXXXX";
    if (mkdtemp(path.data()) == nullptr) abort();
  }
  ~Folder() { std::filesystem::remove_all(path); }
  std::string path;
};

const std::string& folder() {
  static const Folder f;
  return f.path;
}

void put(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                static_cast<std::streamsize>(size));
}

std::string get(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
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
