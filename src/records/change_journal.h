#pragma once
// The journal of writes, changes.csv: one row per register that a protected
// write meant to change on a device, with the value before, the value sent and
// how the write ended. A failed write is journaled too. Rows are never
// rewritten; a command whose rows cannot be appended is told through the prompt.
#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "device/protected_write.h"
#include "device/write_journal.h"
#include "link/prompt.h"
#include "records/record_identity.h"

namespace orn {

inline constexpr const char* kChangeJournalFile = "changes.csv";
inline constexpr std::array<std::string_view, 10> kChangeJournalColumns = {
    "время", "оператор", "порт", "адрес", "заводской номер", "команда", "регистр", "было", "стало", "итог"};

// The outcome column of a command's row for one register. verified: the
// register was read back after the command and matched (null when nobody read
// it back).
std::string journal_outcome(const WriteOutcome& out, const ChangedRegister& change, const bool* verified);

class ChangeJournal : public WriteJournal {
 public:
  // origin gives the row's origin for the device values given (the port and
  // address the link uses now); path is the journal file.
  using Origin = std::function<RecordOrigin(const DeviceImage& device)>;
  ChangeJournal(std::string path, Origin origin, Prompt& prompt);

  void record(std::string_view command, std::span<const ChangedRegister> changes, const WriteOutcome& out,
              const DeviceImage& device) override;

  // While held, rows wait for settle: the command line reads the device back
  // after its writes and journals what it found.
  void hold();
  // Appends the held rows; read_back is the device as read after the writes,
  // or null when that read failed.
  void settle(const DeviceImage* read_back);

 private:
  struct Held {
    std::string command;
    ChangedRegister change;
    WriteOutcome out;
    RecordOrigin origin;
  };
  std::optional<std::string> append(const RecordOrigin& origin, std::string_view command,
                                    const ChangedRegister& change, const std::string& outcome);
  // The first failed row of a command, told once.
  void tell(const std::optional<std::string>& error);

  std::string path_;
  Origin origin_;
  Prompt& prompt_;
  bool holding_ = false;
  std::vector<Held> held_;
};

}  // namespace orn
