#include "device/protected_write.h"

#include "device/group_transfers.h"
#include "device/protection.h"
#include "device/register_map.h"
#include "device/transfer_ops.h"
#include "link/failure_report.h"

namespace orn {
namespace {

constexpr const char* kInitWarning =
    "Прибор находится в состоянии INIT. Будьте внимательны с необходимыми параметрами обмена.";
constexpr const char* kInitWarningCaption = "Предупреждение.";
constexpr const char* kFactoryQuestion =
    "Данные, хранящиеся в приборе, будут запомнены как заводские установки.";
constexpr const char* kFactoryDone = "Параметры прибора скопированы в область заводских установок.";
constexpr uint32_t kAfterRetriedFsetMs = 300;
constexpr ProtectionState kLeftUnlocked{"прибор оставлен без защиты от записи",
                                       "Прибор оставлен без защиты от записи."};
constexpr ProtectionState kMayBeUnlocked{"прибор мог остаться без защиты от записи",
                                        "Прибор мог остаться без защиты от записи."};

WriteOutcome ended_at(WriteStep step) {
  WriteOutcome out;
  out.step = step;
  return out;
}

bool ask(Prompt& prompt, std::string_view text) {
  return prompt.ask(std::string(text), kQuestionCaption, PromptIcon::Warning);
}

// The failure's own message and, after the unlock, what it left on the device.
void report(Prompt& prompt, const ExchangeResult& r, const WriteOutcome& out) {
  auto m = failure_message(r);
  if (!m) return;
  if (const ProtectionState* state = protection_state(out)) m->text += " " + std::string(state->sentence);
  prompt.tell(m->text, m->caption, PromptIcon::Warning);
}

WriteOutcome failed(ProtectedWriteContext& c, WriteOutcome out, WriteStep step, const ExchangeResult& r) {
  c.panel.hide();
  out.step = step;
  out.result = r;
  report(c.prompt, r, out);
  return out;
}

// After a stop: the lock still goes out once the unlock did, so the device is
// not left open; nothing is shown, the caller words the outcome.
WriteOutcome stopped(ProtectedWriteContext& c, WriteOutcome out, const ExchangeResult& r) {
  out.step = WriteStep::Stopped;
  out.result = r;
  if (out.unlock_sent) send_lock(c.master, out);
  c.panel.hide();
  return out;
}

// Locks after the writes, also when a stop came meanwhile; a lock that did
// not answer is told after the success text, since the writes did land.
WriteOutcome lock_and_tell(ProtectedWriteContext& c, WriteOutcome out, std::string_view success_text) {
  send_lock(c.master, out);
  c.panel.hide();
  if (!success_text.empty())
    c.prompt.tell(std::string(success_text), kResultCaption, PromptIcon::Information);
  if (!out.lock.ok()) {
    out.step = WriteStep::Lock;
    out.result = out.lock;
    report(c.prompt, out.lock, out);
  }
  return out;
}

}  // namespace

void send_lock(ModbusMaster& master, WriteOutcome& out) {
  const StopFlag::Finishing finishing(master.stop());
  out.lock = lock_device(master);
  out.lock_sent = true;
}

const ProtectionState* protection_state(const WriteOutcome& out) {
  if (!out.may_be_unlocked()) return nullptr;
  // A failed write leaves the device open for certain unless a lock was tried after it.
  return out.step == WriteStep::Writes && !out.lock_sent ? &kLeftUnlocked : &kMayBeUnlocked;
}

bool pass_never_read_question(Prompt& prompt, uint16_t& settings_never_read) {
  if (settings_never_read != 1) return true;
  settings_never_read = 0;
  return ask(prompt, kNeverReadQuestion);
}

namespace {

WriteOutcome run_steps(ProtectedWriteContext& c, const ProtectedCommand& command, const ProtectedSteps& steps) {
  WriteOutcome out;
  if (c.master.stopping()) return stopped(c, out, {kFaultStopped, 0, false});
  if (command.asks_never_read && !pass_never_read_question(c.prompt, c.settings_never_read))
    return ended_at(WriteStep::Answered);
  if (!ask(c.prompt, command.confirmation)) return ended_at(WriteStep::Answered);
  if (steps.inputs && !steps.inputs()) return ended_at(WriteStep::Inputs);
  if (command.checks_identity) {
    const IdentityCheck id = check_identity(c.master);
    if (id.result.stopped()) return stopped(c, out, id.result);
    if (!id.accepted() && !ask(c.prompt, kIdentityQuestion)) return ended_at(WriteStep::Answered);
  }

  if (!command.start_text.empty()) c.panel.show(command.start_text);
  out.unlock_sent = true;
  ExchangeResult r = unlock_device(c.master);
  if (r.stopped()) return stopped(c, out, r);
  if (!r.ok()) return failed(c, out, WriteStep::Unlock, r);
  {
    const ShownPanel shown(c.panel, command.writing_text);
    r = write_sequence(c.master, command.writes, steps.image, out.answered);
  }
  if (r.stopped()) return stopped(c, out, r);
  if (!r.ok()) return failed(c, out, WriteStep::Writes, r);

  if (!command.protection_text.empty()) c.panel.set_text(command.protection_text);
  if (steps.before_lock) steps.before_lock();
  return lock_and_tell(c, out, command.success_text);
}

}  // namespace

WriteOutcome run_protected_write(ProtectedWriteContext& c, const ProtectedCommand& command,
                                 const ProtectedSteps& steps) {
  // What the device held: taken before the inputs change the image.
  const DeviceImage before = c.device ? *c.device : steps.image;
  const WriteOutcome out = run_steps(c, command, steps);
  if (out.unlock_sent && c.journal)
    c.journal->record(command.journal_name, changed_registers(command.writes, before, steps.image), out, before);
  if (c.device) copy_kept(steps.image, command.writes.first(out.answered), *c.device);
  return out;
}

WriteOutcome write_exchange_params_protected(ProtectedWriteContext& c, const DeviceImage& image,
                                             uint16_t& init_flag,
                                             const std::function<void()>& switch_link) {
  const ProtectedSteps steps{[&] {
                               const ExchangeResult r = read_init_flag(c.master, init_flag);
                               if (!r.ok()) report_exchange_failure(c.prompt, r);
                               return r.ok();
                             },
                             // A device in INIT state keeps answering at its INIT settings.
                             [&] {
                               if (init_flag == 0 && switch_link) switch_link();
                             },
                             image};
  const WriteOutcome out = run_protected_write(c, kExchangeParamsCommand, steps);
  if (out.ok() && init_flag == 1)
    c.prompt.tell(kInitWarning, kInitWarningCaption, PromptIcon::Information);
  return out;
}

void adopt_device_link(const DeviceImage& image, LinkParams& link) {
  link.rate_index = is_rate_index(image.rate) ? image.rate : kRateIndexDefault;
  link.parity = image.parity;
  link.address = image.adr;
}

WriteOutcome write_sensor_settings_protected(ProtectedWriteContext& c, const DeviceImage& image,
                                             const std::function<bool()>& inputs) {
  return run_protected_write(c, kSensorSettingsCommand, {inputs, {}, image});
}

WriteOutcome write_user_trims_protected(ProtectedWriteContext& c, const DeviceImage& image,
                                        const std::function<bool()>& inputs) {
  return run_protected_write(c, kUserTrimsCommand, {inputs, {}, image});
}

WriteOutcome write_device_gap_protected(ProtectedWriteContext& c, const DeviceImage& image) {
  return run_protected_write(c, kDeviceGapCommand, {{}, {}, image});
}

namespace {

WriteOutcome store_factory_settings(ProtectedWriteContext& c) {
  WriteOutcome out;
  if (c.master.stopping()) return stopped(c, out, {kFaultStopped, 0, false});
  if (!pass_never_read_question(c.prompt, c.settings_never_read)) return ended_at(WriteStep::Answered);
  if (!ask(c.prompt, kFactoryQuestion)) return ended_at(WriteStep::Answered);
  out.unlock_sent = true;
  ExchangeResult r = unlock_device(c.master);
  if (r.stopped()) return stopped(c, out, r);
  if (!r.ok()) return failed(c, out, WriteStep::Unlock, r);
  const uint16_t one = 1;
  r = write_transfer(c.master, Transfer::Fset, &one);
  if (r.stopped()) return stopped(c, out, r);
  if (!r.ok()) return failed(c, out, WriteStep::Writes, r);
  if (r.faults == kFaultRetried) {
    // The report shows nothing for a retry alone; the device gets time to settle.
    report_exchange_failure(c.prompt, r);
    c.master.pump().wait(kAfterRetriedFsetMs);
    return lock_and_tell(c, out, "");
  }
  return lock_and_tell(c, out, kFactoryDone);
}

}  // namespace

WriteOutcome restore_factory_settings(ProtectedWriteContext& c, const DeviceImage& image) {
  const WriteOutcome out = store_factory_settings(c);
  if (out.unlock_sent && c.journal) {
    const ChangedRegister fset{"FSET", "", "1"};
    c.journal->record(kFactorySettingsJournalName, {&fset, 1}, out, image);
  }
  return out;
}

}  // namespace orn
