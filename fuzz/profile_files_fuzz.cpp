// Profiles and the construction-type catalogue of any content: a read-only
// load writes nothing, a load with write-back done twice changes nothing the
// second time, and what a save writes loads and saves back to the same bytes.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "settings/konstr_catalogue.h"
#include "settings/profile.h"

namespace {

void require(bool condition) {
  if (!condition) __builtin_trap();
}

// A folder for the files of every input, removed when the fuzzer ends.
struct Folder {
  Folder() {
    path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/orn-fuzz-profile-XXXXXX" : "/tmp/orn-fuzz-profile-XXXXXX";
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
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

std::string get(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// One profile's worth of memory.
struct Memory {
  orn::DeviceImage image;
  orn::SearchSelection search;
  orn::MeasureLogSettings log;
  orn::ProfileKept kept;
  orn::ProfileTarget target() { return {image, search, log, kept}; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::string prf = folder() + "/fuzz.prf";
  put(prf, data, size);
  Memory read_only;
  require(!orn::load_profile(prf, read_only.target(), false));
  require(get(prf) == input);

  Memory first, second;
  require(!orn::load_profile(prf, first.target()));
  const std::string started = get(prf);
  require(!orn::load_profile(prf, second.target()));
  require(get(prf) == started);

  const std::string saved = folder() + "/saved.prf", again = folder() + "/again.prf";
  std::filesystem::remove(saved);
  std::filesystem::remove(again);
  require(!orn::save_profile(saved, first.target()));
  Memory reloaded;
  require(!orn::load_profile(saved, reloaded.target(), false));
  require(!orn::save_profile(again, reloaded.target()));
  require(get(again) == get(saved));

  const std::string catalogue = folder() + "/" + orn::kKonstrCatalogueName;
  put(catalogue, data, size);
  orn::KonstrCatalogue lists;
  require(!orn::load_konstr_catalogue(folder(), lists));
  for (const auto& list : lists.lists) require(list.size() <= orn::kKonstrListMax);
  const std::string written = get(catalogue);
  require(!orn::load_konstr_catalogue(folder(), lists));
  require(get(catalogue) == written);
  return 0;
}
