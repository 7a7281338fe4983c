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

bool ask(Prompt& prompt, std::string_view text) {
  return prompt.ask(std::string(text), kQuestionCaption, PromptIcon::Warning);
}

WriteOutcome failed(ProtectedWriteContext& c, WriteStep step, const ExchangeResult& r) {
  c.panel.hide();
  report_exchange_failure(c.prompt, r);
  return {step, r};
}

}  // namespace

bool pass_never_read_question(Prompt& prompt, uint16_t& settings_never_read) {
  if (settings_never_read != 1) return true;
  settings_never_read = 0;
  return ask(prompt, kNeverReadQuestion);
}

WriteOutcome run_protected_write(ProtectedWriteContext& c, const ProtectedCommand& command,
                                 const ProtectedSteps& steps) {
  if (command.asks_never_read && !pass_never_read_question(c.prompt, c.settings_never_read))
    return {WriteStep::Answered, {}};
  if (!ask(c.prompt, command.confirmation)) return {WriteStep::Answered, {}};
  if (steps.inputs && !steps.inputs()) return {WriteStep::Inputs, {}};
  if (command.checks_identity && !check_identity(c.master).accepted() &&
      !ask(c.prompt, kIdentityQuestion))
    return {WriteStep::Answered, {}};

  if (!command.start_text.empty()) c.panel.show(command.start_text);
  ExchangeResult r = unlock_device(c.master);
  if (!r.ok()) return failed(c, WriteStep::Unlock, r);
  r = steps.writes();
  if (!r.ok()) return failed(c, WriteStep::Writes, r);

  if (!command.protection_text.empty()) c.panel.set_text(command.protection_text);
  if (steps.before_lock) steps.before_lock();
  const ExchangeResult lock = lock_device(c.master);
  c.panel.hide();
  c.prompt.tell(std::string(command.success_text), kResultCaption, PromptIcon::Information);
  return {WriteStep::Done, lock};
}

WriteOutcome write_exchange_params_protected(ProtectedWriteContext& c, const DeviceImage& image,
                                             uint16_t& init_flag,
                                             const std::function<void()>& switch_link) {
  ProtectedSteps steps;
  steps.inputs = [&] {
    const ExchangeResult r = read_init_flag(c.master, init_flag);
    if (!r.ok()) report_exchange_failure(c.prompt, r);
    return r.ok();
  };
  steps.writes = [&] { return write_exchange_params(c.master, image); };
  // A device in INIT state keeps answering at its INIT settings.
  steps.before_lock = [&] {
    if (init_flag == 0 && switch_link) switch_link();
  };
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
  return run_protected_write(c, kSensorSettingsCommand,
                             {inputs, [&] { return write_sensor_settings(c.master, image, c.panel); }, {}});
}

WriteOutcome write_user_trims_protected(ProtectedWriteContext& c, const DeviceImage& image,
                                        const std::function<bool()>& inputs) {
  return run_protected_write(c, kUserTrimsCommand,
                             {inputs, [&] { return write_user_trims(c.master, image, c.panel); }, {}});
}

WriteOutcome write_device_gap_protected(ProtectedWriteContext& c, const DeviceImage& image) {
  return run_protected_write(c, kDeviceGapCommand,
                             {{}, [&] { return write_device_gap(c.master, image); }, {}});
}

WriteOutcome restore_factory_settings(ProtectedWriteContext& c) {
  if (!pass_never_read_question(c.prompt, c.settings_never_read)) return {WriteStep::Answered, {}};
  if (!ask(c.prompt, kFactoryQuestion)) return {WriteStep::Answered, {}};
  ExchangeResult r = unlock_device(c.master);
  if (!r.ok()) return failed(c, WriteStep::Unlock, r);
  const uint16_t one = 1;
  r = write_transfer(c.master, Transfer::Fset, &one);
  if (!r.ok()) return failed(c, WriteStep::Writes, r);
  if (r.faults == kFaultRetried) {
    // The report shows nothing for a retry alone; the device gets time to settle.
    report_exchange_failure(c.prompt, r);
    c.master.pump().wait(kAfterRetriedFsetMs);
    return {WriteStep::Done, lock_device(c.master)};
  }
  const ExchangeResult lock = lock_device(c.master);
  c.prompt.tell(kFactoryDone, kResultCaption, PromptIcon::Information);
  return {WriteStep::Done, lock};
}

}  // namespace orn
