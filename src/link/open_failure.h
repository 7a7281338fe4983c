#pragma once
// The message of a port that cannot be opened: the fixed first line, then the
// device path and why, so that a user can act on it (a missing device, a port
// held by another program, a user outside the device's group).
#include <cstdint>
#include <string>

namespace orn {

inline constexpr const char* kPortOpenFailure = "Невозможно открыть последовательный порт";

// The error text of errno for path, in the locale's language. When access was
// denied, says which group to join if the device's group may read and write
// it (dialout for serial ports), or else that the device's permissions do not
// allow it; when the port is busy, names the process that holds it.
std::string open_failure_reason(const std::string& path, int error);

// Both lines: kPortOpenFailure, then "PATH: REASON". A port number without a
// device path (empty path) is named "COM" + port_number.
std::string open_failure_message(uint16_t port_number, const std::string& path, const std::string& reason);

}  // namespace orn
