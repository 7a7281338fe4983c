// Profiles and the construction-type catalogue of any content: a read-only
// load writes nothing, a load with write-back done twice changes nothing the
// second time, and what a save writes loads and saves back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

#include "fuzz_files.h"
#include "settings/konstr_catalogue.h"
#include "settings/profile.h"

namespace {

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
  using namespace orn::fuzz;
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
