#pragma once
// How orn20mb-cli ends a command that writes groups into a device: one line
// that names the step a group ended at, what was and was not written and
// what the command left on the device's write protection, and the status.
#include <string_view>

#include "cli/cli_run.h"
#include "device/protected_write.h"

namespace orn {

// A group as the lines name it.
struct WrittenGroup {
  std::string_view what;         // plural, before "записаны" / "не записаны"
  std::string_view write_step;   // the step of its writes
  std::string_view inputs_step;  // what runs before the unlock and can end it, or "" for an input check
};

// The groups config write and profile write send.
inline constexpr WrittenGroup kSensorGroup{"параметры датчика", "запись параметров датчика", ""};
inline constexpr WrittenGroup kDeviceGapGroup{"временной зазор прибора", "запись временного зазора прибора", ""};
inline constexpr WrittenGroup kExchangeGroup{"параметры обмена", "запись параметров обмена", "чтение флага INIT"};
inline constexpr WrittenGroup kUserTrimsGroup{"сдвиг шкалы, пользовательский ноль и подстройка",
                                              "запись пользовательских подстроек", ""};

// How a protected write of the core ended, whose failure message already
// ends with the sentence about the protection: 0 when the group went
// through; otherwise its line is told and the status returned (1 after a No
// answer, 3 else). What went through was told by its success text.
int tell_write_end(const WriteOutcome& out, const WrittenGroup& group, CliContext& c);
// The same after a write the command ran itself, whose messages said
// nothing about the protection.
int tell_own_write_end(const WriteOutcome& out, const WrittenGroup& group, CliContext& c);

}  // namespace orn
