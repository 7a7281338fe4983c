#pragma once
// What every record row says of its moment, its operator and its device:
// local date-time, login name, port, network address and factory number.
#include <cstdint>
#include <ctime>
#include <string>

#include "device/device_image.h"

namespace orn {

struct RecordOrigin {
  std::string when;            // "2026-12-11 14:05:09", local time
  std::string operator_name;   // login name of the user running the tool
  std::string port;            // device path or TCP form the link uses
  uint16_t address = 0;        // network address
  std::string factory_number;  // "SN_HI-SN_LO", as read
};

// The local date-time of t as record files write it.
std::string record_time(std::time_t t);
// The login name of the effective user; the user id as a number if it has none.
std::string login_name();
// SN_HI and SN_LO, two independent numbers, as "12-3456".
std::string factory_number_text(const DeviceImage& image);

// The origin of a row written now.
RecordOrigin record_origin(const std::string& port, uint16_t address, const DeviceImage& image);

}  // namespace orn
