#pragma once
// Files for the fuzz targets that load settings: one folder for the whole
// run, in memory where there is such a folder (every save flushes to disk),
// removed when the fuzzer ends; and a check that stops the run on failure.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace orn::fuzz {

inline void require(bool condition) {
  if (!condition) __builtin_trap();
}

inline const std::string& folder() {
  struct Folder {
    Folder() {
      path = access("/dev/shm", W_OK) == 0 ? "/dev/shm/orn-fuzz-XXXXXX" : "/tmp/orn-fuzz-XXXXXX";
      if (mkdtemp(path.data()) == nullptr) abort();
    }
    ~Folder() { std::filesystem::remove_all(path); }
    std::string path;
  };
  static const Folder f;
  return f.path;
}

inline void put(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline std::string get(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace orn::fuzz
