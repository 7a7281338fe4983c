#include "cli/cli_profile.h"

#include <filesystem>

#include "calib/calib_transfers.h"
#include "cli/json_line.h"
#include "cli/profile_changes.h"
#include "cli/terminal_dialog.h"
#include "cli/write_report.h"
#include "device/group_transfers.h"
#include "device/protected_write.h"
#include "link/failure_report.h"
#include "records/profile_compare.h"
#include "settings/profile.h"

namespace orn {
namespace {

// What a profile reads into and writes from.
struct ProfileMemory {
  DeviceImage image;
  SearchSelection search;
  MeasureLogSettings log;
  ProfileKept kept;
  ProfileTarget target() { return {image, search, log, kept}; }
};

bool file_error(const std::optional<std::string>& error, CliContext& c) {
  if (error) c.err << *error << "\n";
  return error.has_value();
}

}  // namespace

int run_profile_save(const std::string& path, ModbusMaster& master, CliContext& c) {
  ProfileMemory m;
  if (file_error(load_profile(path, m.target(), false), c)) return kCliExitFailure;
  TerminalPrompt prompt(nullptr, c.err, false);
  StreamProgress panel(c.err);
  if (const ExchangeResult r = read_profile_groups(master, m.image, panel); !r.ok()) {
    report_exchange_failure(prompt, r);
    return kCliExitFailure;
  }
  m.kept.konstr_txt = unpadded_text(m.image.constr_name.data(), m.image.constr_name.size());
  if (file_error(save_profile(path, m.target()), c)) return kCliExitFailure;
  c.err << "Профиль настроек записан в " << path << "\n";
  return kCliExitOk;
}

int refuse_profile_write(const CliOptions& o, CliContext& c) {
  // A profile that is not there would be written from the read defaults.
  std::error_code ec;
  if (!std::filesystem::is_regular_file(o.profile_file, ec)) {
    c.err << "Файл профиля " << o.profile_file << " не найден\n";
    return kCliExitFailure;
  }
  return kCliExitOk;
}

int run_profile_write(const CliOptions& o, ModbusMaster& master, CliContext& c, LinkParams& link,
                      const std::function<bool()>& reopen) {
  ProfileMemory m;
  ProfileHeldKeys held;
  if (file_error(read_profile_held(o.profile_file, m.target(), held), c)) return kCliExitFailure;

  TerminalPrompt prompt(c.in, c.err, o.yes);
  StreamProgress panel(c.err);
  // Every register of a group goes out: those the profile does not hold as the device has them.
  DeviceImage device;
  c.err << "Чтение параметров прибора\n";
  if (const ExchangeResult r = read_profile_groups(master, device, panel); !r.ok()) {
    report_exchange_failure(prompt, r);
    c.err << "orn20mb-cli: параметры прибора не прочитаны; ничего не записано\n";
    return kCliExitFailure;
  }
  DeviceImage image = device;
  take_sent_values(held, m.image, o.take_link, image);

  uint16_t never_read = 0;  // the settings were just read
  ProtectedWriteContext pc{master, prompt, panel, never_read, c.journal, &device};
  bool reopened = true;
  const auto switch_link = [&] {
    adopt_device_link(image, link);
    reopened = reopen();
  };
  uint16_t init_flag = 0;
  // The exchange parameters last: a device that takes a new address or rate answers there from then on.
  const struct {
    const WrittenGroup& names;
    std::string changes;
    std::function<WriteOutcome()> write;
  } groups[] = {
      {kSensorGroup, changed_values(ConfigGroup::Sensor, device, image),
       [&] { return write_sensor_settings_protected(pc, image, {}); }},
      {kUserTrimsGroup, changed_trims(device, image), [&] { return write_user_trims_protected(pc, image, {}); }},
      {kExchangeGroup, changed_values(ConfigGroup::Exchange, device, image),
       [&] { return write_exchange_params_protected(pc, image, init_flag, switch_link); }},
  };
  bool changed = false;
  for (const auto& g : groups) {
    if (g.changes.empty()) continue;  // a group with nothing to change is not written
    changed = true;
    WriteOutcome out;
    if (master.stopping()) {
      out.step = WriteStep::Stopped;
    } else {
      c.err << "Новые значения:" << g.changes << "\n";
      out = g.write();
    }
    if (const int status = tell_write_end(out, g.names, c)) return status;
  }
  if (!changed) c.err << "Прибор уже настроен по профилю: записывать нечего\n";
  return reopened ? kCliExitOk : kCliExitFailure;
}

int run_profile_diff(const CliOptions& o, ModbusMaster& master, CliContext& c) {
  TerminalPrompt prompt(nullptr, c.err, false);
  StreamProgress panel(c.err);
  const ProfileComparison cmp = compare_with_profile(master, o.profile_file, o.take_link, panel);
  if (file_error(cmp.file_error, c)) return kCliExitFailure;
  if (!cmp.read.ok()) {
    report_exchange_failure(prompt, cmp.read);
    c.err << "orn20mb-cli: параметры прибора не прочитаны; сравнения нет\n";
    return kCliExitFailure;
  }
  for (const ProfileDifference& d : cmp.differences) {
    if (o.json) {
      JsonLine j;
      c.out << j.string("name", d.name).string("profile", d.profile).string("device", d.device).line();
    } else {
      c.out << d.name << ": профиль " << d.profile << ", прибор " << d.device << "\n";
    }
  }
  if (cmp.differences.empty()) c.err << "Прибор настроен по профилю: различий нет\n";
  return cmp.differences.empty() ? kCliExitOk : 1;
}

}  // namespace orn
