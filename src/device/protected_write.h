#pragma once
// The protected write that surrounds every change of the transmitter's
// configuration: questions, inputs, identity check, unlock, the writes, lock
// and the result message. One routine, parameterised by each command's row.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "device/device_image.h"
#include "device/group_transfers.h"
#include "device/progress.h"
#include "device/register_map.h"
#include "device/write_journal.h"
#include "link/faults.h"
#include "link/link_params.h"
#include "link/modbus_master.h"
#include "link/prompt.h"

namespace orn {

inline constexpr const char* kQuestionCaption = "Подтвердите действие";
inline constexpr const char* kResultCaption = "Результат операции";
inline constexpr const char* kNeverReadQuestion = "Данные настроек еще ни разу не считывались, продолжить?";
inline constexpr const char* kIdentityQuestion =
    "При проверке возможности смены параметров не удалось получить подтверждение что мы обращаемся "
    "к семейству приборов Ордвин 100MB/ ОРН20 MB.  Продолжить все равно?";

// One command's row: what it asks, whether it checks identity, its texts and
// the transfers its writes send from the image, in order.
struct ProtectedCommand {
  bool asks_never_read;
  std::string_view confirmation;
  bool checks_identity;
  std::string_view start_text;       // shown on the panel before the unlock, or ""
  std::string_view writing_text;     // shown on the panel while the writes run, or ""
  std::string_view protection_text;  // set on the panel before the lock, or ""
  std::string_view success_text;
  std::string_view journal_name;     // the command as the journal of writes names it
  std::span<const Transfer> writes;
};

inline constexpr ProtectedCommand kExchangeParamsCommand{
    false, "Данные конфигурации будут переписаны?.", true, "Идет запись параметров обмена", "",
    "Идет запись защиты от записи параметров", "Запись параметров обмена модуля успешно осуществлена.",
    "запись параметров обмена", kExchangeParamsWrites};
inline constexpr ProtectedCommand kSensorSettingsCommand{
    true, "Данные канала будут переписаны.", true, "", kWritingSensor, "Идет запись защиты от записи параметров",
    "Запись параметров датчика успешно осуществлена.", "запись параметров датчика", kSensorSettingsWrites};
inline constexpr ProtectedCommand kUserTrimsCommand{
    true, "Данные сдвига шкалы, нуля и подстройки будут переписаны.", true, "", kWritingSensor,
    "Запись защиты от записи параметров", "Запись параметров датчика успешно осуществлена.",
    "запись подстройки нуля, сдвига шкалы и диапазона", kUserTrimsWrites};
inline constexpr ProtectedCommand kDeviceGapCommand{
    false, "Временной зазор между байтами будет изменен?", true, "", "", "",
    "Запись дополнительного временного зазора между байтами успешно осуществлена.",
    "запись временного зазора между байтами", kDeviceGapWrites};
inline constexpr std::string_view kFactorySettingsJournalName = "запоминание заводских установок";

// The steps of a command that differ from one run to the next.
struct ProtectedSteps {
  // Copies the inputs into the image; false after an input error (already reported).
  std::function<bool()> inputs;
  // Runs after the writes, just before the lock.
  std::function<void()> before_lock;
  // What the command's writes are sent from.
  const DeviceImage& image;
};

// Where a command ended.
enum class WriteStep : uint8_t {
  Done,      // everything written and the protection closed again
  Answered,  // the user answered No: nothing written
  Inputs,    // an input error, or the INIT read of the exchange write failed: nothing written
  Unlock,    // the unlock failed: nothing written, the device may be half unlocked
  Writes,    // a write failed: the device stays unlocked, the lock was not sent
  Lock,      // everything written, but the lock failed: the device may be left unlocked
  Stopped,   // a stop came before the end: no further write, the lock was sent if the unlock was
};

struct WriteOutcome {
  WriteStep step = WriteStep::Done;
  ExchangeResult result;  // the transaction that ended the command (the lock's for Lock)
  bool unlock_sent = false;  // the unlock sequence was started
  bool lock_sent = false;
  ExchangeResult lock;  // its result when it was sent
  // The command's writes that went through, in order: those after them were
  // never sent, and on a failed write the next one may or may not have landed.
  size_t answered = 0;
  // Success only when every step answered, the lock included.
  bool ok() const { return step == WriteStep::Done; }
  // The device may be without write protection: an unlock went out and no lock answered.
  bool may_be_unlocked() const { return unlock_sent && !(lock_sent && lock.ok()); }
};

// Sends the lock into out, also after a stop (the device is not left open).
void send_lock(ModbusMaster& master, WriteOutcome& out);

// What a command left on the device's write protection, as a phrase to go
// inside a line ("прибор ...") and as a sentence of its own.
struct ProtectionState {
  std::string_view phrase;
  std::string_view sentence;
};
// Null when the protection is as it was before the command.
const ProtectionState* protection_state(const WriteOutcome& out);

// What every protected write works with. settings_never_read is 1 until the
// sensor settings are read; the question about it is asked at most once.
struct ProtectedWriteContext {
  ModbusMaster& master;
  Prompt& prompt;
  Progress& panel;
  uint16_t& settings_never_read;
  // Where the changes that reach the device are recorded, or none.
  WriteJournal* journal = nullptr;
  // The device's values as known, when the image already holds the new ones
  // before the command starts (the command line sets them first, the window's
  // page 2 takes its inputs as they are typed); the command lays what it wrote
  // over them. Else the image as the command finds it is what the device held.
  DeviceImage* device = nullptr;
};

// Runs one command. Failed transactions are reported through the prompt,
// with what the failure left on the device. A stop raised on the master
// starts no further write: after the unlock it still sends the lock.
WriteOutcome run_protected_write(ProtectedWriteContext& c, const ProtectedCommand& command,
                                 const ProtectedSteps& steps);

// Asks the never-read question if the flag is set, clearing the flag first;
// true when the command may go on.
bool pass_never_read_question(Prompt& prompt, uint16_t& settings_never_read);

// The exchange-parameters write. Reads the INIT flag first; when the device is
// not in INIT state, switch_link moves the program's own link to the device's
// new settings before the lock. Shows the INIT warning after the result.
WriteOutcome write_exchange_params_protected(ProtectedWriteContext& c, const DeviceImage& image,
                                             uint16_t& init_flag,
                                             const std::function<void()>& switch_link);

// The program's link after the device took new exchange parameters: its
// ADR, RATE (19200 for an index outside 3..10) and PARITY; the port stays.
void adopt_device_link(const DeviceImage& image, LinkParams& link);

// The sensor-settings write: inputs copies the page and the user text.
WriteOutcome write_sensor_settings_protected(ProtectedWriteContext& c, const DeviceImage& image,
                                             const std::function<bool()>& inputs);
// The user-trims write: inputs checks and copies the three trim fields.
WriteOutcome write_user_trims_protected(ProtectedWriteContext& c, const DeviceImage& image,
                                        const std::function<bool()>& inputs);
WriteOutcome write_device_gap_protected(ProtectedWriteContext& c, const DeviceImage& image);

// Copies the factory area into the working parameters (FSET = 1), without
// an identity check. A write that needed a retry locks without a success text.
// image: the device's values as known, for the journal.
WriteOutcome restore_factory_settings(ProtectedWriteContext& c, const DeviceImage& image);

}  // namespace orn
