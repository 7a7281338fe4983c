#include "records/record_identity.h"

#include <pwd.h>
#include <unistd.h>

namespace orn {

std::string record_time(std::time_t t) {
  std::tm local{};
  localtime_r(&t, &local);
  char text[32];
  const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  return std::string(text, n);
}

std::string login_name() {
  const uid_t uid = ::geteuid();
  passwd entry{};
  passwd* found = nullptr;
  char buffer[1024];
  if (::getpwuid_r(uid, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr && found->pw_name[0])
    return found->pw_name;
  return std::to_string(uid);
}

std::string factory_number_text(const DeviceImage& image) {
  return std::to_string(image.sn_hi) + "-" + std::to_string(image.sn_lo);
}

RecordOrigin record_origin(const std::string& port, uint16_t address, const DeviceImage& image) {
  return {record_time(std::time(nullptr)), login_name(), port, address, factory_number_text(image)};
}

}  // namespace orn
